#include "cli/arguments.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pedprep {
namespace {

// A command line of one command with one argument of each kind.
struct Toy {
  Toy() {
    Command& tag = line.Add("tag", "Tag a file.");
    tag.Positional("FILE", &file, "The file").Required();
    tag.Option("-n,--count", &count, "How many").Range(1, 9).Needs("--fast");
    tag.Option("--tag", &tags, "A tag (repeatable)").AtMost(2, "tags");
    tag.Option("--mode", &mode, "The mode").Choices({"slow", "fast"});
    tag.Option("--name", &name, "A name").Check([](const std::string& value) {
      return value.find('/') == std::string::npos ? "" : "no / in a name";
    });
    tag.Flag("--fast", &fast, "Hurry");
  }
  ParseResult Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "toy");
    return line.Parse(static_cast<int>(args.size()), args.data(), out);
  }

  CommandLine line{"toy", "A toy.", "toy 1.0"};
  std::string file, mode, name;
  int count = 3;
  std::vector<std::string> tags;
  bool fast = false;
  std::ostringstream out;
};

TEST(ArgumentsTest, ValuesAndProblems) {
  struct Case {
    std::vector<const char*> args;
    std::string problem;  // "" = the command parses
    std::string mode;     // then the value stored for --mode
  };
  const std::vector<Case> cases = {
      {{"tag", "f", "--tag", "a", "--tag", "b", "-n", "4", "--fast"}, "", ""},
      {{"tag", "--mode", "Fast", "f", "--tag", "a", "--fast", "--tag", "b", "-n4"}, "", "fast"},
      {{"tag"}, "FILE is required", ""},
      {{"tag", "f", "--tag", "a", "--tag", "b", "--tag", "c"}, "--tag: at most 2 tags", ""},
      {{"tag", "f", "--count", "4"}, "--count requires --fast", ""},
      {{"tag", "f", "-n", "10", "--fast"}, "--count: 10 is not in 1..9", ""},
      {{"tag", "f", "--mode", "quick"}, "--mode: quick is not one of slow|fast", ""},
      {{"tag", "f", "-n", "x", "--fast"}, "--count: x is not a whole number", ""},
      {{"tag", "f", "-n", "4.5", "--fast"}, "--count: 4.5 is not a whole number", ""},
      {{"tag", "f", "-n", "99999999999999999999", "--fast"},
       "--count: 99999999999999999999 is not in 1..9",
       ""},
      {{"tag", "f", "--name", "a/b"}, "--name: no / in a name", ""},
      {{"tag", "f", "--tag", "a", "b"}, "The following argument was not expected: b", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    Toy toy;
    const ParseResult parsed = toy.Parse(c.args);
    EXPECT_EQ(parsed.problem, c.problem);
    if (!c.problem.empty()) {
      EXPECT_EQ(parsed.kind, ParseResult::Kind::kUsageError);
      continue;
    }
    ASSERT_EQ(parsed.kind, ParseResult::Kind::kCommand);
    EXPECT_EQ(parsed.command, &toy.line.commands().front());
    EXPECT_EQ(toy.file, "f");
    EXPECT_EQ(toy.tags, std::vector<std::string>({"a", "b"}));
    EXPECT_EQ(toy.count, 4);
    EXPECT_TRUE(toy.fast);
    EXPECT_EQ(toy.mode, c.mode);
  }
  // Numbers are decimal as written: a leading zero makes no octal number.
  Toy zero;
  ASSERT_EQ(zero.Parse({"tag", "f", "-n", "09", "--fast"}).problem, "");
  EXPECT_EQ(zero.count, 9);
}

TEST(ArgumentsTest, NoCommandHelpAndVersion) {
  Toy toy;
  ParseResult parsed = toy.Parse({});
  EXPECT_EQ(parsed.kind, ParseResult::Kind::kCommand);
  EXPECT_EQ(parsed.command, nullptr);
  EXPECT_EQ(toy.Parse({"--version"}).kind, ParseResult::Kind::kAnswered);
  EXPECT_EQ(toy.out.str(), "toy 1.0\n");
  EXPECT_EQ(toy.Parse({"tag", "--help"}).kind, ParseResult::Kind::kAnswered);
  EXPECT_NE(toy.out.str().find("--tag TEXT ..."), std::string::npos) << toy.out.str();
}

}  // namespace
}  // namespace pedprep
