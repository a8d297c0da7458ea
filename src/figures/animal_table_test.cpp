#include "figures/animal_table.h"

#include <gtest/gtest.h>

#include <memory>

#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "testing/build_paths.h"
#include "testing/fakes.h"

namespace pedprep {
namespace {

// Backcrosses to breed 2 over five and six generations: halves of the last unit go where the
// sum needs them, so that the row still adds up to 1.
TEST(ShownFractions, BackcrossesKeepTheirSum) {
  EXPECT_EQ(ShownFractions({3.0 / 64, 61.0 / 64}), (std::vector<std::string>{"0.0469", "0.9531"}));
  EXPECT_EQ(ShownFractions({1.0 / 32, 31.0 / 32}), (std::vector<std::string>{"0.0313", "0.9687"}));
  EXPECT_EQ(ShownFractions({1.0 / 3, 1.0 / 3, 1.0 / 3}),
            (std::vector<std::string>{"0.3334", "0.3333", "0.3333"}));
}

// eeza-ungulates copies copies: every copy, through its chain of copies, carries its
// original's figures.
TEST(AnimalsTest, CopiesOfCopiesCarryTheirOriginalsFigures) {
  const auto data = testing::SharedDataDir() / "eeza-ungulates";
  PEDPREP_NEED_SHARED_DATA(data);
  DiskFileSystem folder(data.string());
  const std::unique_ptr<ObservedRun> run = ObserveRun(folder);
  ASSERT_EQ(run->status, 0);
  const RunFacts facts(*run);
  ASSERT_NE(facts.Animals(), nullptr) << facts.AnimalsFault();
  const AnimalTable& table = *facts.Animals();
  long copies_of_copies = 0;
  for (const AnimalRow& row : table.rows) {
    if (row.copy_of == 0) continue;
    const AnimalRow* original = &table.rows[static_cast<std::size_t>(row.copy_of - 1)];
    if (original->copy_of != 0) ++copies_of_copies;
    while (original->copy_of != 0) {
      original = &table.rows[static_cast<std::size_t>(original->copy_of - 1)];
    }
    SCOPED_TRACE("position " + std::to_string(row.position));
    EXPECT_EQ(row.ini_id, original->ini_id);
    EXPECT_EQ(row.generation, original->generation);
    EXPECT_EQ(row.inbreeding, original->inbreeding);
    EXPECT_EQ(row.ecg, original->ecg);
    EXPECT_EQ(row.fractions, original->fractions);
  }
  EXPECT_GT(copies_of_copies, 0);
}

TEST(BreedNames, FromTheLegendElseNumbered) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int32_t count;
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {"as the import writes it",
       {"Imported from herd.csv", "breeds: 1=Angus 2=Hereford", "fields: family individual"},
       2,
       {"Angus", "Hereford"}},
      {"over several lines, up to the first word that is no entry",
       {"breeds: 1=A 2=B", "3=C", "4=D 5", "5=E"},
       5,
       {"A", "B", "C", "D", "breed5"}},
      {"up to an empty line", {"breeds: 1=A", "  ", "2=B"}, 2, {"A", "breed2"}},
      {"a gap, a name taken twice, by a fixed column or by another breed's number",
       {"breeds: 2=x 3=x 4=inbreeding 5=id 6=breed1 7=breed7"},
       7,
       {"breed1", "x", "breed3", "breed4", "breed5", "breed6", "breed7"}},
      {"codes beyond the count are ignored", {"breeds: 1=A 12=L"}, 1, {"A"}},
      {"no legend", {"comment", "", "breeds are 1=A"}, 2, {"breed1", "breed2"}},
      {"a legend line that ends in text", {"breeds: 1=A then more"}, 2, {"A", "breed2"}},
      {"no breeds", {"breeds: 1=A"}, 0, {}},
      {"quoted names keep blanks and quotes",
       {"breeds: 1=\"Black Pied\" 2=\"a \"\"b\"\"\"", "3=C"},
       3,
       {"Black Pied", "a \"b\"", "C"}},
      {"a quote never closed ends the legend", {"breeds: 1=A 2=\"B C"}, 2, {"A", "breed2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(BreedNames(c.lines, c.count), c.names);
  }
}

}  // namespace
}  // namespace pedprep
