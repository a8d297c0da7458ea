#include "reports/mate.h"

#include <gtest/gtest.h>

#include <sstream>

#include "figures/run_facts.h"
#include "testing/build_paths.h"
#include "testing/run_folder.h"

namespace pedprep {
namespace {

struct Mated {
  int status = 0;
  std::string out, err;
};

Mated Mate(FileSystem& folder, const MateRequest& request) {
  std::ostringstream out, err;
  Mated m;
  m.status = WithRunFacts(folder, err,
                          [&](const RunFacts& facts) { return RunMate(facts, request, out, err); });
  m.out = out.str();
  m.err = err.str();
  return m;
}

// Charles Robert Darwin (1:53) and Emma Wedgwood (1:55), first cousins: their son William's F.
TEST(Mate, DarwinAndWedgwood) {
  const auto data = testing::SharedDataDir() / "darwin-wedgwood";
  PEDPREP_NEED_SHARED_DATA(data);
  DiskFileSystem folder(data.string());
  Mated m = Mate(folder, {"1:53", "1:55", "", "", false});
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.out,
            "  sire  dam   inbreeding  Darwin  Wedgwood   other\n"
            "  1:53  1:55    0.062988  0.0078    0.0313  0.9609\n");
  m = Mate(folder, {"", "", "plans.txt", "sire dam\n1:53 1:55\n1:55 1:53\n1:41 1:55\n", false});
  EXPECT_EQ(m.status, 1);
  EXPECT_EQ(m.out, "");
  EXPECT_EQ(m.err,
            "pedprep mate: plans.txt:3: 1:55 is female, not a sire\n"
            "pedprep mate: plans.txt:3: 1:53 is male, not a dam\n"
            "pedprep mate: plans.txt:4: 1:41 is female, not a sire\n");
}

TEST(Mate, PairsAsCsvAndUnknownIdsNamed) {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  folder.files["ids.csv"] = "ini_id,id\r\n3,S\r\n4,D\r\n";
  // 3 and 4 are full sibs; 1 is the sire of both.
  Mated m = Mate(folder, {"", "", "p.csv", "S,D\r\n1:1,D\r\n", false});
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.out,
            "sire,dam,inbreeding,breed1,breed2\r\n"
            "S,D,0.250000,0.5000,0.5000\r\n"
            "1:1,D,0.250000,0.7500,0.2500\r\n");
  m = Mate(folder, {"X\x01", "D", "", "", true});
  EXPECT_EQ(m.status, 1);
  EXPECT_EQ(m.err,
            "pedprep mate: no animal X\\x01 (a herd-book id of ids.csv or FAMILY:INDIVIDUAL)\n");
}

// Ranking both ways: least inbred calf first, ties in the file's order; the one animal's
// problem told once, a listed one's with its line.
TEST(Mate, RanksCandidatesBothWays) {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  Mated m = Mate(folder, {.dam = "1:4", .sires_name = "s", .sires_text = "1:5\n1:1\n2:1\n1:3\n"});
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.out,
            "  sire  dam  inbreeding  breed1  breed2\n"
            "  2:1   1:4    0.000000  0.2500  0.7500\n"
            "  1:1   1:4    0.250000  0.7500  0.2500\n"
            "  1:3   1:4    0.250000  0.5000  0.5000\n"
            "  1:5   1:4    0.375000  0.5000  0.5000\n");
  m = Mate(folder, {.sire = "1:1", .csv = true, .dams_name = "d", .dams_text = "1:4\n2:3\n"});
  EXPECT_EQ(m.out,
            "sire,dam,inbreeding,breed1,breed2\r\n1:1,2:3,0.000000,0.7500,0.2500\r\n"
            "1:1,1:4,0.250000,0.7500,0.2500\r\n");
  m = Mate(folder, {.sire = "1:2", .dams_name = "d", .dams_text = "1:4\n1:3\n2:3\n"});
  EXPECT_EQ(m.status, 1);
  EXPECT_EQ(m.err,
            "pedprep mate: 1:2 is female, not a sire\n"
            "pedprep mate: d:2: 1:3 is male, not a dam\n");
}

// A dummy parent the import added is no animal to mate, as sire or as dam.
TEST(Mate, DummyParentsAreRefused) {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  folder.files["ids.csv"] = "ini_id,id,added\r\n3,S,\r\n4,D,\r\n1,P,dummy\r\n";
  Mated m = Mate(folder, {.sire = "P", .dam = "D"});
  EXPECT_EQ(m.status, 1);
  EXPECT_EQ(m.err, "pedprep mate: P is a dummy parent the import added, not an animal\n");
  m = Mate(folder, {.sire = "S", .dam = "P"});
  EXPECT_EQ(m.status, 1);
  EXPECT_NE(m.err.find("P is a dummy parent the import added, not an animal\n"), std::string::npos)
      << m.err;
}

}  // namespace
}  // namespace pedprep
