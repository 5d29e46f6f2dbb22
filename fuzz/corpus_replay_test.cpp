// Runs a fuzz target's entry point over every file of its checked-in corpus (seeds and the
// reproducers of crashes found so far), so that every build replays them without libFuzzer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace hv {

namespace {

// The suite is named after the target (HV_FUZZ_SUITE), so every replay is its own ctest test.
TEST(HV_FUZZ_SUITE, EveryFileRunsCleanly) {
  const std::filesystem::path corpus = HV_FUZZ_CORPUS_DIR;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << "no seeds in " << corpus;
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    // A crash or a sanitizer report ends the process and fails the test; the target's own
    // checks abort the same way.
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
  }
}

}  // namespace

}  // namespace hv
