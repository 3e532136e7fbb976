#include "common/tests/support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::error_code ec;
  fs::path p;
  do p = fs::temp_directory_path() / ("tvl-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  while (!fs::create_directory(p, ec));
  path_ = p.wstring();
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // Read-only files would stop the removal on Windows.
  for (auto& e : fs::recursive_directory_iterator(fs::path(path_), ec))
    fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::permissions(fs::path(path_), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(fs::path(path_), ec);
}

std::wstring TempFolder::operator/(std::wstring_view name) const {
  return (fs::path(path_) / fs::path(std::wstring(name))).wstring();
}

std::wstring TempFolder::Write(std::wstring_view name, std::string_view bytes) const {
  std::wstring p = *this / name;
  std::error_code ec;
  fs::create_directories(fs::path(p).parent_path(), ec);
  std::ofstream out(fs::path(p), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p;
}

std::string TempFolder::Read(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
