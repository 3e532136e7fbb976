#include "common/win32/drop_files.h"

#include <string_view>

#include "common/win32/raii.h"
#include "common/file_list.h"

namespace win {
namespace {

FORMATETC FileListFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

}  // namespace

bool OffersFileList(IDataObject* data) {
  FORMATETC format = FileListFormat();
  return data && data->QueryGetData(&format) == S_OK;
}

std::optional<std::vector<std::wstring>> FileListFrom(IDataObject* data) {
  if (!data) return std::nullopt;
  FORMATETC format = FileListFormat();
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return std::nullopt;
  win::StgMedium owner(&medium);
  if (medium.tymed != TYMED_HGLOBAL) return std::nullopt;
  return FileListIn(medium.hGlobal);
}

std::optional<std::vector<std::wstring>> FileListIn(HGLOBAL list) {
  // Read within the block's own size: a list from another program may be
  // malformed, and the system's reader trusts its terminators.
  const char* p = list ? static_cast<const char*>(GlobalLock(list)) : nullptr;
  if (!p) return std::nullopt;
  std::optional<std::vector<std::wstring>> paths = filelist::Parse(std::string_view(p, GlobalSize(list)));
  GlobalUnlock(list);
  return paths;
}

}  // namespace win
