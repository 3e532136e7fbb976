// What the window tests share: an idle meter and a message pump.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "sequencer/win32/frm_main.h"

struct ZeroMeter : CpuMeter {
  void AddCounter(const std::wstring&) override {}
  double GetValue() override { return 0; }
  static void Make(std::unique_ptr<CpuMeter>& m) { m = std::make_unique<ZeroMeter>(); }
};

inline void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

// The list's icon of an item, as an itemicon value.
inline int Icon(frmMain& form, int index) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  ListView_GetItem(form.lvApp(), &item);
  return item.iImage + 1;
}
