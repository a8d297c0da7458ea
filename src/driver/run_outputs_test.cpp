// The output files of a run appear all together or not at all: they are handed to the
// folder in one piece just before the success line, and a failure to create or write any
// of them leaves the earlier outputs as they were.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/stop.h"
#include "driver/run_driver.h"
#include "records/input_error.h"
#include "testing/fakes.h"
#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::CleanDefinition;
using testing::CleanOutputNames;
using testing::TestRun;

const std::string kBreakLines =
    "          4\n"
    "          1           4\n"
    "BREAKAGE: NFA,NMA          3           4\n";
const std::string kSuccessEnd = "ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED\n" +
                                std::string(kPausePrompt) + "\n" + kStopLine + "\n";

// A folder that remembers each WriteFiles call and what the console showed at that moment.
class WatchedFolder : public MemoryFileSystem {
 public:
  explicit WatchedFolder(const CapturingConsole& console) : console_(console) {}
  void WriteFiles(const std::vector<OutputFile>& out) override {
    std::vector<std::string> names;
    for (const OutputFile& f : out) names.push_back(f.name);
    calls.push_back(names);
    shown_at_write.push_back(console_.output);
    MemoryFileSystem::WriteFiles(out);
  }
  std::vector<std::vector<std::string>> calls;
  std::vector<std::string> shown_at_write;

 private:
  const CapturingConsole& console_;
};

TEST(RunOutputsTest, AllFilesAreWrittenAtOnceJustBeforeTheSuccessLine) {
  CapturingConsole console;
  WatchedFolder folder(console);
  RecordingCommandRunner shell;
  auto ctx = std::make_unique<RunContext>(console, folder, shell);
  testing::PutCleanInputs(folder);
  EXPECT_EQ(RunPedprep(*ctx), 0);
  ASSERT_EQ(folder.calls.size(), 1u);
  std::vector<std::string> written = folder.calls[0];
  std::vector<std::string> expected = CleanOutputNames();
  std::sort(written.begin(), written.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(written, expected);
  EXPECT_EQ(folder.shown_at_write[0], kBreakLines);
  EXPECT_EQ(console.output, kBreakLines + kSuccessEnd);
}

// A run that writes no outputs (a run in memory) asks the folder for no write and otherwise
// ends as a writing run does: the same status, console text and store.
TEST(RunOutputsTest, RunWritingNoOutputsEndsAsAWritingRun) {
  CapturingConsole writing_console;
  CapturingConsole silent_console;
  WatchedFolder writing(writing_console);
  WatchedFolder silent(silent_console);
  testing::PutCleanInputs(writing);
  testing::PutCleanInputs(silent);
  RecordingCommandRunner shell;
  RunContext writing_run(writing_console, writing, shell);
  RunContext silent_run(silent_console, silent, shell);
  silent_run.write_outputs = false;
  EXPECT_EQ(RunPedprep(writing_run), 0);
  EXPECT_EQ(RunPedprep(silent_run), 0);
  EXPECT_EQ(writing.calls.size(), 1u);
  EXPECT_TRUE(silent.calls.empty());
  EXPECT_EQ(silent_console.output, writing_console.output);
  EXPECT_EQ(testing::DescribeRows(silent_run.store), testing::DescribeRows(writing_run.store));
}

TEST(RunOutputsTest, AnyUnwritableOutputLeavesTheEarlierOutputs) {
  for (const std::string& bad : CleanOutputNames()) {
    SCOPED_TRACE(bad);
    TestRun run;
    testing::PutCleanInputs(run.files);
    for (const std::string& name : CleanOutputNames()) run.files.files[name] = "old " + name;
    run.files.unwritable.insert(bad);
    run.console.answers = {"echo never"};
    EXPECT_EQ(RunPedprep(*run.ctx), 2);
    EXPECT_EQ(run.console.output,
              kBreakLines + "INPUT ERROR: create of " + bad + ": Permission denied\n");
    for (const std::string& name : CleanOutputNames()) {
      EXPECT_EQ(run.files.files[name], "old " + name);
    }
    EXPECT_TRUE(run.shell.commands.empty());
  }
}

namespace fs = std::filesystem;

// Whole runs in a real folder (the process's working directory moves there for the test).
// The faults do not depend on permissions, so they hold when the tests run as root.
class RunOutputsOnDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("pedprep_outputs_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "database");
    fs::current_path(dir_);
    MemoryFileSystem inputs;
    testing::PutCleanInputs(inputs);
    for (const auto& [name, bytes] : inputs.files) Put(name, bytes);
  }
  void TearDown() override {
    fs::current_path(old_dir_);
    fs::remove_all(dir_);
  }

  static void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Every file and folder below the run folder, with its contents for files.
  std::vector<std::string> Snapshot() const {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      const std::string name = fs::relative(entry.path(), dir_).string();
      entries.push_back(entry.is_directory() ? name + "/" : name + "=" + Get(name));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }
  // One run with DiskFileSystem; returns its exit status and fills *shown.
  static int Run(std::string* shown) {
    CapturingConsole console;
    DiskFileSystem disk;
    RecordingCommandRunner shell;
    auto ctx = std::make_unique<RunContext>(console, disk, shell);
    const int status = RunPedprep(*ctx);
    *shown = console.output;
    return status;
  }

  fs::path old_dir_;
  fs::path dir_;
};

