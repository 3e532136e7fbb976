#include "sequencer/launch_engine.h"

#include <cmath>

#include "common/text.h"
#include "common/tool.h"

namespace {

// The caption while an item is being started: its name, "is being started."
const wchar_t kStartingSuffix[] = L"を起動しています。";

bool IsProgramExtension(const std::wstring& ext) {
  return ext == L"com" || ext == L"exe" || ext == L"bat" || ext == L"cmd";
}

// "##0.##": at most two decimals, halves away from zero.
double TwoDecimals(double v) { return std::round(v * 100.0) / 100.0; }

}  // namespace

LaunchEngine::LaunchEngine(const std::vector<Startup::SequenceItem>& items, LaunchSettings settings,
                           LaunchView& view, CpuMeter* meter, Processes& processes, Shell& shell,
                           FileSystem& fs)
    : items_(items),
      settings_(settings),
      view_(view),
      meter_(meter),
      processes_(processes),
      shell_(shell),
      fs_(fs) {}

LaunchEngine::Outcome LaunchEngine::Tick(int intervalMs) {
  if (Finished()) return Outcome::Idle;

  bool ok = meter_ != nullptr;
  if (ok) {
    const double usage = meter_->GetValue();
    view_.ShowCpuLoad(TwoDecimals(usage));
    const double waited = static_cast<double>(intervalMs) * waitTicks_;
    if (!ShouldStart(waited, usage, settings_)) {
      waitTicks_ += 1;
      return Outcome::Waited;
    }
    ok = StartItem(items_[static_cast<size_t>(currentIndex_)]);
  }
  if (!ok) {
    // No message: the entry turns grey and the next item follows after the usual wait.
    view_.SetItemIcon(items_[static_cast<size_t>(currentIndex_)].Key, itemicon::kFailed);
  }
  Advance();
  return ok ? Outcome::Started : Outcome::Failed;
}

bool LaunchEngine::StartItem(const Startup::SequenceItem& item) {
  view_.SetCaption(tool::GetBaseNameFromPath(item.File) + kStartingSuffix);
  if (!view_.MarkStarted(item.Key)) return false;
  view_.SetProgress(currentIndex_ + 1);
  view_.RepaintNow();

  // Not restored afterwards: later items without a usable Current start here too.
  if (!item.Current.empty() && tool::IsFolderPresent(item.Current, fs_)) {
    if (!processes_.SetCurrentDirectory(item.Current)) return false;
  }

  // Nothing to open: an empty path would only reach the shell's own error box.
  if (item.File.empty()) return false;

  // An address is never a program, though many end in ".com".
  const std::wstring ext = text::ToLower(tool::GetExtensionFromPath(item.File));
  if (!tool::IsAddress(item.File) && IsProgramExtension(ext)) {
    if (item.Size < 0 || item.Size > kMaxShowState) return false;
    return processes_.Start(L"\"" + item.File + L"\" " + item.Option, item.Size);
  }
  // Documents and addresses: a document that is missing is silently not
  // opened, and the item keeps its started icon.
  tool::ShellOpen(view_.Owner(), item.File, shell_, fs_);
  return true;
}

void LaunchEngine::Advance() {
  currentIndex_ += 1;
  waitTicks_ = 0;
  if (Finished()) {
    view_.StopTimer();
    view_.EndProgram();
  }
}
