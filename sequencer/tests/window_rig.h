// What the window tests share: an idle meter and a message pump.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "common/tests/support/program_win32.h"
#include "sequencer/win32/main_window.h"

struct ZeroMeter : CpuMeter {
  double GetValue() override { return 0; }
  static std::unique_ptr<CpuMeter> Make() { return std::make_unique<ZeroMeter>(); }
};

using tvltest::Pump;

// The list's icon of an item, as an itemicon value.
inline int Icon(const sequencer::MainWindow& window, int index) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  ListView_GetItem(window.itemList(), &item);
  return item.iImage + 1;
}
