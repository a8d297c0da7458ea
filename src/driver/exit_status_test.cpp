// Whole runs of the pedprep program from the command line: the exit status tells a script
// how the run ended, the pause runs a command only for a person at a terminal, and inputs
// that would lose data or write over the run's own files are refused before anything is
// written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "testing/build_paths.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A copy of the bundled example folder in a fresh temporary folder.
class ExampleFolder {
 public:
  ExampleFolder() {
    char name[] = "/tmp/pedprep-run-XXXXXX";
    dir_ = mkdtemp(name);
    fs::copy(pedprep::testing::SourceDir() / "example", dir_, fs::copy_options::recursive);
  }
  ~ExampleFolder() { fs::remove_all(dir_); }
  const fs::path& dir() const { return dir_; }
  std::string Read(const std::string& name) const { return Slurp(dir_ / name); }
  void Write(const std::string& name, const std::string& bytes) const { Spit(dir_ / name, bytes); }
  bool Has(const std::string& name) const { return fs::exists(dir_ / name); }

  // Runs pedprep with `input` on a pipe; returns the exit status, `*shown` the console.
  int RunFromPipe(const std::string& input, std::string* shown = nullptr) const {
    Write("stdin.txt", input);
    const std::string command = "cd '" + dir_.string() + "' && '" +
                                std::string(pedprep::testing::ProgramPath()) +
                                "' <stdin.txt >console.txt 2>&1";
    const int status = std::system(command.c_str());
    if (shown) *shown = Read("console.txt");
    fs::remove(dir_ / "stdin.txt");
    fs::remove(dir_ / "console.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Runs pedprep on a pseudo-terminal where `typed` has been typed; returns the exit status.
  int RunAtTerminal(const std::string& typed) const {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
      if (chdir(dir_.c_str()) != 0) _exit(126);
      execl(pedprep::testing::ProgramPath(), pedprep::testing::ProgramPath(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid < 0) return -1;
    if (write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) return -1;
    char buffer[4096];
    while (read(master, buffer, sizeof buffer) > 0) {
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  fs::path dir_;
};

constexpr const char* kOutputs[] = {"ped.dat", "PEDIGREE", "ID.PE", "MARKER.DAT"};

// The first `from` in `name` of `folder` becomes `to`.
void Replace(const ExampleFolder& folder, const std::string& name, const std::string& from,
             const std::string& to) {
  std::string bytes = folder.Read(name);
  const std::size_t at = bytes.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  bytes.replace(at, from.size(), to);
  folder.Write(name, bytes);
}

TEST(ExitStatusTest, SuccessStopAndInputErrorEachHaveTheirStatus) {
  struct Case {
    const char* name;
    const char* file;      // nullptr: the example as it is
    std::string from, to;  // to = "": the file is removed
    int status;
  };
  for (const Case& c : {
           Case{"clean run", nullptr, "", "", 0},
           Case{"wrong marker definition", "DEF.DAT", "\r\n 2", "\r\n 0", 1},
           Case{"ITR above NTR with marker records", "DEF.DAT", "\r\n 2", "\r\n 5", 1},
           Case{"sex error", "PEDIGREE.PRN", "    1    2    0    0    1    2",
                "    1    2    0    0    1    1", 1},
           Case{"missing passport file", "PEDIGREE.PRN", "", "", 2},
       }) {
    SCOPED_TRACE(c.name);
    ExampleFolder folder;
    if (c.file && c.to.empty()) fs::remove(folder.dir() / c.file);
    if (c.file && !c.to.empty()) Replace(folder, c.file, c.from, c.to);
    std::string shown;
    EXPECT_EQ(folder.RunFromPipe("", &shown), c.status) << shown;
    for (const char* out : kOutputs) EXPECT_EQ(folder.Has(out), c.status == 0) << out;
  }
}

TEST(ExitStatusTest, PauseRunsACommandOnlyWhenTypedAtATerminal) {
  ExampleFolder piped;
  EXPECT_EQ(piped.RunFromPipe("touch ran\n"), 0);
  EXPECT_FALSE(piped.Has("ran"));

  ExampleFolder typed;
  EXPECT_EQ(typed.RunAtTerminal("touch ran\n"), 0);
  EXPECT_TRUE(typed.Has("ran"));
}

TEST(ExitStatusTest, RefusedInputsWriteNothing) {
  struct Case {
    const char* name;
    const char* file;
    std::string from, to;
  };
  for (const Case& c : {
           Case{"marker file named as the passport file", "DEF.DAT", "MARKER.DAT", "pedigree.prn"},
           Case{"marker file outside the folder", "DEF.DAT", "MARKER.DAT", "../MARKER.DAT"},
           Case{"individual number above 32767", "PEDIGREE.PRN", "    1    2    0    0",
                "    165537    0    0"},
           Case{"breed code above 255", "PEDIGREE.PRN", "    1    1    0    0    1",
                "    1    1    0    0  356"},
           Case{"nation code above 127", "database/pedigree.dat", "    1    0    0    1    9",
                "    1    0    0    1  265"},
           Case{"selected marker value above 127", "database/markers.dat", "    3    1    2",
                "    3    1  300"},
       }) {
    SCOPED_TRACE(c.name);
    ExampleFolder folder;
    Replace(folder, c.file, c.from, c.to);
    const std::string passport = folder.Read("PEDIGREE.PRN");
    std::string shown;
    EXPECT_EQ(folder.RunFromPipe("", &shown), 2);
    EXPECT_NE(shown.find("INPUT ERROR: "), std::string::npos) << shown;
    EXPECT_EQ(folder.Read("PEDIGREE.PRN"), passport);
    for (const char* out : kOutputs) EXPECT_FALSE(folder.Has(out)) << out;
    EXPECT_FALSE(fs::exists(folder.dir().parent_path() / "MARKER.DAT"));
  }
}

TEST(ExitStatusTest, ByteOrderMarksAreSkipped) {
  ExampleFolder plain, marked;
  for (const char* name :
       {"PEDIGREE.PRN", "DEF.DAT", "database/pedigree.dat", "database/markers.dat"}) {
    marked.Write(name, "\xEF\xBB\xBF" + marked.Read(name));
  }
  std::string plain_shown, marked_shown;
  EXPECT_EQ(plain.RunFromPipe("", &plain_shown), 0);
  EXPECT_EQ(marked.RunFromPipe("", &marked_shown), 0);
  EXPECT_EQ(marked_shown, plain_shown);
  for (const char* out : kOutputs) EXPECT_EQ(marked.Read(out), plain.Read(out)) << out;
}

}  // namespace
