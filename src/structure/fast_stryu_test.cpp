#include "structure/fast_stryu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "driver/run_context.h"

namespace pedprep {
namespace {

struct Row {
  int family, number, father, mother, breed, sex, ini_id;
};

struct Harness {
  CapturingConsole console;
  MemoryFileSystem files;
  RecordingCommandRunner shell;
  std::unique_ptr<RunContext> ctx = std::make_unique<RunContext>(console, files, shell);

  void Load(const std::vector<Row>& rows, int nrac = 2) {
    PedigreeStore& st = ctx->store;
    st.ND = static_cast<int32_t>(rows.size());
    st.NRAC = nrac;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      const int i = static_cast<int>(k) + 1;
      const Row& r = rows[k];
      st.MAS0[i] = static_cast<int16_t>(r.family);
      st.MAS[i] = {0, static_cast<int16_t>(r.number), static_cast<int16_t>(r.father),
                   static_cast<int16_t>(r.mother)};
      st.MAS1[i] = {0, static_cast<uint8_t>(r.breed), static_cast<uint8_t>(r.sex)};
      st.INI_ID[i] = static_cast<int16_t>(r.ini_id);
      for (int t = 1; t <= nrac; ++t) st.PRACE[i][t] = i * 0.01 + t;
    }
    CRTINS(st);
  }

  // "family number father mother breed sex ini" of positions 1..ND.
  std::vector<std::string> Positions() const {
    std::vector<std::string> out;
    const PedigreeStore& st = ctx->store;
    for (int i = 1; i <= st.ND; ++i) {
      out.push_back(std::to_string(st.MAS0[i]) + " " + std::to_string(st.MAS[i][1]) + " " +
                    std::to_string(st.MAS[i][2]) + " " + std::to_string(st.MAS[i][3]) + " " +
                    std::to_string(st.MAS1[i][1]) + " " + std::to_string(st.MAS1[i][2]) + " " +
                    std::to_string(st.INI_ID[i]));
    }
    return out;
  }

  // Queue entries 1..K2 as "individual/arrival".
  std::string Queue() const {
    std::string out;
    const StructureWorkspace& ws = ctx->workspace;
    for (int k = 1; k <= ws.K2; ++k) {
      if (!out.empty()) out += ' ';
      out += std::to_string(ws.NINDK[k][1]) + "/" + std::to_string(ws.NINDK[k][2]);
    }
    return out;
  }
};

// Founders 1 (male) and 2 (female), their son 3 and daughter 4, and the child 5 of 3 and 4.
const std::vector<Row> kFullSib = {{1, 1, 0, 0, 1, 1, 11},
                                   {1, 2, 0, 0, 2, 2, 12},
                                   {1, 3, 1, 2, 0, 1, 13},
                                   {1, 4, 1, 2, 0, 2, 14},
                                   {1, 5, 3, 4, 0, 1, 15}};

TEST(FastStryuTest, FullSibMatingCopiesTheDaughter) {
  Harness h;
  h.Load(kFullSib);
  FastSTRYU(*h.ctx);
  EXPECT_EQ(h.console.output,
            "          4\n"
            "          1           4\n"
            "BREAKAGE: NFA,NMA          3           4\n");
  EXPECT_EQ(h.Queue(), "1/0 2/1 3/1 4/1 4/2");
  EXPECT_EQ(h.ctx->workspace.K1, 4);
  EXPECT_EQ(h.Positions(),
            (std::vector<std::string>{"1 1 0 0 1 1 11", "1 2 0 0 2 2 12", "1 3 1 2 0 1 13",
                                      "1 4 1 2 0 2 14", "1 5 3 6 0 1 15", "1 6 0 0 100 2 14"}));
  const PedigreeStore& st = h.ctx->store;
  EXPECT_EQ(st.NBREAK, 1);
  EXPECT_EQ(st.BREAK_IND[1], (std::array<int16_t, 5>{0, 1, 6, 4, 14}));
  EXPECT_EQ(st.INS[1], 1);
  EXPECT_EQ(st.INS[3], 6);
  EXPECT_DOUBLE_EQ(st.PRACE[6][1], st.PRACE[4][1]);
  EXPECT_DOUBLE_EQ(st.PRACE[6][2], st.PRACE[4][2]);
}

TEST(FastStryuTest, SireDaughterMatingCopiesTheDaughter) {
  Harness h;
  h.Load({{1, 1, 0, 0, 1, 1, 21},
          {1, 2, 0, 0, 1, 2, 22},
          {1, 3, 1, 2, 0, 2, 23},
          {1, 4, 1, 3, 0, 2, 24}});
  FastSTRYU(*h.ctx);
  EXPECT_EQ(h.console.output,
            "          3\n"
            "          1           3\n"
            "BREAKAGE: NFA,NMA          1           3\n");
  EXPECT_EQ(h.Queue(), "1/0 2/1 3/1 3/2");
  EXPECT_EQ(h.Positions().back(), "1 5 0 0 100 2 23");
  EXPECT_EQ(h.Positions()[3], "1 4 1 5 0 2 24");
}

TEST(FastStryuTest, LoopFreeFamiliesAreLeftAlone) {
  Harness h;
  // A chain of three generations, a half-sib pair and a founders-only family.
  h.Load({{1, 1, 0, 0, 1, 1, 1},
          {1, 2, 0, 0, 1, 2, 2},
          {1, 3, 1, 2, 0, 1, 3},
          {1, 4, 0, 0, 1, 2, 4},
          {1, 5, 3, 4, 0, 2, 5},
          {1, 6, 0, 0, 1, 2, 6},
          {1, 7, 1, 6, 0, 2, 7},
          {2, 1, 0, 0, 1, 1, 8},
          {2, 2, 0, 0, 2, 2, 9}});
  const std::vector<std::string> before = h.Positions();
  FastSTRYU(*h.ctx);
  EXPECT_EQ(h.console.output, "");
  EXPECT_EQ(h.Positions(), before);
  EXPECT_EQ(h.ctx->store.NBREAK, 0);
  EXPECT_EQ(h.ctx->store.ND, 9);
}

TEST(FastStryuTest, CopiesMoveLaterFamiliesAndCountAcrossFamilies) {
  Harness h;
  std::vector<Row> rows = kFullSib;
  rows.push_back({2, 1, 0, 0, 1, 1, 31});
  for (Row r : kFullSib) {
    r.family = 3;
    r.ini_id += 30;
    rows.push_back(r);
  }
  h.Load(rows);
  FastSTRYU(*h.ctx);
  const PedigreeStore& st = h.ctx->store;
  EXPECT_EQ(st.ND, 13);
  EXPECT_EQ(st.INS[1], 3);
  EXPECT_EQ(st.INS[3], 6);
  EXPECT_EQ(st.INS[4], 7);
  EXPECT_EQ(st.INS[5], 13);
  EXPECT_EQ(h.Positions()[6], "2 1 0 0 1 1 31");
  EXPECT_EQ(h.Positions()[12], "3 6 0 0 100 2 44");
  EXPECT_EQ(st.NBREAK, 2);
  EXPECT_EQ(st.BREAK_IND[2], (std::array<int16_t, 5>{0, 3, 6, 4, 44}));
  // The second family's break shows positions within the moved store.
  EXPECT_NE(h.console.output.find("          1          11\n"), std::string::npos);
  EXPECT_DOUBLE_EQ(st.PRACE[7][1], 0.06 + 1);
}

}  // namespace
}  // namespace pedprep
