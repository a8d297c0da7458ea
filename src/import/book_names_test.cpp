#include "import/book_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pedprep {
namespace {

TEST(BookNamesTest, NamesTellBooksApart) {
  EXPECT_EQ(BookName("data/dama.tsv"), "dama");
  EXPECT_EQ(BookPrefixNames({"x/herd.csv", "y/herd.csv", "dama.tsv", "a/b/x/herd.tsv"}),
            (std::vector<std::string>{"x/herd.csv", "y/herd", "dama", "b/x/herd"}));
  EXPECT_EQ(BookPrefixNames({"herd.csv", "herd.tsv", "a.csv", "a.csv"}),
            (std::vector<std::string>{"herd.csv", "herd.tsv", "a", "a"}));
}

}  // namespace
}  // namespace pedprep
