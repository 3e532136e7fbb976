// Fakes for the wizard's seams, shared by its tests.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/itemtext.h"
#include "common/seams.h"
#include "common/shortcut.h"
#include "wizard_ui.h"

namespace fake {

struct Messages : wizard::Messages {
  std::vector<std::pair<std::wstring, wizard::MessageIcon>> shown;
  void Show(const std::wstring& t, wizard::MessageIcon i) override { shown.emplace_back(t, i); }
};

struct Clock : itemtext::Clock {
  itemtext::Date Today() override { return {2001, 5, 12}; }
};

struct Shell : ::Shell {
  std::vector<std::wstring> opened;
  std::intptr_t result = 42;
  std::intptr_t Execute(WindowHandle, const std::wstring& file, const std::wstring&, int) override {
    opened.push_back(file);
    return result;
  }
};

struct Processes : ::Processes {
  std::vector<std::wstring> started;
  bool Start(const std::wstring& commandLine, int) override { return started.push_back(commandLine), true; }
  bool SetCurrentDirectory(const std::wstring&) override { return true; }
};

// Shortcuts by full path; a path not in the map cannot be read.
struct Shortcuts : ShortcutStore {
  std::map<std::wstring, ShortcutInfo> links;
  std::vector<std::pair<std::wstring, std::wstring>> setTargets;
  bool saves = false;  // what SetTarget answers
  std::optional<ShortcutInfo> Read(const std::wstring& p) override {
    auto it = links.find(p);
    return it == links.end() ? std::nullopt : std::optional<ShortcutInfo>(it->second);
  }
  bool SetTarget(const std::wstring& lnk, const std::wstring& target) override {
    setTargets.emplace_back(lnk, target);
    return saves;
  }
};

}  // namespace fake
