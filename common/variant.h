// A small tagged value: nothing, text, 16/32-bit integer, double or Boolean.
// The INI document stores its names and values as Variants. The empty
// Variant (nothing) is not the same as the empty string, though both count as
// "empty" where the documents test for emptiness.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

class Variant {
 public:
  Variant() = default;
  Variant(std::wstring s) : v_(std::move(s)) {}
  Variant(const wchar_t* s) : v_(std::wstring(s)) {}
  Variant(std::int16_t i) : v_(i) {}
  Variant(std::int32_t i) : v_(i) {}
  Variant(double d) : v_(d) {}
  Variant(bool b) : v_(b) {}

  bool IsNothing() const { return v_.index() == 0; }
  bool IsString() const { return v_.index() == 1; }
  // Nothing, or the empty string.
  bool IsEmpty() const;

  // Text form: integers in plain decimal, doubles in shortest round-trip
  // decimal, Booleans as "True"/"False", nothing as "".
  std::wstring ToString() const;
  // Numeric value: numbers as they are, Booleans as -1/0, text as a decimal
  // number ("0.0" is 0; blanks around it allowed). Nothing, empty text and
  // text that is not a number give std::nullopt.
  std::optional<double> ToNumber() const;

  bool operator==(const Variant& o) const { return v_ == o.v_; }

 private:
  std::variant<std::monostate, std::wstring, std::int16_t, std::int32_t, double, bool> v_;
};
