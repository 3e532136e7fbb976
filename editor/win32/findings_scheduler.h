// The background check of the editor's rows: after each edit every row is
// checked again, a slice of time per tick of the window's timer, so that the
// status line can count the findings without holding up typing in a large
// file. A row drawn before its turn is checked at once.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/fileio.h"
#include "editor/row_findings.h"
#include "editor/sequence_document.h"
#include "sequence/sequence_check.h"

namespace editor {

class FindingsScheduler {
 public:
  // The timer's id on the window (WM_TIMER).
  static constexpr UINT_PTR kTimer = 1;

  FindingsScheduler(const SequenceDocument& doc, FileSystem& files) : files_(files), rows_(doc) {}

  // Forgets the findings and starts checking on window's timer; askSystem
  // also looks again at what the system has installed and starts by itself.
  void Restart(HWND window, bool askSystem);
  // The timer's tick: true when it checked the last row (the count is known).
  bool OnTimer(HWND window);
  void Stop(HWND window) { KillTimer(window, kTimer); }

  const std::vector<std::wstring>& At(std::size_t row) { return rows_.At(row, Check()); }
  // Every row's findings together; nullopt while rows are unchecked.
  std::optional<std::size_t> Total() const { return rows_.Total(); }

 private:
  const sequence::check::ItemCheck& Check();

  FileSystem& files_;
  std::optional<sequence::check::ItemCheck> check_;
  RowFindings rows_;
};

}  // namespace editor
