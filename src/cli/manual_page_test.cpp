#include "cli/manual_page.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "cli/help_text.h"
#include "core/stop.h"
#include "testing/build_paths.h"
#include "testing/fakes.h"

namespace pedprep {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ManualPageTest, RoffEscape) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--batch", "\\-\\-batch"},
      {"a\\b", "a\\eb"},
      {".dot files", "\\&.dot files"},
      {"x\n'quoted'\n.y", "x\n\\&'quoted'\n\\&.y"},
      {"end.", "end."},
  };
  for (const auto& [text, roff] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(RoffEscape(text), roff);
  }
}

// The page made from the real template and the real command line: every command is a
// subsection that names each of its options; man renders it without a warning.
TEST(ManualPageTest, EveryCommandAndOption) {
  CapturingConsole console;
  RecordingCommandRunner shell;
  CommandEnvironment env(console, shell, [](const std::string&, bool) {
    return std::make_unique<MemoryFileSystem>();
  });
  std::ostringstream unused;
  CommandContext context{unused, unused, env};
  const std::unique_ptr<CommandLine> line = MakeCommandLine(context);
  const std::filesystem::path source = pedprep::testing::SourceDir();
  const std::string page = ManualPage(*line, ReadFile(source / "doc/pedprep.1.in"));

  for (const char* marker : {"@VERSION@", "@SYNOPSIS@", "@COMMANDS@"}) {
    EXPECT_EQ(page.find(marker), std::string::npos) << marker << " left in\n" << page;
  }
  EXPECT_NE(page.find(".TH PEDPREP 1 \"\" \"pedprep " PEDPREP_VERSION "\""), std::string::npos);
  for (const char* section :
       {"SYNOPSIS", "COMMANDS", "FILES", "EXIT STATUS", "CAPACITIES", "EXAMPLES"}) {
    EXPECT_NE(page.find(std::string(".SH ") + section + "\n"), std::string::npos) << section;
  }
  ASSERT_GE(line->commands().size(), 6u);
  for (const Command& command : line->commands()) {
    SCOPED_TRACE(command.name());
    const std::size_t start = page.find(".SS \"pedprep " + command.name() + " ");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = std::min(page.find(".SS ", start + 1), page.find(".SH ", start));
    const std::string section = page.substr(start, end - start);
    for (const Argument& argument : command.arguments()) {
      for (const std::string& name : ArgumentNames(argument)) {
        const std::string shown = argument.positional() ? "\\fI" + name : "\\fB" + RoffEscape(name);
        const std::string end =
            argument.positional() && argument.repeatable() ? " ...\\fR" : "\\fR";
        EXPECT_NE(section.find(shown + end), std::string::npos) << name << " not in\n" << section;
      }
    }
  }

  if (std::system("command -v man >/dev/null 2>&1") != 0) GTEST_SKIP() << "no man";
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("pedprep-man-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "pedprep.1", std::ios::binary) << page;
  const std::string command = "cd " + dir.string() +
                              " && MANWIDTH=80 man --warnings -l pedprep.1 >page.txt "
                              "2>warnings.txt";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(dir / "warnings.txt"), "");
  const std::string text = ReadFile(dir / "page.txt");
  for (const char* shown : {"pedprep import [OPTIONS] HERDBOOK", "--default-sex M|F", "24,096",
                            "pedprep run --batch"}) {
    EXPECT_NE(text.find(shown), std::string::npos) << shown << " not in\n" << text;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace pedprep
