#pragma once

// The process's memory as the system sees it.

namespace orlex {

// Hands the memory the allocator holds free back to the system. The C library keeps what large
// blocks leave behind in its heap for reuse; after an exceptional request (megabytes of packet text)
// that would stay resident for the rest of the session. Costs a walk of the heap: for rare use.
void ReturnFreeMemory();

}  // namespace orlex