TEST_F(RunOutputsOnDiskTest, FailedCreationLeavesThePreviousRunsOutputs) {
  std::string shown;
  ASSERT_EQ(Run(&shown), 0);
  EXPECT_EQ(shown, kBreakLines + kSuccessEnd);
  const std::vector<std::string> after_first_run = Snapshot();
  for (const std::string& name : CleanOutputNames()) EXPECT_TRUE(fs::is_regular_file(name));

  struct Case {
    const char* name;
    std::string marker_file;  // the marker file name DEF.DAT gives
    std::string report;
  };
  const std::vector<Case> cases = {
      {"marker file names a folder", "database",
       "INPUT ERROR: read of DEF.DAT, record 2: the marker file name names a folder: "
       "\"database\""},
      {"marker file below a regular file", "ped.dat/M.DAT",
       "INPUT ERROR: create of ped.dat/M.DAT: Not a directory"},
      {"marker file in a missing folder", "nofolder/M.DAT",
       "INPUT ERROR: create of nofolder/M.DAT: No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string definition = CleanDefinition();
    definition.replace(definition.find("MARKER.DAT"), 10, c.marker_file);
    Put("DEF.DAT", definition);
    std::vector<std::string> before = Snapshot();
    EXPECT_EQ(Run(&shown), 2);
    EXPECT_EQ(shown, kBreakLines + c.report + "\n");
    EXPECT_EQ(Snapshot(), before);
  }
  Put("DEF.DAT", CleanDefinition());
  EXPECT_EQ(Snapshot(), after_first_run);
}

TEST_F(RunOutputsOnDiskTest, FolderInThePlaceOfAnOutputChangesNothing) {
  fs::create_directory("ID.PE");
  Put("ped.dat", "old table");
  const std::vector<std::string> before = Snapshot();
  std::string shown;
  EXPECT_EQ(Run(&shown), 2);
  EXPECT_EQ(shown, kBreakLines + "INPUT ERROR: create of ID.PE: Is a directory\n");
  EXPECT_EQ(Snapshot(), before);

  fs::remove("ID.PE");
  EXPECT_EQ(Run(&shown), 0);
  EXPECT_NE(Get("ped.dat"), "old table");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"DEF.DAT", "ID.PE", "MARKER.DAT", "PEDIGREE",
                                             "PEDIGREE.PRN", "database", "ped.dat"}));
}

}  // namespace
}  // namespace pedprep
