#include "cli/bash_completion.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "testing/fakes.h"

namespace pedprep {
namespace {

// The script of the real command line, run by bash in a folder holding only the file hb.csv
// and the folder herd/.
class BashCompletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v bash >/dev/null 2>&1") != 0) GTEST_SKIP() << "no bash";
    dir_ =
        std::filesystem::temp_directory_path() / ("pedprep-completion-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_ / "work/herd");
    std::ofstream(dir_ / "work/hb.csv") << "id,sire,dam\n";
    CapturingConsole console;
    RecordingCommandRunner shell;
    CommandEnvironment env(console, shell, [](const std::string&, bool) {
      return std::make_unique<MemoryFileSystem>();
    });
    std::ostringstream unused;
    CommandContext context{unused, unused, env};
    std::ofstream(dir_ / "pedprep.bash") << BashCompletion(*MakeCommandLine(context));
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  // What a TAB offers after `words` (the last is the word being completed), one a line.
  std::string Complete(const std::vector<std::string>& words) {
    std::string array;
    for (const std::string& word : words) array += " '" + word + "'";
    std::ofstream(dir_ / "complete.sh")
        << "source ./pedprep.bash\n"
           "cd work\n"
           "COMP_WORDS=(" +
               array +
               ")\n"
               "COMP_CWORD=" +
               std::to_string(words.size() - 1) +
               "\n"
               "_pedprep\n"
               "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort\n";
    const std::string command =
        "cd " + dir_.string() + " && bash --norc complete.sh >out.txt 2>err.txt";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(dir_ / "err.txt");
    std::stringstream err;
    err << in.rdbuf();
    EXPECT_EQ(err.str(), "");
    std::ifstream out_file(dir_ / "out.txt");
    std::stringstream out;
    out << out_file.rdbuf();
    return out.str();
  }

  std::filesystem::path dir_;
};

TEST_F(BashCompletionTest, CommandsOptionsAndValues) {
  struct Case {
    std::vector<std::string> words;
    std::string offered;
  };
  const std::vector<Case> cases = {
      {{"pedprep", "re"}, "report\n"},
      {{"pedprep", "--v"}, "--version\n"},
      {{"pedprep", "import", "--de"},
       "--default-breed\n--default-sex\n--delimiter\n--descendants\n"},
      {{"pedprep", "import", "--default-sex", ""}, "F\nM\n"},
      {{"pedprep", "import", "--default-sex", ""}, "F\nM\n"},
      {{"pedprep", "import", ""}, "hb.csv\nherd\n"},  // the herd book: any file
      {{"pedprep", "import", "hb.csv", "--keep", "h"}, "hb.csv\nherd\n"},
      {{"pedprep", "import", "hb.csv", "-o", ""}, "herd\n"},
      {{"pedprep", "import", "hb.csv", "--select", ""}, "\n"},  // a number: nothing offered
      {{"pedprep", "run", ""}, "herd\n"},
      {{"pedprep", "run", "herd", "--b"}, "--batch\n"},
      {{"pedprep", "draw", "--family", "1", "-o", "h"}, "hb.csv\nherd\n"},
      {{"pedprep", "help", "d"}, "draw\n"},
      {{"pedprep", "bogus", ""}, "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.words));
    EXPECT_EQ(Complete(c.words), c.offered);
  }
}

}  // namespace
}  // namespace pedprep
