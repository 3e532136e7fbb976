// The native build's number separators. It has no shell and starts no
// programs: the core's tests use fakes for those seams.
#include "common/seams.h"

#include <clocale>

#include "common/text.h"

NumberSeparators UserNumberSeparators() {
  const std::lconv* conv = std::localeconv();
  NumberSeparators s;
  if (conv && conv->decimal_point && *conv->decimal_point) s.decimal = text::FromAnsi(conv->decimal_point);
  s.thousands = conv && conv->thousands_sep ? text::FromAnsi(conv->thousands_sep) : L"";
  return s;
}
