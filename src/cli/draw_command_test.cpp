#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "testing/fakes.h"
#include "testing/run_folder.h"

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

// `draw FOLDER -o x.dot` reads the run's folder and writes x.dot where the command is
// given, as any other output file named on the command line.
TEST(DrawCommandTest, DrawWritesItsFileInTheCurrentFolder) {
  std::map<std::string, MemoryFileSystem> folders;
  const std::string run_folder = std::filesystem::temp_directory_path().string();
  testing::PutCleanInputs(folders[run_folder]);
  const MemoryFileSystem inputs = folders[run_folder];
  CapturingConsole console;
  RecordingCommandRunner shell;
  CommandEnvironment env(console, shell, [&folders](const std::string& folder, bool) {
    return std::make_unique<FolderView>(folders[folder]);
  });
  const std::vector<const char*> args = {"pedprep", "draw", run_folder.c_str(), "--family", "1",
                                         "-o",      "f.dot"};
  std::ostringstream out, err;
  ASSERT_EQ(RunCommandLine(static_cast<int>(args.size()), args.data(), out, err, env), 0)
      << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(folders[""].files.size(), 1u);
  EXPECT_EQ(folders[""].files["f.dot"].rfind("digraph ", 0), 0u);
  EXPECT_EQ(folders[run_folder].files, inputs.files);

  // --label id,F from the command line: each box says its id, then F.
  const std::vector<const char*> labelled = {"pedprep", "draw", run_folder.c_str(), "--family", "1",
                                             "--label", "id,F"};
  std::ostringstream dot, problems;
  ASSERT_EQ(RunCommandLine(static_cast<int>(labelled.size()), labelled.data(), dot, problems, env),
            0)
      << problems.str();
  EXPECT_NE(dot.str().find("p1 [label=\"ini_id 1\\nF 0\\n1 (pos 1)\""), std::string::npos)
      << dot.str();
}

// What to draw is one picture; the options of one picture need it.
TEST(DrawCommandTest, OnePictureAsked) {
  const std::string run_folder = std::filesystem::temp_directory_path().string();
  const std::vector<std::vector<const char*>> asked = {{"--family", "1", "--copy", "6"},
                                                       {"--around", "1:1", "--core"},
                                                       {},
                                                       {"--ancestors", "1:1", "--around", "1:2"},
                                                       {"--ancestors", "1:1", "--compact"}};
  for (const std::vector<const char*>& options : asked) {
    std::map<std::string, MemoryFileSystem> folders;
    testing::PutCleanInputs(folders[run_folder]);
    CapturingConsole console;
    RecordingCommandRunner shell;
    CommandEnvironment env(console, shell, [&folders](const std::string& folder, bool) {
      return std::make_unique<FolderView>(folders[folder]);
    });
    std::vector<const char*> args = {"pedprep", "draw", run_folder.c_str()};
    args.insert(args.end(), options.begin(), options.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandLine(static_cast<int>(args.size()), args.data(), out, err, env), 64);
    EXPECT_EQ(err.str(),
              !options.empty() && std::string(options.back()) == "--compact"
                  ? "pedprep draw: --compact draws families, --around and --copy pictures, not "
                    "--ancestors\n"
                  : "pedprep draw: give one of --family N, --around ID, --ancestors ID or --copy "
                    "POSITION (--core only with --family)\n");
  }
}

}  // namespace
}  // namespace pedprep
