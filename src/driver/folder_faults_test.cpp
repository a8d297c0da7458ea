// Whole runs of the pedprep program against faults from outside the run: links planted
// under temporary names, two runs in one folder at once, a run killed between writes, an
// answer without line ends and inputs larger than memory.
#include <gtest/gtest.h>

#if defined(_WIN32)
TEST(FolderFaultsTest, PosixOnly) {
  GTEST_SKIP()
      << "starts runs with fork and exec, plants symbolic links, holds flock and setrlimit; the "
         "Windows file system has its own tests in records/file_system_test.cpp";
}
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testing/build_paths.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kOutputs[] = {"ped.dat", "PEDIGREE", "ID.PE", "MARKER.DAT"};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A copy of the bundled example folder inside a fresh temporary folder (the folder's
// parent, so that tests can put files beside it).
class Sandbox {
 public:
  Sandbox() {
    char name[] = "/tmp/pedprep-faults-XXXXXX";
    top_ = mkdtemp(name);
    dir_ = top_ / "run";
    fs::copy(pedprep::testing::SourceDir() / "example", dir_, fs::copy_options::recursive);
  }
  ~Sandbox() { fs::remove_all(top_); }
  const fs::path& top() const { return top_; }
  const fs::path& dir() const { return dir_; }

  // Runs `pedprep ARGS` in the folder with standard input from `input`; returns the exit
  // status, *out and *err what the program wrote there.
  int Run(const std::string& args, const std::string& input = "/dev/null",
          std::string* out = nullptr, std::string* err = nullptr) const {
    const fs::path out_file = top_ / "out.txt";
    const fs::path err_file = top_ / "err.txt";
    const std::string command =
        "cd '" + dir_.string() + "' && '" + std::string(pedprep::testing::ProgramPath()) + "' " +
        args + " <" + input + " >'" + out_file.string() + "' 2>'" + err_file.string() + "'";
    const int status = std::system(command.c_str());
    if (out) *out = Slurp(out_file);
    if (err) *err = Slurp(err_file);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::vector<std::string> Outputs() const {
    std::vector<std::string> bytes;
    for (const char* name : kOutputs) bytes.push_back(Slurp(dir_ / name));
    return bytes;
  }

  // Entries of the folder (and its subfolders) whose name ends in ".pedprep-tmp".
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 12 && name.ends_with(".pedprep-tmp")) found.push_back(name);
    }
    return found;
  }

 private:
  fs::path top_, dir_;
};

// The outputs of an undisturbed run of the example.
const std::vector<std::string>& CleanOutputs() {
  static const std::vector<std::string> outputs = [] {
    Sandbox clean;
    EXPECT_EQ(clean.Run("run --batch"), 0);
    return clean.Outputs();
  }();
  return outputs;
}

TEST(FolderFaultsTest, LinksPlantedUnderTemporaryNamesAreNotFollowed) {
  Sandbox box;
  std::ofstream(box.top() / "victim") << "the user's file";
  for (const char* name : kOutputs) {
    fs::create_symlink(box.top() / "victim", box.dir() / (std::string(name) + ".pedprep-tmp"));
  }
  std::string out;
  ASSERT_EQ(box.Run("run --batch", "/dev/null", &out), 0) << out;
  EXPECT_EQ(Slurp(box.top() / "victim"), "the user's file");
  EXPECT_EQ(box.Outputs(), CleanOutputs());
  for (const char* name : kOutputs) EXPECT_FALSE(fs::is_symlink(box.dir() / name)) << name;
  EXPECT_EQ(box.Temporaries(), std::vector<std::string>());
}

// Runs started together in one folder: each writes a whole group in turn.
TEST(FolderFaultsTest, TwoRunsAtOnceEachWriteACompleteGroup) {
  Sandbox box;
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    std::vector<pid_t> runs;
    for (int k = 0; k < 2; ++k) {
      const pid_t pid = fork();
      if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        if (null < 0 || chdir(box.dir().c_str()) != 0) _exit(126);
        dup2(null, 0);
        dup2(null, 1);
        execl(pedprep::testing::ProgramPath(), pedprep::testing::ProgramPath(), "run",
              static_cast<char*>(nullptr));
        _exit(127);
      }
      runs.push_back(pid);
    }
    for (pid_t pid : runs) {
      int status = 0;
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(box.Outputs(), CleanOutputs());
    EXPECT_EQ(box.Temporaries(), std::vector<std::string>());
  }
}

// A second run waits for the lock a while, then says so and does nothing.
TEST(FolderFaultsTest, ARunWaitsForTheFolderLockThenGivesUp) {
  Sandbox box;
  const int held = open(box.dir().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  std::string out, err;
  EXPECT_EQ(box.Run("run", "/dev/null", &out, &err), 1);
  EXPECT_EQ(out, "");
  // The message names the holder: this test's own process.
  const std::string holder = " (process " + std::to_string(getpid()) +
                             ") holds the lock on the folder .; waited 5 s and did nothing. Run "
                             "again when it has finished.\n";
  EXPECT_EQ(err.substr(0, 23), "pedprep: pedprep_tests ");
  EXPECT_NE(err.find(holder), std::string::npos) << err;
  for (const char* name : kOutputs) EXPECT_FALSE(fs::exists(box.dir() / name)) << name;
  close(held);
  EXPECT_EQ(box.Run("run"), 0);
  EXPECT_EQ(box.Outputs(), CleanOutputs());
}

// The answer to the pause comes from an input without line ends: the run still ends, in
// bounded memory (address space capped at 1 GiB, so a fault cannot take the machine's).
TEST(FolderFaultsTest, PauseAnswerWithoutLineEndsEndsInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  Sandbox box;
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit cap{std::size_t{1} << 30, std::size_t{1} << 30};
    const int zeros = open("/dev/zero", O_RDONLY);
    const int null = open("/dev/null", O_WRONLY);
    if (zeros < 0 || null < 0 || setrlimit(RLIMIT_AS, &cap) != 0 || chdir(box.dir().c_str()) != 0) {
      _exit(126);
    }
    dup2(zeros, 0);
    dup2(null, 1);
    execl(pedprep::testing::ProgramPath(), pedprep::testing::ProgramPath(), "run",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  ASSERT_EQ(wait4(pid, &status, 0, &usage), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_LT(usage.ru_maxrss, 100 * 1024) << "kilobytes";
  EXPECT_EQ(box.Outputs(), CleanOutputs());
}

// Each command refuses an input far beyond any capacity by its size, naming it.
TEST(FolderFaultsTest, InputsLargerThanMemoryAreRefusedByTheirSize) {
  constexpr std::uintmax_t kHuge = std::uintmax_t{100} << 30;
  struct Case {
    const char* args;
    const char* huge;  // made a sparse file of kHuge bytes
    std::string message;
  } cases[] = {
      {"run", "PEDIGREE.PRN", "INPUT ERROR: read of PEDIGREE.PRN: the file holds 107374182400"},
      {"report", "database/pedigree.dat",
       "INPUT ERROR: read of database/pedigree.dat: the file holds 107374182400"},
      {"import big.csv -o imported", "big.csv",
       "INPUT ERROR: read of big.csv: the file holds 107374182400"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Sandbox box;
    std::ofstream(box.dir() / c.huge).close();
    fs::resize_file(box.dir() / c.huge, kHuge);
    std::string out, err;
    EXPECT_EQ(box.Run(c.args, "/dev/null", &out, &err), 2);
    EXPECT_NE((out + err).find(c.message), std::string::npos) << out << err;
  }
}

}  // namespace
#endif
