#include "cli/help_text.h"

#include <gtest/gtest.h>

namespace pedprep {
namespace {

struct Toy {
  Toy() {
    Command& tag = line.Add("tag", "Tag a file.");
    tag.Positional("FILE", &file, "The file").Required();
    tag.Positional("MORE", &more, "More").TypeName("");
    tag.Option("--count", &count, "How many").Required();
    tag.Option("--tag", &tags, "A tag").TypeName("WORD");
    tag.Option("--mode", &mode, "The mode").Choices({"slow", "fast"}).TypeName("MODE");
    tag.Option("-o,--out", &out, "Where").Check([](const std::string&) { return ""; }, "FILE");
    tag.Option("--name", &name, "A name").ShowDefault();
    tag.Flag("-f,--fast", &fast,
             "Hurry, and a description long enough to be wrapped onto a second line of the "
             "help, indented under its first");
    tag.Note("Codes", "a, b and c.");
  }
  CommandLine line{"toy", "A toy.\nIt tags.", "toy 1.0"};
  std::string file, more, mode, out, name = "x y";
  int count = 3;
  std::vector<std::string> tags;
  bool fast = false;
};

// Every kind of value shown as typed, the defaults and "(required)" added, a long description
// wrapped under itself, the notes after the options.
TEST(HelpTextTest, CommandHelpLaidOut) {
  Toy toy;
  EXPECT_EQ(HelpText(toy.line, &toy.line.commands()[0]),
            "Tag a file.\n"
            "\n"
            "Usage: toy tag --count N [OPTIONS] FILE [MORE]\n"
            "\n"
            "Positionals:\n"
            "  FILE  The file\n"
            "  MORE  More\n"
            "\n"
            "Options:\n"
            "  -h, --help        Print this help and exit\n"
            "  --count N         How many (required)\n"
            "  --tag WORD ...    A tag\n"
            "  --mode slow|fast  The mode\n"
            "  -o, --out FILE    Where\n"
            "  --name TEXT       A name (default: x y)\n"
            "  -f, --fast        Hurry, and a description long enough to be wrapped onto a\n"
            "                    second line of the help, indented under its first\n"
            "\n"
            "Codes:\n"
            "  a, b and c.\n");
  EXPECT_EQ(HelpText(toy.line, nullptr),
            "A toy.\n"
            "It tags.\n"
            "\n"
            "Usage: toy [COMMAND] [ARGS...]\n"
            "\n"
            "Options:\n"
            "  -h, --help  Print this help and exit\n"
            "  --version   Print the version and exit\n"
            "\n"
            "Subcommands:\n"
            "  tag  Tag a file.\n"
            "\n"
            "Run 'toy help COMMAND' or 'toy COMMAND --help' for the options of a command.\n");
}

}  // namespace
}  // namespace pedprep
