// Load speed of the sequence file and of a settings-style INI file. The files
// are generated once into a temporary folder, in the form the wizard writes.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "common/text.h"
#include "ini/ini_document.h"
#include "ini/sequence_records.h"
#include "common/tests/support/temp_folder.h"

namespace {

TempFolder& Folder() {
  static TempFolder folder;
  return folder;
}

struct File {
  std::wstring path;
  std::size_t bytes = 0;
};

const File& SequenceFile(int items) {
  static std::map<int, File> files;
  File& f = files[items];
  if (f.path.empty()) {
    std::wstring text;
    for (int i = 0; i < items; ++i) {
      text += L"2001/05/12：Title " + std::to_wstring(i) + L"\x01\x01";
      text += L"File=C:\\Tools\\x.exe\r\nCurrent=C:\\Tools\r\nOption=\r\nSize = 1\r\nNoUse = 0\x01";
    }
    std::string bytes = text::ToAnsi(text);
    f.bytes = bytes.size();
    f.path = Folder().Write(L"StartUp" + std::to_wstring(items) + L".pmw", bytes);
  }
  return f;
}

const File& IniFile(int lines) {
  static std::map<int, File> files;
  File& f = files[lines];
  if (f.path.empty()) {
    std::string bytes;
    for (int i = 0; i < lines; ++i) {
      switch (i % 10) {
        case 0: bytes += "[Section" + std::to_string(i) + "]\r\n"; break;
        case 1: bytes += "; a remark about the next keys\r\n"; break;
        case 2: bytes += "\r\n"; break;
        default: bytes += "  Key" + std::to_string(i) + " =  value number " + std::to_string(i) + "\r\n";
      }
    }
    f.bytes = bytes.size();
    f.path = Folder().Write(L"Settings" + std::to_wstring(lines) + L".ini", bytes);
  }
  return f;
}

void BM_RecordLoader(benchmark::State& state) {
  const File& f = SequenceFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto items = records::Load(f.path, RealFileSystem());
    if (items.size() != static_cast<std::size_t>(state.range(0))) state.SkipWithError("wrong item count");
    benchmark::DoNotOptimize(items.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_RecordLoader)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_IniLoadAndSave(benchmark::State& state) {
  const File& f = IniFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    IniDocument doc(RealFileSystem());
    if (!doc.Load(f.path)) state.SkipWithError("load failed");
    std::wstring saved = doc.SaveText();
    benchmark::DoNotOptimize(saved.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_IniLoadAndSave)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
