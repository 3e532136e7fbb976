// The message boxes as a list of what they would have shown.
#pragma once

#include <utility>
#include <vector>

#include "common/messages.h"

struct RecordingMessages final : ui::Messages {
  std::vector<std::pair<std::wstring, ui::MessageIcon>> shown;
  void Show(const std::wstring& text, ui::MessageIcon icon) override { shown.emplace_back(text, icon); }
};
