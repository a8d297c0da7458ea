#include "import/plain_split.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "records/csv.h"

namespace pedprep {
namespace {

using Fields = std::vector<std::string>;

// Seeded texts without quotes: the plain splitter gives ParseCsv's rows, line for line.
TEST(PlainSplitTest, EqualsParser) {
  const std::string alphabet = "ab,;\t \r\n\r\n";
  std::mt19937 random(12);
  for (int round = 0; round < 4000; ++round) {
    const char delimiter = ",;\t "[round % 4];
    std::string text;
    const int length = static_cast<int>(random() % 48);
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    SCOPED_TRACE(::testing::PrintToString(text) + " delimiter " +
                 ::testing::PrintToString(delimiter));
    std::vector<CsvRow> plain;
    const long end = SplitPlainCsv(text, delimiter, 1, [&plain](long line, const auto& fields) {
      plain.push_back({line, Fields(fields.begin(), fields.end())});
    });
    const std::vector<CsvRow> parsed = ParseCsv(text, delimiter, "p.csv");
    ASSERT_EQ(plain.size(), parsed.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
      EXPECT_EQ(plain[i].line, parsed[i].line);
      EXPECT_EQ(plain[i].fields, parsed[i].fields);
    }
    EXPECT_EQ(end, 1 + std::count(text.begin(), text.end(), '\n'));
  }
}

}  // namespace
}  // namespace pedprep
