#include "export/reconstruction.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "records/input_error.h"
#include "reference/reconstruction_scan.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::DescribeIns;
using testing::DescribeRows;
using testing::TestRun;

// Family 1: founders 1 (ini 11) x 2 (ini 12) -> 3 (ini 13); 3 x founder 4 (ini 14) -> 5;
// 6 is a loop-break copy of 3.
void AddCopiedFamily(TestRun& run, int family) {
  run.AddRow({family, 1, 0, 0, 1, 1, 11});
  run.AddRow({family, 2, 0, 0, 2, 2, 12});
  run.AddRow({family, 3, 1, 2, 0, 1, 13});
  run.AddRow({family, 4, 0, 0, 1, 2, 14});
  run.AddRow({family, 5, 3, 4, 0, 2, 15});
  run.AddRow({family, 6, 0, 0, 100, 1, 13});
  run.AddBreak(family, 6, 3, 13);
}

TEST(ReconstructionTest, EmptyDatabaseSelectsNothingAndRebuildsIndex) {
  TestRun run;
  AddCopiedFamily(run, 1);
  run.AddRow({2, 1, 0, 0, 100, 1, 13});
  run.SetDatabase(0, {});
  const std::string before = DescribeRows(run.store());
  RECONSTRUCTION(*run.ctx, run.exports);
  EXPECT_EQ(DescribeRows(run.store()), before);
  EXPECT_EQ(DescribeIns(run.store()), "2 0 6 7");
  EXPECT_EQ(run.store().ND, 7);
  EXPECT_EQ(run.console.output, "");
}

TEST(ReconstructionTest, OnlyCopiesWithNationCodeNineAreSelected) {
  struct Case {
    int breed;
    int nation;
    bool selected;
  };
  for (const Case& c :
       {Case{100, 8, false}, Case{100, 10, false}, Case{100, 9, true}, Case{100, -127, false},
        Case{100, 127, false}, Case{200, 9, true}, Case{0, 9, false}, Case{1, 9, false}}) {
    SCOPED_TRACE(::testing::Message() << c.breed << " " << c.nation);
    TestRun run;
    AddCopiedFamily(run, 1);
    run.store().MAS1[6][1] = static_cast<uint8_t>(c.breed);
    run.SetDatabase(20, {{13, c.nation}});
    RECONSTRUCTION(*run.ctx, run.exports);
    EXPECT_EQ(run.store().ND, c.selected ? 8 : 6);
  }
}

TEST(ReconstructionTest, NationCodeOutsideAByteIsAnInputError) {
  for (int nation : {128, -128, 265}) {
    SCOPED_TRACE(nation);
    TestRun run;
    AddCopiedFamily(run, 1);
    run.SetDatabase(20, {{13, nation}});
    try {
      RECONSTRUCTION(*run.ctx, run.exports);
      ADD_FAILURE() << "accepted";
    } catch (const InputError& e) {
      EXPECT_EQ(e.Report(),
                "INPUT ERROR: read of database/pedigree.dat, record 14: integer out of "
                "range: \"" +
                    std::to_string(nation) + "\"");
    }
  }
}

TEST(ReconstructionTest, SelectedRowInLastFamilyGetsParentCopiesAtTheEnd) {
  TestRun run;
  run.AddRow({1, 1, 0, 0, 1, 1, 1});
  AddCopiedFamily(run, 2);
  run.SetDatabase(20, {{13, 9}});
  RECONSTRUCTION(*run.ctx, run.exports);
  EXPECT_EQ(DescribeRows(run.store()),
            "1 1 0 0 1 1 1\n"
            "2 1 0 0 1 1 11\n"
            "2 2 0 0 2 2 12\n"
            "2 3 1 2 0 1 13\n"
            "2 4 0 0 1 2 14\n"
            "2 5 3 4 0 2 15\n"
            "2 6 7 8 100 1 13\n"
            "2 7 0 0 200 1 11\n"
            "2 8 0 0 200 2 12\n");
  EXPECT_EQ(DescribeIns(run.store()), "2 0 1 9");
}

TEST(ReconstructionTest, InsertionInFirstFamilyMovesLaterFamilies) {
  TestRun run;
  AddCopiedFamily(run, 1);
  run.AddRow({2, 1, 0, 0, 1, 1, 21});
  run.AddRow({2, 2, 0, 0, 1, 2, 22});
  run.AddRow({3, 1, 0, 0, 2, 1, 31});
  run.SetDatabase(40, {{13, 9}, {21, 9}});
  RECONSTRUCTION(*run.ctx, run.exports);
  EXPECT_EQ(DescribeRows(run.store()),
            "1 1 0 0 1 1 11\n"
            "1 2 0 0 2 2 12\n"
            "1 3 1 2 0 1 13\n"
            "1 4 0 0 1 2 14\n"
            "1 5 3 4 0 2 15\n"
            "1 6 7 8 100 1 13\n"
            "1 7 0 0 200 1 11\n"
            "1 8 0 0 200 2 12\n"
            "2 1 0 0 1 1 21\n"
            "2 2 0 0 1 2 22\n"
            "3 1 0 0 2 1 31\n");
  EXPECT_EQ(DescribeIns(run.store()), "3 0 8 10 11");
  EXPECT_EQ(run.store().ND, 11);
}

