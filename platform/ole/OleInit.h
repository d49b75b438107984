#pragma once

// Starting and ending the data transfer layer for the process.

#include <string>

#include "platform/ole/OleTypes.h"

namespace orlex {

// S_OK on the first call, S_FALSE when already initialised (every call wants its OleUninitialize).
HRESULT OleInitialize(void* reserved = nullptr);
void OleUninitialize();
// The text a start that could not initialise stops with: "OleInitialize failed ($80004005)".
std::string OleInitializeFailureText(HRESULT result);
// Whether a result of OleInitialize lets the start go on.
inline bool OleInitializeSucceeded(HRESULT result) { return result == S_OK || result == S_FALSE; }

}  // namespace orlex
