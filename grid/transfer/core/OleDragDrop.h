#pragma once

// The data transfer objects of the grid in one include: data object and its format enumerator, the
// generic drop source and drop target, the format reader, the formats and the effect rule.

#include "grid/transfer/core/EnumFormats.h"
#include "grid/transfer/core/OleDropSource.h"
#include "grid/transfer/core/OleDropTarget.h"
#include "grid/transfer/core/SourceDataObject.h"
#include "grid/transfer/core/TransferFormats.h"
