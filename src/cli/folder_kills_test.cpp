// The whole program killed at each change of a folder's entries (a preloaded shim raises
// SIGKILL at the N-th rename or unlink): whatever is left, show never prints one herd book's
// animals under another's ids, and the files of a group are flushed before the first rename.
#include <gtest/gtest.h>

#if defined(_WIN32)
TEST(FolderKillsTest, PosixOnly) {
  GTEST_SKIP() << "kills the program at its folder calls through a shim preloaded with "
                  "LD_PRELOAD (Linux)";
}
#else
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "testing/build_paths.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;  // -1: killed
  std::string out;
};

class FolderKillsTest : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtime must come before any preloaded library";
#endif
    char name[] = "/tmp/pedprep-kills-XXXXXX";
    dir_ = mkdtemp(name);
    Spit("a.csv", "id,sire,dam,sex,breed\nA1,,,M,x\nA2,,,F,y\nA3,A1,A2,M,x\nA4,A1,A2,F,y\n");
    Spit("b.csv", "id,sire,dam,sex,breed\nB9,,,F,y\nB8,,,M,y\nB7,B8,B9,F,x\n");
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  void Spit(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  static std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  // Runs `pedprep ARGS` in the test's folder, with the shim killing it at change `kill_at`
  // (0: never) and logging its calls to `log` (empty: no log).
  Outcome Pedprep(const std::string& args, int kill_at = 0, const std::string& log = "",
                  int fail_at = 0) const {
    std::string command =
        "cd '" + dir_.string() + "' && LD_PRELOAD='" + pedprep::testing::FolderCallShimPath() + "'";
    if (kill_at > 0) command += " PEDPREP_SHIM_KILL=" + std::to_string(kill_at);
    if (fail_at > 0) command += " PEDPREP_SHIM_FAIL=" + std::to_string(fail_at);
    if (!log.empty()) command += " PEDPREP_SHIM_LOG='" + (dir_ / log).string() + "'";
    command += " '" + std::string(pedprep::testing::ProgramPath()) + "' " + args +
               " >out.txt 2>/dev/null </dev/null";
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = Slurp(dir_ / "out.txt");
    fs::remove(dir_ / "out.txt");
    return outcome;
  }

  // The show output of a folder made from `book` alone.
  std::string ShowOf(const std::string& book) const {
    fs::remove_all(dir_ / "f");
    EXPECT_EQ(Pedprep("import " + book + " -o f").status, 0);
    EXPECT_EQ(Pedprep("run --batch f").status, 0);
    const Outcome shown = Pedprep("show f");
    EXPECT_EQ(shown.status, 0);
    return shown.out;
  }

  // Kills `args` at each of its changes in turn, in folder f made anew by the `prepare`
  // steps, then looks at f with show, and again after a run: show either refuses or prints
  // one of `allowed`.
  void KillEverywhere(const std::vector<std::string>& prepare, const std::string& args,
                      const std::set<std::string>& allowed) const {
    for (int kill_at = 1; kill_at < 40; ++kill_at) {
      SCOPED_TRACE(args + " killed at change " + std::to_string(kill_at));
      fs::remove_all(dir_ / "f");
      for (const std::string& step : prepare) ASSERT_EQ(Pedprep(step).status, 0) << step;
      const Outcome killed = Pedprep(args, kill_at);
      for (const char* when : {"after the kill", "after a run"}) {
        const Outcome shown = Pedprep("show f");
        if (shown.status == 0) {
          EXPECT_EQ(allowed.count(shown.out), 1u) << when << "\n" << shown.out;
        }
        (void)Pedprep("run --batch f");
      }
      if (killed.status != -1) return;  // it made fewer changes than kill_at
    }
    ADD_FAILURE() << "still killed after 40 changes";
  }

  fs::path dir_;
};

// A group whose second rename fails removes the temporaries of the files not yet in place.
TEST_F(FolderKillsTest, AFailedSecondRenameLeavesNoTemporary) {
  EXPECT_EQ(Pedprep("import a.csv -o g", 0, "", 2).status, 2);
  EXPECT_FALSE(fs::exists(dir_ / "g" / "PEDIGREE.PRN"));
  for (const auto& entry : fs::recursive_directory_iterator(dir_ / "g")) {
    EXPECT_EQ(entry.path().string().find(".pedprep-tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(FolderKillsTest, KilledImportOrRunNeverMixesTwoBooks) {
  const std::string a = ShowOf("a.csv");
  const std::string b = ShowOf("b.csv");
  ASSERT_NE(a, b);
  const std::string import_a = "import a.csv -o f";
  const std::string run = "run --batch f";
  KillEverywhere({import_a, run}, "import b.csv -o f --force", {a, b});
  KillEverywhere({import_a, run}, run, {a});
  KillEverywhere({import_a, run, "import b.csv -o f --force"}, run, {b});
}

// The group's order as the program makes it: every temporary flushed before the first
// rename; the run renames its record last, the import PEDIGREE.PRN last, after removing the
// earlier run's files.
TEST_F(FolderKillsTest, FlushesBeforeRenamingAndRenamesTheDecidingFileLast) {
  ASSERT_EQ(Pedprep("import a.csv -o f").status, 0);
  ASSERT_EQ(Pedprep("run --batch f", 0, "run.log").status, 0);
  ASSERT_EQ(Pedprep("import b.csv -o f --force", 0, "import.log").status, 0);
  struct Case {
    const char* log;
    const char* last;
    std::vector<std::string> removed_first;
  } cases[] = {
      {"run.log", "PEDPREP.RUN", {}},
      {"import.log", "PEDIGREE.PRN", {"ped.dat", "PEDIGREE", "ID.PE", "PEDPREP.RUN"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    std::istringstream log(Slurp(dir_ / c.log));
    std::set<std::string> flushed;
    std::vector<std::string> renamed_to, removed;
    for (std::string line; std::getline(log, line);) {
      std::istringstream words(line);
      std::string call, from, to;
      words >> call >> from >> to;
      if (call == "fsync" && renamed_to.empty()) flushed.insert(from);
      if (call == "unlink" && from.find(".pedprep-tmp") == std::string::npos) {
        EXPECT_TRUE(renamed_to.empty()) << "removed after a rename: " << from;
        removed.push_back(from);
      }
      if (call != "rename") continue;
      renamed_to.push_back(to);
    }
    ASSERT_FALSE(renamed_to.empty());
    EXPECT_EQ(renamed_to.back(), c.last);
    std::istringstream again(Slurp(dir_ / c.log));
    for (std::string line; std::getline(again, line);) {
      if (line.rfind("rename ", 0) != 0) continue;
      const std::string temporary = line.substr(7, line.find(' ', 7) - 7);
      EXPECT_EQ(flushed.count(temporary), 1u) << "not flushed before renaming: " << temporary;
    }
    for (const std::string& name : c.removed_first) {
      EXPECT_NE(std::find(removed.begin(), removed.end(), name), removed.end()) << name;
    }
  }
}

}  // namespace
#endif