TEST(ReconstructionTest, ClimbDoublesWhileParentsCarryNationNine) {
  TestRun run;
  run.AddRow({1, 1, 0, 0, 1, 1, 1});
  run.AddRow({1, 2, 0, 0, 1, 2, 2});
  run.AddRow({1, 3, 0, 0, 2, 1, 3});
  run.AddRow({1, 4, 0, 0, 2, 2, 4});
  run.AddRow({1, 5, 1, 2, 0, 1, 5});
  run.AddRow({1, 6, 3, 4, 0, 2, 6});
  run.AddRow({1, 7, 5, 6, 0, 1, 7});
  run.AddRow({1, 8, 0, 0, 100, 1, 7});
  run.AddBreak(1, 8, 7, 7);
  // Founders with nation 9 are selected too, but have no parents to copy.
  std::map<int, int> nations;
  for (int id = 1; id <= 7; ++id) nations[id] = 9;
  run.SetDatabase(7, nations);
  RECONSTRUCTION(*run.ctx, run.exports);
  EXPECT_EQ(DescribeRows(run.store()),
            "1 1 0 0 1 1 1\n"
            "1 2 0 0 1 2 2\n"
            "1 3 0 0 2 1 3\n"
            "1 4 0 0 2 2 4\n"
            "1 5 1 2 0 1 5\n"
            "1 6 3 4 0 2 6\n"
            "1 7 5 6 0 1 7\n"
            "1 8 9 10 100 1 7\n"
            "1 9 11 12 200 1 5\n"
            "1 10 13 14 200 2 6\n"
            "1 11 0 0 200 1 1\n"
            "1 12 0 0 200 2 2\n"
            "1 13 0 0 200 1 3\n"
            "1 14 0 0 200 2 4\n");
}

TEST(ReconstructionTest, TwoSelectedRowsInOneFamilyGetConsecutivePairs) {
  TestRun run;
  AddCopiedFamily(run, 1);
  run.AddRow({1, 7, 0, 0, 100, 1, 13});  // a second copy of 3
  run.AddBreak(1, 7, 3, 13);
  run.SetDatabase(20, {{13, 9}});
  RECONSTRUCTION(*run.ctx, run.exports);
  const PedigreeStore& st = run.store();
  ASSERT_EQ(st.ND, 11);
  EXPECT_EQ(st.MAS[6][2], 8);
  EXPECT_EQ(st.MAS[6][3], 9);
  EXPECT_EQ(st.MAS[7][2], 10);
  EXPECT_EQ(st.MAS[7][3], 11);
  EXPECT_EQ(DescribeRows(st).substr(DescribeRows(st).find("1 8 ")),
            "1 8 0 0 200 1 11\n"
            "1 9 0 0 200 2 12\n"
            "1 10 0 0 200 1 11\n"
            "1 11 0 0 200 2 12\n");
}

TEST(ReconstructionTest, FounderSourceGetsNoCopies) {
  TestRun run;
  AddCopiedFamily(run, 1);
  run.AddRow({1, 7, 0, 0, 100, 2, 14});  // copy of founder 4
  run.AddBreak(1, 7, 4, 14);
  run.SetDatabase(20, {{14, 9}});
  const std::string before = DescribeRows(run.store());
  RECONSTRUCTION(*run.ctx, run.exports);
  EXPECT_EQ(DescribeRows(run.store()), before);
}

TEST(ReconstructionTest, MissingSourceStopsWithoutMessage) {
  struct Case {
    const char* name;
    int break_family;  // family number written into the BREAK_IND row; 0 = no row
    int copied_number;
  };
  for (const Case& c : {Case{"no BREAK_IND row", 0, 3}, Case{"other family", 2, 3},
                        Case{"copied number not in family", 1, 40}}) {
    SCOPED_TRACE(c.name);
    TestRun run;
    AddCopiedFamily(run, 1);
    run.store().NBREAK = 0;
    if (c.break_family != 0) run.AddBreak(c.break_family, 6, c.copied_number, 13);
    run.SetDatabase(20, {{13, 9}});
    EXPECT_THROW(RECONSTRUCTION(*run.ctx, run.exports), RunStopped);
    EXPECT_EQ(run.console.output, "");
  }
}

