#include "sequence/launch_system.h"

#include <algorithm>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/shell_open.h"

namespace running {
namespace {

// Command lines and image names are the system's: Windows paths on any build.
constexpr auto kWindows = paths::Style::Windows;
constexpr std::wstring_view kBlanks = L" \t";

bool NamesImage(std::wstring_view word, std::wstring_view imageName) {
  const std::wstring name = paths::FileName(word, kWindows);
  return text::EqualsNoCase(name, imageName) ||
         (paths::Extension(name, kWindows).empty() && text::EqualsNoCase(name + L".exe", imageName));
}

}  // namespace

std::wstring ArgumentsOf(std::wstring_view commandLine, std::wstring_view imageName) {
  std::wstring_view s = commandLine.substr(std::min(commandLine.size(), commandLine.find_first_not_of(kBlanks)));
  std::wstring_view rest;
  if (!s.empty() && s.front() == L'"') {
    const size_t close = s.find(L'"', 1);
    if (close != std::wstring_view::npos) rest = s.substr(close + 1);
  } else {
    // A path with blanks may stand unquoted: the system then took the first
    // run of words that named a file, so the words up to the image's name.
    size_t end = std::min(s.size(), s.find_first_of(kBlanks));
    rest = s.substr(end);
    for (;;) {
      if (NamesImage(s.substr(0, end), imageName)) {
        rest = s.substr(end);
        break;
      }
      const size_t next = s.find_first_not_of(kBlanks, end);
      if (next == std::wstring_view::npos) break;
      end = std::min(s.size(), s.find_first_of(kBlanks, next));
    }
  }
  return std::wstring(text::Trim(rest, kBlanks));
}

bool StartedByRun(std::uint32_t id, std::uint64_t created, const std::vector<LaunchSystem::ProcessEntry>& snapshot,
                  const std::vector<Started>& started,
                  const std::function<std::optional<std::uint64_t>(std::uint32_t)>& createdAt) {
  const auto own = [&](std::uint32_t p) {
    auto it = std::find_if(started.begin(), started.end(), [p](const Started& s) { return s.id == p; });
    return it == started.end() ? nullptr : &*it;
  };
  const auto parentOf = [&](std::uint32_t p) -> std::uint32_t {
    auto it = std::find_if(snapshot.begin(), snapshot.end(),
                           [p](const LaunchSystem::ProcessEntry& e) { return e.id == p; });
    return it == snapshot.end() ? 0 : it->parentId;
  };
  // First by ids alone, which asks the system nothing: most chains never
  // reach a process of this run. The bound ends the loops ids may form.
  bool reaches = false;
  for (std::uint32_t p = id, hops = 0; p && hops <= snapshot.size() && !reaches; p = parentOf(p), ++hops)
    reaches = own(p) != nullptr;
  if (!reaches) return false;
  // Then link by link, each parent older than its child.
  std::uint32_t child = id;
  std::uint64_t childCreated = created;
  for (size_t hops = 0; hops <= snapshot.size(); ++hops) {
    if (const Started* s = own(child); s && (!s->created || !childCreated || s->created == childCreated)) return true;
    const std::uint32_t parent = parentOf(child);
    if (!parent || parent == child) return false;
    std::uint64_t parentCreated = 0;
    if (const Started* s = own(parent)) parentCreated = s->created;
    else if (std::optional<std::uint64_t> t = createdAt(parent)) parentCreated = *t;
    if (parentCreated && childCreated && parentCreated > childCreated) return false;
    child = parent;
    childCreated = parentCreated;
  }
  return false;
}

const std::optional<std::vector<LaunchSystem::ProcessEntry>>& ProcessList::At(LaunchSystem& system) {
  const std::optional<std::int64_t> now = system.SteadyMs();
  // A clock that went back cannot tell the list's age: a new one.
  if (!takenAt_ || !now || *now < *takenAt_ || *now - *takenAt_ >= kBurstMs) {
    entries_ = system.Snapshot();
    takenAt_.reset();
    if (entries_ && now) takenAt_ = now;
  }
  return entries_;
}

std::uint32_t FindRunning(LaunchSystem& system, ProcessList& processes, const std::wstring& file,
                          const std::wstring& folder, const std::wstring& option, const std::vector<Started>& started) {
  std::optional<std::wstring> program;  // asked only once a process might run it
  const auto resolved = [&]() -> const std::wstring& {
    if (!program) program = system.ProgramPath(file, folder);
    return *program;
  };
  std::wstring name = paths::FileName(file, kWindows);
  // A short (8.3) name is not the one the snapshot lists: the long one is.
  if (name.find(L'~') != std::wstring::npos) name = paths::FileName(resolved(), kWindows);
  if (name.empty()) return 0;
  const std::optional<std::vector<LaunchSystem::ProcessEntry>>& snapshot = processes.At(system);
  if (!snapshot) return 0;
  const std::wstring arguments(text::Trim(option, kBlanks));
  const auto createdAt = [&system](std::uint32_t id) { return system.CreatedAt(id); };
  for (const LaunchSystem::ProcessEntry& entry : *snapshot) {
    if (!text::EqualsNoCase(entry.imageName, name)) continue;
    if (resolved().empty()) return 0;
    const std::optional<LaunchSystem::ProcessFacts> facts = system.Inspect(entry.id);
    // Another process than the one listed: its parents are not the list's.
    if (!facts || (entry.created && facts->created && facts->created != entry.created)) continue;
    if (!facts->sameUser || !facts->sameSession || facts->program.empty() ||
        !text::EqualsNoCase(facts->program, resolved()) || !facts->commandLine ||
        ArgumentsOf(*facts->commandLine, entry.imageName) != arguments)
      continue;
    if (!StartedByRun(entry.id, facts->created, *snapshot, started, createdAt)) return entry.id;
  }
  return 0;
}

}  // namespace running

bool IsProgramFile(const std::wstring& file) {
  if (IsAddress(file)) return false;
  const std::wstring ext = text::ToLower(paths::Extension(file));
  return ext == L"com" || ext == L"exe" || ext == L"bat" || ext == L"cmd";
}

ItemStart StartSequenceItem(LaunchSystem& system, WindowHandle owner, const sequence::SequenceItem& item, bool watch) {
  ItemStart start;
  // Not restored afterwards: later items without a usable Current start here too.
  if (!system.EnterFolder(item.workingFolder)) {
    start.outcome = ItemStart::FolderNotEntered;
  } else if (item.file.empty()) {
    start.outcome = ItemStart::EmptyFile;
  } else if (IsProgramFile(item.file)) {
    if (item.show < 0 || item.show > LaunchSystem::kMaxShowState) {
      start.outcome = ItemStart::BadSize;
      return start;
    }
    start.result = system.StartProgram(L"\"" + item.file + L"\" " + item.arguments, item.show, watch);
    start.outcome = start.result.ok ? ItemStart::Started : ItemStart::Failed;
  } else {
    // A document that is missing is silently not opened; what the shell was
    // asked to open and could not fails with the shell's own reason.
    start.result = system.Open(owner, item.file, watch);
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
