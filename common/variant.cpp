#include "variant.h"

#include <charconv>

bool Variant::IsEmpty() const {
  if (IsNothing()) return true;
  const auto* s = std::get_if<std::wstring>(&v_);
  return s && s->empty();
}

std::wstring Variant::ToString() const {
  switch (v_.index()) {
    case 1: return std::get<1>(v_);
    case 2: return std::to_wstring(std::get<2>(v_));
    case 3: return std::to_wstring(std::get<3>(v_));
    case 4: {
      char buf[64];
      auto r = std::to_chars(buf, buf + sizeof buf, std::get<4>(v_));
      return std::wstring(buf, r.ptr);
    }
    case 5: return std::get<5>(v_) ? L"True" : L"False";
    default: return {};
  }
}

std::optional<double> Variant::ToNumber() const {
  switch (v_.index()) {
    case 2: return std::get<2>(v_);
    case 3: return std::get<3>(v_);
    case 4: return std::get<4>(v_);
    case 5: return std::get<5>(v_) ? -1.0 : 0.0;
    case 1: break;
    default: return std::nullopt;
  }
  const std::wstring& s = std::get<1>(v_);
  size_t b = s.find_first_not_of(L" \t");
  if (b == std::wstring::npos) return std::nullopt;
  size_t e = s.find_last_not_of(L" \t") + 1;
  std::string ascii;
  ascii.reserve(e - b);
  for (size_t i = b; i < e; ++i) {
    if (s[i] > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(s[i]));
  }
  const char* first = ascii.data();
  const char* last = first + ascii.size();
  // from_chars takes no plus sign; skipping it must not let a second sign in.
  if (*first == '+' && ++first != last && *first == '-') return std::nullopt;
  double d = 0;
  auto r = std::from_chars(first, last, d, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != last) return std::nullopt;
  return d;
}
