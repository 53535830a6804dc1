// Runs a fuzz target over files instead of fuzzing: every file named, and every file in the
// folders named (a folder that does not exist is passed over), once each, in name order. A
// crash or a sanitizer report ends the run as it would end fuzzing; so the seed corpora and
// the known reproducers are regression tests in every build, with or without clang.
//
//   replay_pcx fuzz/corpus/pcx fuzz/regressions/pcx
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path named = argv[i];
    if (fs::is_directory(named)) {
      for (const auto& entry : fs::recursive_directory_iterator(named))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else if (fs::exists(named)) {
      inputs.push_back(named);
    }
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s\n", input.c_str());  // the last name shown is the one that failed
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return inputs.empty() ? 1 : 0;  // no corpus at all is a mistake, not a pass
}
