// The fuzz targets without libFuzzer: each input of the folders or files
// named on the command line handed once to the target, so the test command
// checks every seed against today's properties. A broken property aborts
// (FUZZ_CHECK); the handler names the seed that broke it and fails the run,
// as a sanitizer's report does through its death callback.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Written by the handlers, so formatted before each input: they may only write.
char failure[4096];
std::size_t failureSize = 0;

void Fail() {
  if (write(STDERR_FILENO, failure, failureSize) < 0) {}
  _exit(1);
}

void OnSignal(int) { Fail(); }

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const std::string target = argc > 0 ? fs::path(argv[0]).filename().string() : "replay";
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    if (fs::is_directory(argv[i], ec)) {
      for (const fs::directory_entry& e : fs::directory_iterator(argv[i], ec))
        if (e.is_regular_file()) inputs.push_back(e.path());
    } else if (fs::is_regular_file(argv[i], ec)) {
      inputs.push_back(argv[i]);
    } else {
      std::fprintf(stderr, "%s: FAILED: no seeds at %s\n", target.c_str(), argv[i]);
      return 1;
    }
  }
  std::sort(inputs.begin(), inputs.end());
  // An empty corpus would pass without checking anything.
  if (inputs.empty()) {
    std::fprintf(stderr, "%s: FAILED: no seeds given (usage: %s folder-or-file...)\n", target.c_str(), target.c_str());
    return 1;
  }

  std::signal(SIGABRT, OnSignal);
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(Fail);
#else
  // Under the sanitizers their own handlers report these.
  for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(s, OnSignal);
#endif

  std::size_t done = 0;
  for (const fs::path& p : inputs) {
    std::ifstream in(p, std::ios::binary);
    const std::vector<char> read{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "%s: FAILED: cannot read %s\n", target.c_str(), p.c_str());
      return 1;
    }
    // A block of exactly the input's size, as libFuzzer hands it over, so the
    // sanitizer sees a read past its end (a vector's spare room would hide it).
    const std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[read.size()]);
    std::copy(read.begin(), read.end(), bytes.get());
    const int n = std::snprintf(failure, sizeof failure, "%s: FAILED on %s (%zu of %zu seeds passed before it)\n",
                                target.c_str(), p.c_str(), done, inputs.size());
    failureSize = std::min(sizeof failure - 1, static_cast<std::size_t>(std::max(n, 0)));
    LLVMFuzzerTestOneInput(bytes.get(), read.size());
    ++done;
  }
  std::printf("%s: %zu seeds passed\n", target.c_str(), done);
  return 0;
}
