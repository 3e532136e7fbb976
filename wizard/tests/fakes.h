// Fakes for the wizard's seams, shared by its tests.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/itemtext.h"
#include "common/registry.h"
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

// Values by address; writes to an address in denied fail for want of rights,
// as do CanWrite checks of its key.
struct Registry : reg::Registry {
  std::map<std::wstring, std::string> values;
  std::vector<reg::Address> denied;
  int writes = 0;
  static std::wstring Id(const reg::Address& a) {
    return std::to_wstring(int(a.root)) + L"|" + std::to_wstring(int(a.view)) + L"|" + a.key + L"|" + a.value;
  }
  bool IsDenied(const reg::Address& a) const {
    for (const reg::Address& d : denied)
      if (d.root == a.root && d.key == a.key && (d.value.empty() || d.value == a.value)) return true;
    return false;
  }
  reg::ValueRead Read(const reg::Address& a) override {
    auto it = values.find(Id(a));
    if (it == values.end()) return {reg::Status::Missing, {}};
    return {reg::Status::Ok, it->second};
  }
  reg::Status WriteBinary(const reg::Address& a, const std::string& bytes) override {
    if (IsDenied(a)) return reg::Status::Denied;
    ++writes;
    values[Id(a)] = bytes;
    return reg::Status::Ok;
  }
  reg::Status Delete(const reg::Address& a) override {
    if (IsDenied(a)) return reg::Status::Denied;
    return values.erase(Id(a)) ? reg::Status::Ok : reg::Status::Missing;
  }
  bool CanWrite(const reg::Address& a) override { return !IsDenied({a.root, a.view, a.key, L""}); }
  std::optional<std::string> Get(const reg::Address& a) {
    auto it = values.find(Id(a));
    return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
};

}  // namespace fake