TEST(ReconstructionTest, GrowthPastCapacityStopsWithSizeMessage) {
  // The selected copy gets two parent copies: they fill the last two rows, or one of them
  // is one past the last row.
  for (const bool fits : {true, false}) {
    SCOPED_TRACE(fits);
    TestRun run;
    AddCopiedFamily(run, 1);
    const int rows = fits ? kMaxRows - 2 : kMaxRows - 1;
    while (run.store().ND < rows) run.AddRow({2, run.store().ND - 5, 0, 0, 1, 1, 99});
    run.SetDatabase(20, {{13, 9}});
    if (fits) {
      RECONSTRUCTION(*run.ctx, run.exports);
      EXPECT_EQ(run.console.output, "");
      EXPECT_EQ(run.store().ND, kMaxRows);
    } else {
      EXPECT_THROW(RECONSTRUCTION(*run.ctx, run.exports), RunStopped);
      EXPECT_EQ(run.console.output, "ERROR: max. sample size is N4096 \n");
    }
  }
}

TEST(ReconstructionTest, DatabaseEdgeRecords) {
  // Identifiers past 32767 are read and ignored; fields after the sixth are not read.
  TestRun run;
  std::string text = "32769\r\n";
  for (int i = 1; i <= 32769; ++i) text += "    1    2    3    4    9    6 garbage\r\n";
  run.files.files["database/pedigree.dat"] = text;
  RECONSTRUCTION(*run.ctx, run.exports);
  EXPECT_EQ(run.exports.NAZ[32767], 9);
  EXPECT_EQ(run.exports.NationOf(0), 0);
  EXPECT_EQ(run.exports.NationOf(-5), 0);
  EXPECT_EQ(run.store().ND, 0);  // an empty store stays empty

  TestRun bad;
  bad.files.files["database/pedigree.dat"] = "    2\r\n    1    0    0    0    9\r\n";
  EXPECT_THROW(RECONSTRUCTION(*bad.ctx, bad.exports), InputError);  // one record short
  TestRun missing;
  EXPECT_THROW(RECONSTRUCTION(*missing.ctx, missing.exports), InputError);
}

// Random stores: several families with loop copies (some without a BREAK_IND row), parent
// codes from the passport, duplicated identifiers and many nation-code-9 chains.
void BuildRandomRun(std::mt19937& rng, TestRun& run) {
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int families = pick(1, 6);
  for (int f = 1; f <= families; ++f) {
    const int members = pick(1, 14);
    const int start = run.store().ND;
    for (int i = 1; i <= members; ++i) {
      int father = 0, mother = 0, breed = pick(1, 2);
      if (i > 2 && pick(0, 9) < 7) {
        father = pick(1, i - 1);
        mother = pick(1, i - 1);
        breed = 0;
      } else if (pick(0, 5) == 0) {
        breed = 200;
      }
      run.AddRow({f, i, father, mother, breed, pick(1, 2), pick(-2, 30)});
    }
    const int copies = pick(0, 3);
    for (int c = 1; c <= copies; ++c) {
      const int copied = pick(1, members);
      const int ini = run.store().INI_ID[start + copied];
      run.AddRow({f, members + c, 0, 0, 100, pick(1, 2), ini});
      if (pick(0, 15) != 0) run.AddBreak(f, members + c, copied, ini);
    }
  }
  std::map<int, int> nations;
  for (int id = 1; id <= 30; ++id) nations[id] = pick(0, 2) == 0 ? pick(0, 12) : 9;
  run.SetDatabase(30, nations);
}

TEST(ReconstructionTest, SameResultAsInPlaceInsertion) {
  std::mt19937 rng(20261207);
  int stopped = 0, grown = 0;
  for (int trial = 0; trial < 400; ++trial) {
    SCOPED_TRACE(trial);
    TestRun fast, reference;
    std::mt19937 rng_copy = rng;
    BuildRandomRun(rng, fast);
    BuildRandomRun(rng_copy, reference);
    bool fast_stopped = false, reference_stopped = false;
    try {
      RECONSTRUCTION(*fast.ctx, fast.exports);
    } catch (const RunStopped&) {
      fast_stopped = true;
    }
    try {
      ReferenceRECONSTRUCTION(*reference.ctx, reference.exports);
    } catch (const RunStopped&) {
      reference_stopped = true;
    }
    ASSERT_EQ(fast_stopped, reference_stopped);
    EXPECT_EQ(fast.console.output, reference.console.output);
    if (fast_stopped) {
      ++stopped;
      continue;
    }
    EXPECT_EQ(DescribeRows(fast.store()), DescribeRows(reference.store()));
    EXPECT_EQ(DescribeIns(fast.store()), DescribeIns(reference.store()));
    if (fast.store().ND > 0 && fast.store().MAS1[fast.store().ND][1] == 200) ++grown;
  }
  // The generator must exercise both outcomes.
  EXPECT_GT(stopped, 10);
  EXPECT_GT(grown, 50);
}

}  // namespace
}  // namespace pedprep
