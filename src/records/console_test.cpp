#include "records/console.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "testing/fakes.h"

namespace pedprep {
namespace {

using Lines = std::vector<std::string>;

std::string Shown(const OutList& values) {
  CapturingConsole console;
  WriteListDirected(console, values);
  return console.output;
}

TEST(ListDirectedTest, StringsAndNumbers) {
  struct Case {
    OutList values;
    std::string shown;
  } cases[] = {
      {{Str(" Error in data line"), I32(7)}, " Error in data line          7\n"},
      {{Str(" Both parents should be observed or unobserved")},
       " Both parents should be observed or unobserved\n"},
      {{Str("K1,K2"), I32(3), I16(-12)}, "K1,K2          3         -12\n"},
      {{I8(-5), Str("x"), I32(6)}, "         -5x          6\n"},
      {{Str("  trailing  ")}, "  trailing  \n"},
      {{}, "\n"},
      {{I32(-2147483647 - 1), I32(2147483647)}, "-2147483648  2147483647\n"},
      // 73 characters leave no room for an 11-column number: it starts a new line.
      {{Str(" There parents are presented but race<>0, setting     race=0 in data line"), I32(5)},
       " There parents are presented but race<>0, setting     race=0 in data line\n"
       "          5\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(Shown(c.values), c.shown);
  }
}

TEST(ListDirectedTest, ManyNumbersWrapSixToALine) {
  OutList values;
  for (int i = 1; i <= 14; ++i) values.push_back(I32(i));
  Lines lines = ListDirectedLines(values);
  ASSERT_EQ(lines.size(), 3u);
  // 11 + 5 x 12 = 71 columns; a seventh number would need 83.
  EXPECT_EQ(lines[0], "           1           2           3           4           5           6");
  EXPECT_EQ(lines[1], "           7           8           9          10          11          12");
  EXPECT_EQ(lines[2], "          13          14");
}

TEST(ListDirectedTest, LongStringsFillAndContinue) {
  const std::string text(200, 'a');
  Lines lines = ListDirectedLines({Str("12345"), Str(text), I32(1)});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], " 12345" + std::string(74, 'a'));
  EXPECT_EQ(lines[1], " " + std::string(79, 'a'));
  EXPECT_EQ(lines[2], " " + std::string(47, 'a') + "          1");

  // Exactly full line: the next item goes to a new line.
  lines = ListDirectedLines({Str(std::string(79, 'b')), Str("c"), I32(2), I32(3)});
  EXPECT_EQ(lines, (Lines{" " + std::string(79, 'b'), " c          2           3"}));

  // A number fits when it ends exactly in column 79.
  lines = ListDirectedLines({Str(std::string(68, 'd')), I32(4)});
  EXPECT_EQ(lines, (Lines{" " + std::string(68, 'd') + "          4"}));
  lines = ListDirectedLines({Str(std::string(69, 'd')), I32(4)});
  EXPECT_EQ(lines, (Lines{" " + std::string(69, 'd'), "           4"}));
}

TEST(FormattedConsoleTest, RecordsShownWithoutCarriageControl) {
  CapturingConsole console;
  WriteFormatted(console, Layout::Parse("' ERROR: max. sample size is N4096 '"), {});
  WriteFormatted(console, Layout::Parse("A15,4096I5"), {Str("NINDK1:"), I32(1), I32(-2)});
  WriteFormatted(console, Layout::Parse("'',/,' x',I3"), {I32(4), I32(5)});
  EXPECT_EQ(console.output,
            "ERROR: max. sample size is N4096 \n"
            "       NINDK1:    1   -2\n"
            "\n"
            "x  4\n"
            "\n"  // reversion restarts at the empty first record
            "x  5\n");
}

TEST(CapturingConsoleTest, AnswersThenEndOfInput) {
  CapturingConsole console;
  console.answers = {"", "dir"};
  EXPECT_EQ(console.ReadLine(), std::optional<std::string>(""));
  EXPECT_EQ(console.ReadLine(), std::optional<std::string>("dir"));
  EXPECT_EQ(console.ReadLine(), std::nullopt);
}

// Standard input redirected to `source` for the lifetime of this object.
class StdinFrom {
 public:
  explicit StdinFrom(std::streambuf* source) : saved_(std::cin.rdbuf(source)) {}
  ~StdinFrom() { std::cin.rdbuf(saved_); }

 private:
  std::streambuf* saved_;
};

// Zero bytes without end, as /dev/zero gives them; counts what was read.
class Zeros : public std::streambuf {
 public:
  std::size_t taken = 0;

 protected:
  int_type underflow() override {
    setg(block_, block_, block_ + sizeof block_);
    taken += sizeof block_;
    return 0;
  }

 private:
  char block_[4096] = {};
};

TEST(StdConsoleTest, ReadLineKeepsTheFirstCharactersOfALine) {
  const std::string long_line(kMaxInputLine + 300, 'x');
  std::stringstream in("a b\r\n" + long_line + "\n" + std::string(kMaxInputLine, 'y') +
                       "\r\n\nlast");
  StdinFrom redirect(in.rdbuf());
  StdConsole console;
  for (const std::string& expected :
       {std::string("a b"), long_line.substr(0, kMaxInputLine), std::string(kMaxInputLine, 'y'),
        std::string(), std::string("last")}) {
    std::optional<std::string> line = console.ReadLine();
    ASSERT_TRUE(line.has_value()) << expected;
    EXPECT_EQ(*line, expected);
  }
  EXPECT_FALSE(console.ReadLine().has_value());
}

// An input without line ends ends the line after a bounded skip instead of being held.
TEST(StdConsoleTest, ReadLineFromEndlessZerosEnds) {
  Zeros zeros;
  StdinFrom redirect(&zeros);
  StdConsole console;
  std::optional<std::string> line = console.ReadLine();
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(*line, std::string(kMaxInputLine, '\0'));
  EXPECT_LE(zeros.taken, kMaxInputLine + kMaxSkippedInput + 2 * std::size_t{4096});
}

}  // namespace
}  // namespace pedprep
