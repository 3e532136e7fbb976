// POSIX builds have no shell to open documents with and start no programs:
// the real seams report failure, and tests use fakes.
#include "common/seams.h"

#include <clocale>

#include "common/text.h"

namespace {

class PosixShell final : public Shell {
 public:
  std::intptr_t Execute(WindowHandle, const std::wstring&, const std::wstring&, int) override { return 0; }
};

class PosixProcesses final : public Processes {
 public:
  bool Start(const std::wstring&, int) override { return false; }
  bool SetCurrentDirectory(const std::wstring&) override { return false; }
};

}  // namespace

Shell& RealShell() {
  static PosixShell shell;
  return shell;
}

Processes& RealProcesses() {
  static PosixProcesses processes;
  return processes;
}

NumberSeparators UserNumberSeparators() {
  const std::lconv* conv = std::localeconv();
  NumberSeparators s;
  if (conv && conv->decimal_point && *conv->decimal_point) s.decimal = text::FromAnsi(conv->decimal_point);
  s.thousands = conv && conv->thousands_sep ? text::FromAnsi(conv->thousands_sep) : L"";
  return s;
}
