#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "core/stop.h"

namespace pedprep {
namespace {

// A folder of the in-memory world, handed out by CommandEnvironment::open_folder.
class FolderView : public FileSystem {
 public:
  explicit FolderView(MemoryFileSystem& folder) : folder_(folder) {}
  bool ReadFile(const std::string& name, std::string* contents) override {
    return folder_.ReadFile(name, contents);
  }
  void WriteFiles(const std::vector<OutputFile>& files) override { folder_.WriteFiles(files); }

 private:
  MemoryFileSystem& folder_;
};

class CommandLineTest : public ::testing::Test {
 protected:
  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "pedprep");
    std::ostringstream out, err;
    CommandEnvironment env(console_, shell_, [this](const std::string& folder, bool) {
      return std::make_unique<FolderView>(folders_[folder]);
    });
    const int status = RunCommandLine(static_cast<int>(args.size()), args.data(), out, err, env);
    out_ = out.str();
    err_ = err.str();
    return status;
  }

  std::map<std::string, MemoryFileSystem> folders_;
  CapturingConsole console_;
  RecordingCommandRunner shell_;
  std::string out_, err_;
};

const char* const kHerdbook =
    "animal,father,mother,sex,breed\nDE01,,,M,A\nDE02,,,F,B\nDE03,DE01,DE02,F,\n";
const std::string kUsage =
    "usage: pedprep [COMMAND] [ARGS...]  (commands: run, import; pedprep COMMAND --help)\n";

TEST_F(CommandLineTest, UsageErrorsRunNothing) {
  folders_[""].files["hb.csv"] = kHerdbook;
  struct Case {
    std::vector<const char*> args;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {{"bogus"}, "The following argument was not expected: bogus"},
      {{"--batch"}, "The following argument was not expected: --batch"},
      {{"import"}, "HERDBOOK is required"},
      {{"import", "hb.csv", "--select"}, "--select: 1 required K:INT in [1 - 20] missing"},
      {{"import", "hb.csv", "--select", "21"}, "--select: Value 21 not in range 1 to 20"},
      {{"import", "hb.csv", "--default-sex", "X"}, "--default-sex: X not in {M,F}"},
      {{"import", "hb.csv", "--generations", "2"}, "--generations requires --keep"},
      {{"import", "hb.csv", "--marker-file", "A_NAME_OF_22_BYTES.XX"},
       "--marker-file: a file name of 1 to 20 characters without blanks"},
      {{"run", "/no/such/folder"}, "FOLDER: Directory does not exist: /no/such/folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    EXPECT_EQ(Run(c.args), 64);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "pedprep: " + c.problem + "\n" + kUsage);
  }
  EXPECT_EQ(console_.output, "");
  EXPECT_EQ(folders_[""].files.size(), 1u);
}

TEST_F(CommandLineTest, HelpAndVersionOnStandardOutput) {
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(out_, std::string("pedprep ") + PEDPREP_VERSION + "\n");
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_EQ(out_.rfind("pedprep prepares", 0), 0u) << out_;
  EXPECT_NE(out_.find("Subcommands:\n  run "), std::string::npos) << out_;
  EXPECT_EQ(Run({"import", "--help"}), 0);
  EXPECT_NE(out_.find("Usage: pedprep import [OPTIONS] HERDBOOK"), std::string::npos) << out_;
  EXPECT_EQ(err_, "");
  EXPECT_EQ(console_.output, "");
}

TEST_F(CommandLineTest, ImportThenRunInTheFolder) {
  folders_[""].files["hb.csv"] = kHerdbook;
  const std::string out_dir = std::filesystem::temp_directory_path().string();
  ASSERT_EQ(Run({"import", "hb.csv", "-o", out_dir.c_str(), "--delimiter", ","}), 0) << err_;
  EXPECT_NE(out_.find("animals kept: 3\n"), std::string::npos) << out_;
  EXPECT_EQ(folders_[out_dir].files.size(), 5u);

  EXPECT_EQ(Run({"run", out_dir.c_str(), "--batch"}), 0);
  EXPECT_EQ(console_.output.find("Pause"), std::string::npos) << console_.output;
  EXPECT_NE(console_.output.find("ALL RIGHT"), std::string::npos) << console_.output;
  EXPECT_EQ(folders_[out_dir].files.count("MARKERS.BIN"), 1u);
  EXPECT_EQ(console_.answers_used, 0u);

  // Without arguments: the run in the current folder, with its pause.
  folders_[""] = folders_[out_dir];
  console_.output.clear();
  EXPECT_EQ(Run({}), 0);
  EXPECT_NE(console_.output.find("ALL RIGHT"), std::string::npos) << console_.output;
  EXPECT_NE(console_.output.find("Pause"), std::string::npos) << console_.output;
}

}  // namespace
}  // namespace pedprep
