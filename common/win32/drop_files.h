// The file list of a drop (CF_HDROP): from an OLE data object, or the block
// WM_DROPFILES hands over. One reader for both, bounded by the block's size.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <optional>
#include <string>
#include <vector>

namespace win {

// True when the data object says it can give a file list in global memory.
bool OffersFileList(IDataObject* data);

// The dropped paths in the list's order; nullopt when the data object gives
// no file list. An empty list is an empty vector.
std::optional<std::vector<std::wstring>> FileListFrom(IDataObject* data);

// The paths of a file list in global memory (an HDROP is one), in the list's
// order; nullopt when the block cannot be read or is malformed.
std::optional<std::vector<std::wstring>> FileListIn(HGLOBAL list);

}  // namespace win
