#include "import/pedigree_builder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace pedprep {
namespace {

struct Built {
  PreparedPedigree pedigree;
  std::vector<ImportProblem> problems;
  std::string Problems() const {
    std::string text;
    for (const ImportProblem& p : problems) text += FormatProblem(p) + "\n";
    return text;
  }
  // "id:note" of every animal with a note.
  std::vector<std::string> Notes() const {
    std::vector<std::string> notes;
    for (const PreparedAnimal& a : pedigree.animals) {
      if (!a.note.empty()) notes.push_back(a.id + ":" + a.note);
    }
    return notes;
  }
};

Built Build(const std::string& text, PrepareOptions options = {}) {
  Built built;
  HerdbookFormat format;
  const Herdbook book = ReadHerdbook(text, "hb", format, &built.problems);
  options.herdbook_name = "hb";
  if (options.default_sex == Sex::kUnknown) options.default_sex = Sex::kFemale;
  if (options.default_breed.empty()) options.default_breed = "X";
  built.pedigree = PreparePedigree(book, options, &built.problems);
  return built;
}

TEST(PedigreeBuilderTest, RepairsCutLinksAndFollowRoles) {
  // c is its own dam; a -> b -> d -> a is a cycle whose last row is d; f is a sire recorded
  // as female.
  const std::string book = "id,sire,dam,sex\na,d,x,M\nb,a,y,M\nc,,c,F\nd,b,z,M\nf,,,F\ng,f,c,M\n";
  PrepareOptions repair;
  repair.repair = true;
  const Built fixed = Build(book, repair);
  ASSERT_EQ(fixed.Problems(), "");
  EXPECT_EQ(fixed.pedigree.repairs,
            (std::vector<std::string>{
                "hb:4: animal c: dam link to c cut (own parent)",
                "hb:5: animal d: sire link to b cut (ancestry cycle a -> d -> b -> a)",
                "hb:6: animal f: sex F changed to M (a sire)"}));
  const std::string by_default = "; breed from --default-breed";
  EXPECT_EQ(fixed.Notes(), (std::vector<std::string>{
                               "x:added parent" + by_default, "y:added parent" + by_default,
                               "z:added parent" + by_default, ":dummy sire of d" + by_default,
                               "d:sire link to b cut (ancestry cycle a -> d -> b -> a)",
                               "c:breed from --default-breed; dam link to c cut (own parent)",
                               "f:breed from --default-breed; sex F changed to M (a sire)"}));
  EXPECT_EQ(Build(book).Problems(),
            "hb:2: animal a is its own ancestor: a -> d -> b -> a (--repair cuts a link)\n"
            "hb:4: animal c is its own parent: c -> c (--repair cuts a link)\n"
            "hb:6: animal f has sex F but is a sire (--repair gives way to the role)\n");
}

TEST(PedigreeBuilderTest, ManyCyclesThroughOneAnimalStayShort) {
  // b0 is its own dam and the dam of every animal of a male line above it: 2,001 cycles in
  // one component, reported once; the repair cuts one link of each.
  constexpr int kLine = 2000;
  std::string book = "id,sire,dam,sex\n";
  for (int i = 0; i <= kLine; ++i) {
    book += "b" + std::to_string(i) + "," + (i < kLine ? "b" + std::to_string(i + 1) : "") +
            ",b0," + (i == 0 ? "F" : "M") + "\n";
  }
  const Built built = Build(book);
  EXPECT_EQ(built.problems.size(), 1u);
  std::size_t longest = 0;
  for (const ImportProblem& p : built.problems) longest = std::max(longest, p.message.size());
  EXPECT_LT(longest, 200u);
  PrepareOptions repair;
  repair.repair = true;
  const Built fixed = Build(book, repair);
  EXPECT_EQ(fixed.pedigree.repairs.size(), static_cast<std::size_t>(kLine) + 1);
}

TEST(PedigreeBuilderTest, CopiesBeyondTheRunAreRefusedNamingTheFamily) {
  // Two sires with each of k dams, one calf per mating: k - 1 loops in one family; a small
  // family without loops first.
  auto book = [](int dams) {
    std::string text = "id,sire,dam,sex\nlone,,,M\n";
    for (int d = 0; d < dams; ++d) {
      const std::string dam = "d" + std::to_string(d);
      text += "s1-" + dam + ",s1," + dam + ",M\ns2-" + dam + ",s2," + dam + ",M\n";
    }
    return text;
  };
  const Built over = Build(book(kMaxBreaks + 2));
  EXPECT_TRUE(over.pedigree.over_capacity);
  EXPECT_EQ(over.Problems(),
            "hb: at least 4,097 loop-break copies expected, at most 4,096; the most copies: "
            "family 2 (4,097 copies, 12,296 animals); choose fewer animals with --keep FILE or "
            "--born-from YEAR, with --generations auto\n");
  const Built fits = Build(book(kMaxBreaks + 1));
  EXPECT_EQ(fits.Problems(), "");
  EXPECT_EQ(fits.pedigree.counts.loops, kMaxBreaks);
}

TEST(PedigreeBuilderTest, DescendantsAndBreedMap) {
  // k's ancestors g and its descendants two generations down; o is a calf's other parent,
  // whose own parents (oo) are left out, and q is three generations down.
  const std::string book =
      "id,sire,dam,sex,breed\ng,,,M,Angus\nk,g,,F,\noo,,,M,Hereford\no,oo,,M,\nc1,o,k,F,\n"
      "c2,x,c1,M,\nq,c2,,M,\nother,,,M,Dexter\n";
  PrepareOptions options;
  options.keep_given = true;
  options.keep_ids = {"k"};
  options.keep_lines = {1};
  options.descendants = 2;
  options.breed_map = {{"Angus", "Black"}};
  const Built built = Build(book, options);
  ASSERT_EQ(built.Problems(), "");
  std::vector<std::string> ids;
  for (const PreparedAnimal& a : built.pedigree.animals) ids.push_back(a.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"g", "", "k", "o", "c1", "x", "c2"}));
  EXPECT_EQ(built.pedigree.breeds, (std::vector<std::string>{"Black", "X"}));
  EXPECT_EQ(built.pedigree.breed_founders, (std::vector<long>{1, 3}));
}

