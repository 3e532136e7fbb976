#include "sequence/launch_system.h"

#include "common/path_rules.h"
#include "common/text.h"
#include "common/tool.h"

bool IsProgramFile(const std::wstring& file) {
  if (tool::IsAddress(file)) return false;
  const std::wstring ext = text::ToLower(paths::Extension(file));
  return ext == L"com" || ext == L"exe" || ext == L"bat" || ext == L"cmd";
}

ItemStart StartSequenceItem(LaunchSystem& system, WindowHandle owner, const sequence::SequenceItem& item) {
  ItemStart start;
  // Not restored afterwards: later items without a usable Current start here too.
  if (!system.EnterFolder(item.Current)) {
    start.outcome = ItemStart::FolderNotEntered;
  } else if (item.File.empty()) {
    start.outcome = ItemStart::EmptyFile;
  } else if (IsProgramFile(item.File)) {
    if (item.Size < 0 || item.Size > LaunchSystem::kMaxShowState) {
      start.outcome = ItemStart::BadSize;
      return start;
    }
    start.result = system.StartProgram(L"\"" + item.File + L"\" " + item.Option, item.Size);
    start.outcome = start.result.ok ? ItemStart::Started : ItemStart::Failed;
  } else {
    // A document that is missing is silently not opened; what the shell was
    // asked to open and could not fails with the shell's own reason.
    start.result = system.Open(owner, item.File);
    start.outcome = start.result.ok ? ItemStart::Opened
                    : start.result.error.empty() ? ItemStart::NotOpened
                                                 : ItemStart::Failed;
  }
  return start;
}

namespace pe {
namespace {

std::uint32_t Le(std::string_view b, size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}

}  // namespace

std::optional<std::uint16_t> Subsystem(std::string_view head) {
  constexpr size_t kLfanew = 0x3C, kCoffBytes = 20, kSubsystemAt = 68;
  if (head.size() < kLfanew + 4 || head.substr(0, 2) != "MZ") return std::nullopt;
  const size_t pe = Le(head, kLfanew, 4);
  const size_t optional = pe + 4 + kCoffBytes;
  if (pe > head.size() || head.size() - pe < 4 + kCoffBytes + kSubsystemAt + 2) return std::nullopt;
  if (head.substr(pe, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
  // The optional header must be long enough to hold the field it is asked for.
  if (Le(head, pe + 4 + 16, 2) < kSubsystemAt + 2) return std::nullopt;
  const std::uint32_t magic = Le(head, optional, 2);
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  return static_cast<std::uint16_t>(Le(head, optional + kSubsystemAt, 2));
}

}  // namespace pe
