#include "reference/queue_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/pedigree_fixture.h"

namespace pedprep {
namespace {

using testing::PedigreeFixture;

// Fills INP1/INF1 with the given nuclear families (father, mother, children...), nothing
// peeled, nothing visited, every slot linked (mark 0).
void SetNuclearFamilies(RebuildingWorkspace& ws, const std::vector<std::vector<int32_t>>& nfs) {
  const int32_t npr1 = static_cast<int32_t>(nfs.size());
  ws.EnsureNuclearFamilies(npr1);
  ws.INP1[1] = npr1;
  ws.INP1[2] = 0;
  ws.NPR1 = npr1;
  for (int32_t k = 1; k <= npr1; ++k) {
    const auto& members = nfs[k - 1];
    ws.INP1[k + 2] = ws.INP1[k + 1] + static_cast<int32_t>(members.size());
    ws.EnsureSlots(ws.INP1[k + 2]);
    for (std::size_t e = 0; e < members.size(); ++e) ws.INF1[ws.INP1[k + 1] + 1 + e] = members[e];
    ws.LUK1[k] = 0;
    ws.IVISITED[k] = 0;
  }
  for (int32_t i = 1; i <= ws.INP1[npr1 + 2]; ++i) ws.ININF1[i] = 0;
}

using Entries = std::vector<std::pair<int32_t, int32_t>>;

Entries QueueFrom(const RebuildingWorkspace& ws, int32_t from) {
  Entries entries;
  for (int32_t k = from; k <= ws.K2; ++k) entries.push_back({ws.NINDK[k][1], ws.NINDK[k][2]});
  return entries;
}

TEST(LoopSearchTest, ExpandHeadScans) {
  // 5 is the mother of nuclear families 1 and 2 and the child of 3 (with sibling 11);
  // nuclear family 4 is the arrival family of the head entry.
  struct Case {
    const char* name;
    std::vector<int32_t> visited;  // IVISITED(1..4)
    std::vector<int32_t> peeled;   // LUK1(1..4)
    int32_t ivis;
    int32_t ia;
    Entries appended;
  } cases[] = {
      {"nothing visited",
       {0, 0, 0, 0},
       {0, 0, 0, 0},
       0,
       0,
       {{1, 1}, {7, 1}, {2, 2}, {8, 2}, {3, 3}, {4, 3}, {11, 3}}},
      {"two visited families: the later one",
       {1, 1, 0, 0},
       {0, 0, 0, 0},
       1,
       2,
       {{3, 3}, {4, 3}, {11, 3}}},
      {"visited as a child: the arrival family", {1, 1, 1, 0}, {0, 0, 0, 0}, 1, 4, {}},
      {"peeled families are skipped", {0, 0, 0, 0}, {1, 0, 1, 0}, 0, 0, {{2, 2}, {8, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PedigreeFixture f;
    RebuildingWorkspace& ws = f.rebuilding.workspace;
    SetNuclearFamilies(ws, {{1, 5, 7}, {2, 5, 8}, {3, 4, 11, 5}, {5, 9, 10}});
    for (int k = 1; k <= 4; ++k) {
      ws.IVISITED[k] = c.visited[k - 1];
      ws.LUK1[k] = c.peeled[k - 1];
    }
    ws.K1 = 1;
    ws.K2 = 1;
    ws.NINDK[1] = {0, 5, 4};
    ExpandHead(f.rebuilding);
    EXPECT_EQ(ws.NI, 5);
    EXPECT_EQ(ws.IVIS, c.ivis);
    EXPECT_EQ(ws.IA, c.ia);
    EXPECT_EQ(QueueFrom(ws, 2), c.appended);
  }
}

TEST(LoopSearchTest, FatherSlotMarksVisitedAndFreeChildrenAreNotQueued) {
  PedigreeFixture f;
  RebuildingWorkspace& ws = f.rebuilding.workspace;
  SetNuclearFamilies(ws, {{1, 2, 3, 4}, {5, 1, 6}});
  ws.ININF1[3] = 1;  // child 3 is free
  ws.K1 = ws.K2 = 1;
  ws.NINDK[1] = {0, 1, 0};
  ExpandHead(f.rebuilding);
  EXPECT_EQ(QueueFrom(ws, 2), (Entries{{2, 1}, {4, 1}, {5, 2}, {6, 2}}));
  EXPECT_EQ(ws.IVISITED[1], 1);
  EXPECT_EQ(ws.IVISITED[2], 0);  // entered through the mother slot
}

TEST(LoopSearchTest, QueueOverflowStops) {
  struct Case {
    int32_t ni;
    int32_t k2;
    std::string shown;
  } cases[] = {
      {1, 24096, "ERROR: K2 OVERFLOW 1\n"},  // the mate
      {1, 24095, "ERROR: K2 OVERFLOW 2\n"},  // the first child
      {4, 24096, "ERROR: K2 OVERFLOW 3\n"},  // the father
      {4, 24094, "ERROR: K2 OVERFLOW 3\n"},  // the sibling before
      {3, 24094, "ERROR: K2 OVERFLOW 4\n"},  // the sibling after
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown + std::to_string(c.k2));
    PedigreeFixture f;
    RebuildingWorkspace& ws = f.rebuilding.workspace;
    SetNuclearFamilies(ws, {{1, 2, 3, 4}});
    ws.K1 = 1;
    ws.K2 = c.k2;
    ws.NINDK[1] = {0, c.ni, 0};
    EXPECT_THROW(ExpandHead(f.rebuilding), RunStopped);
    EXPECT_EQ(f.console.output, c.shown);
    EXPECT_EQ(ws.K2, kQueueEntries);
  }
}

TEST(LoopSearchTest, DiagnosticBlock) {
  PedigreeFixture f;
  RebuildingWorkspace& ws = f.rebuilding.workspace;
  ws.K1 = 4;
  ws.K2 = 3;
  ws.NINDK[1] = {0, 1, 0};
  ws.NINDK[2] = {0, 2, 1};
  ws.NINDK[3] = {0, 12, 1};
  ws.NINDK[4] = {0, 7, 3};  // left by an earlier search
  WriteSearchDiagnostics(f.rebuilding, "ERROR: (K1.GT.K2)");
  EXPECT_EQ(f.console.output,
            "ERROR: (K1.GT.K2)\n"
            "K1,K2          4           3\n"
            "  NI1,2,IV,LBA    7    3    0    0    0\n"
            "       NINDK1:    1    2   12\n"
            "       NINDK2:    0    1    1\n");
}

TEST(LoopSearchTest, DiagnosticBlockOfAFullQueue) {
  PedigreeFixture f;
  RebuildingWorkspace& ws = f.rebuilding.workspace;
  ws.K1 = kQueueEntries + 1;
  ws.K2 = kQueueEntries;
  for (int32_t k = 1; k <= kQueueEntries; ++k) ws.NINDK[k] = {0, k % 10, k % 3};
  WriteSearchDiagnostics(f.rebuilding, "ERROR: (K1.GT.K2)");
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = f.console.output.find('\n', start)) != std::string::npos;) {
    lines.push_back(f.console.output.substr(start, end - start));
    start = end + 1;
  }
  // Heading, K1/K2, head entry, then each queue column on 6 records (5 x 4096 + 3616).
  ASSERT_EQ(lines.size(), 3u + 6u + 6u);
  EXPECT_EQ(lines[1], "K1,K2      24097       24096");
  EXPECT_EQ(lines[2], "  NI1,2,IV,LBA    0    0    0    0    0");
  EXPECT_EQ(lines[3].size(), 14u + 4096u * 5u);
  EXPECT_EQ(lines[3].substr(0, 24), "       NINDK1:    1    2");
  EXPECT_EQ(lines[4].substr(0, 24), std::string(14, ' ') + "    7    8");
  EXPECT_EQ(lines[8].size(), 14u + 3616u * 5u);
  EXPECT_EQ(lines[8].substr(lines[8].size() - 10), "    5    6");
  EXPECT_EQ(lines[9].substr(0, 24), "       NINDK2:    1    2");
}

}  // namespace
}  // namespace pedprep
