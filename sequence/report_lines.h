// How the reports (Tarvoline's start report and the sequence check's) are
// stored: one shape for both, so that the same editors read them alike.
#pragma once

#include <string>
#include <vector>

namespace sequence {

// Lines as UTF-8 with CR LF ends, with the byte-order mark in front when
// byteOrderMark is set (the first bytes of a new file). A control character
// inside a line would break it in two, so it is written as a blank.
std::string Utf8Lines(const std::vector<std::wstring>& lines, bool byteOrderMark);

}  // namespace sequence