// Random books (parents without rows, both roles, duplicates, breeds given by later rows
// only, cycles repaired): a selection made with the book's index kept across depths equals
// one made afresh, at every depth.
TEST(PedigreeBuilderTest, RepeatedSelectionsEqualFreshOnes) {
  std::mt19937 random(7);
  std::size_t checked = 0;  // animals compared
  // Sires a0..a24 and a40..a44, dams a25..a39 and a45..a49 (a40..a49 have no row).
  auto parent = [&random](int first, int count, int added) {
    return "a" + std::to_string(random() % 2 == 0 ? first + static_cast<int>(random() % count)
                                                  : added + static_cast<int>(random() % 5));
  };
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    std::string text = "id,sire,dam,sex,breed\n";
    std::string row;
    for (int r = 0; r < 40; ++r) {
      if (random() % 8 != 0 || row.empty()) {
        row = "a" + std::to_string(r) + "," + (random() % 4 == 0 ? "" : parent(0, 25, 40)) + "," +
              (random() % 4 == 0 ? "" : parent(25, 15, 45)) + ",," +
              (random() % 3 == 0 ? "" : "b" + std::to_string(random() % 3)) + "\n";
      }
      text += row;  // now and then the row before again
    }
    HerdbookFormat format;
    std::vector<ImportProblem> read;
    const Herdbook book = ReadHerdbook(text, "hb", format, &read);
    PrepareOptions options;
    options.herdbook_name = "hb";
    options.default_sex = Sex::kFemale;
    options.default_breed = "X";
    options.repair = true;
    options.keep_given = true;
    for (int k = 0; k < 3; ++k) {
      options.keep_ids.push_back("a" + std::to_string(random() % 45));
      options.keep_lines.push_back(k + 1);
    }
    RepeatedSelection repeated(book, options);
    for (int generations = 0; generations < 6; ++generations) {
      Built fresh, again;
      options.generations = generations;
      fresh.pedigree = PreparePedigree(book, options, &fresh.problems);
      again.pedigree = repeated.Select(generations, &again.problems);
      ASSERT_EQ(again.Problems(), fresh.Problems()) << generations;
      checked += fresh.pedigree.animals.size();
      ASSERT_EQ(again.pedigree.animals.size(), fresh.pedigree.animals.size());
      for (std::size_t i = 0; i < fresh.pedigree.animals.size(); ++i) {
        const PreparedAnimal& a = fresh.pedigree.animals[i];
        const PreparedAnimal& b = again.pedigree.animals[i];
        EXPECT_EQ(std::tie(a.id, a.family, a.individual, a.sire_ini, a.dam_ini, a.breed_code, a.sex,
                           a.note),
                  std::tie(b.id, b.family, b.individual, b.sire_ini, b.dam_ini, b.breed_code, b.sex,
                           b.note));
      }
      EXPECT_EQ(again.pedigree.breeds, fresh.pedigree.breeds);
    }
  }
  EXPECT_GT(checked, 1000u);
}

}  // namespace
}  // namespace pedprep
