// Replays fuzz inputs without libFuzzer, so that the seed corpus (and any crash input) runs
// under every compiler: calls LLVMFuzzerTestOneInput once per file named on the command line,
// and once per regular file of each folder named (in name order). A broken property traps,
// as under the fuzzer. Exit status 0 when every input ran, 2 when a path could not be read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool Replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot be read\n", file.string().c_str());
    return false;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::printf("%s (%zu bytes)\n", file.string().c_str(), bytes.size());
  std::fflush(stdout);
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
    return 2;
  }
  bool all_read = true;
  int inputs = 0;
  for (int a = 1; a < argc; ++a) {
    const std::filesystem::path path = argv[a];
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) {
      all_read = Replay(path) && all_read;
      ++inputs;
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    if (error || files.empty()) {
      std::fprintf(stderr, "%s: no inputs\n", path.string().c_str());
      all_read = false;
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      all_read = Replay(file) && all_read;
      ++inputs;
    }
  }
  std::printf("%d inputs replayed\n", inputs);
  return all_read ? 0 : 2;
}
