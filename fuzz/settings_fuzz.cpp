// LoadSettings from the bytes of the settings file: the four settings come
// out finite, each the file's number where it holds a finite one and the
// default otherwise; the file is written back once, with every key present.
#include <cmath>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "ini/ini_mente.h"
#include "sequencer/startup.h"

namespace {

struct Key {
  const wchar_t* name;
  const double* setting;
  double fallback;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring path = L"Tarvoline.ini";
  fuzz::OneFileSystem fs(path, std::string(fuzz::Bytes(data, size)));
  // The C library's own format, which the reference parse below follows.
  Startup::LoadSettings(path, fs, NumberSeparators{L".", L""});
  FUZZ_CHECK(fs.Replacements() == 1);

  iniMente before(fs), after(fs);
  fuzz::OneFileSystem original(path, std::string(fuzz::Bytes(data, size)));
  iniMente user(original);
  user.iniLoader(path);
  after.iniLoader(path);

  const Key keys[] = {{L"CPULimit", &Startup::CPULimit, Startup::kDefaultCPULimit},
                      {L"MaxIdleTime", &Startup::MaxIdleTime, Startup::kDefaultMaxIdleTime},
                      {L"IntervalTime", &Startup::IntervalTime, Startup::kDefaultIntervalTime},
                      {L"TimerInterval", &Startup::TimerInterval, Startup::kDefaultTimerInterval}};
  for (const Key& k : keys) {
    FUZZ_CHECK(std::isfinite(*k.setting));
    Variant mine = user.GetiniValue(k.name, Variant());
    const bool deleted = mine.IsString() && mine.ToString() == L"*DEL*";
    if (mine.IsEmpty()) {
      FUZZ_CHECK(*k.setting == k.fallback);
    } else {
      fuzz::Decimal d = fuzz::DecimalNumber(mine.ToString());
      if (d.kind == fuzz::Decimal::Number) FUZZ_CHECK(*k.setting == d.value);
      if (d.kind == fuzz::Decimal::NotNumber) FUZZ_CHECK(*k.setting == k.fallback);
    }
    // Written back: the user's text as it was, or the default filled in.
    Variant saved = after.GetiniValue(k.name, Variant());
    if (!deleted) FUZZ_CHECK(mine.IsEmpty() ? saved.ToString() == Variant(k.fallback).ToString() : saved == mine);
  }
  const int ms = Startup::TimerIntervalMs(Startup::TimerInterval);
  FUZZ_CHECK(ms >= 1 && ms <= 65535);
  return 0;
}
