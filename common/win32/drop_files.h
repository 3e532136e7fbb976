// The file list (CF_HDROP) of an OLE data object.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <optional>
#include <string>
#include <vector>

namespace dropfiles {

// True when the data object says it can give a file list in global memory.
bool OffersFileList(IDataObject* data);

// The dropped paths in the list's order; nullopt when the data object gives
// no file list. An empty list is an empty vector.
std::optional<std::vector<std::wstring>> FilesFrom(IDataObject* data);

}  // namespace dropfiles
