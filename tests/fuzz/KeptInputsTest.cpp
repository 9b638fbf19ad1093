#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzTargets.h"

namespace {

namespace fs = std::filesystem;

// Runs every input kept for a fuzzer through its entry; an input that breaks a rule aborts
// the program, and the failing test's log names the file last started.
void ReplayKept(const char* Folder, void (*Target)(const uint8_t*, size_t)) {
  const fs::path dir = fs::path(ORVEL_SOURCE_DIR) / "tests/fuzz/inputs" / Folder;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files.push_back(e.path());
  ASSERT_FALSE(files.empty()) << "no inputs in " << dir;
  for (const fs::path& f : files) {
    std::ifstream in(f, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "input %s\n", f.filename().string().c_str());
    Target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

TEST(KeptFuzzInputs, FrameStreamsDecodeWithinTheirRules) { ReplayKept("frame-stream", FuzzFrameStream); }

TEST(KeptFuzzInputs, ConfigurationFilesReadAsTheLibraryReadsTheirNumber) { ReplayKept("port-file", FuzzPortFile); }

}  // namespace
