// A fresh, empty folder for one test, removed with everything in it when the
// object goes out of scope. Never a fixed path of the machine.
#pragma once

#include <string>
#include <string_view>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a trailing separator.
  const std::wstring& path() const { return path_; }
  // path() + separator + name.
  std::wstring operator/(std::wstring_view name) const;
  // Writes bytes to a file in the folder (or at an absolute path), its folders
  // made, and returns its path.
  std::wstring Write(std::wstring_view name, std::string_view bytes) const;
  // The file's bytes; empty when it cannot be read.
  static std::string Read(const std::wstring& path);

 private:
  std::wstring path_;
};
