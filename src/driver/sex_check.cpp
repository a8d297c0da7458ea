#include "driver/sex_check.h"

#include <vector>

#include "core/run_context.h"
#include "core/value_table.h"
#include "records/console.h"
#include "records/layout.h"
#include "records/values.h"

namespace pedprep {

namespace {

// Number of maximal runs of equal family numbers in positions 1..ND.
int CountFamilyRuns(const PedigreeStore& st) {
  int runs = st.ND > 0 ? 1 : 0;
  for (int k = 2; k <= st.ND; ++k) {
    if (st.MAS0[k] != st.MAS0[k - 1]) ++runs;
  }
  return runs;
}

// How often each 16-bit value occurs as father and as mother among one family's members.
// Filled and emptied per family, so the tables are cleared in time proportional to the
// family, not to the value range.
class ParentCounts {
 public:
  void Add(const PedigreeStore& st, int first, int last, int delta) {
    for (int j = first; j <= last; ++j) {
      father_[st.MAS[j][2]] += delta;
      mother_[st.MAS[j][3]] += delta;
    }
  }
  int Fathers(int16_t m) const { return father_[m]; }
  int Mothers(int16_t m) const { return mother_[m]; }

 private:
  ValueTable<int> father_;
  ValueTable<int> mother_;
};

// " ERROR OF PARENTS NUMERATION" for a member whose father or mother number lies beyond
// the family (the number after " i=" is the member's place in the family), followed by a
// list-directed line: for the father the position, the family size, ";" and INS(1..5);
// for the mother INS(1..6) alone.
void ReportParentOutOfRange(RunContext& ctx, int s, int i, int ls0, int lss, bool mother,
                            std::vector<PassportFinding>& findings) {
  findings.push_back(
      {mother ? PassportFinding::Kind::kMotherNumber : PassportFinding::Kind::kFatherNumber, s, i,
       i - ls0, mother ? ctx.store.MAS[i][3] : ctx.store.MAS[i][2]});
  static const Layout kLayout = Layout::Parse("' ERROR OF PARENTS NUMERATION: IS=',I3,' i=',I3");
  WriteFormatted(ctx.console, kLayout, {I32(s), I32(i - ls0)});
  OutList line;
  if (!mother) line = {I32(i), I32(lss), Str(";")};
  const int ins_entries = mother ? 6 : 5;
  for (int k = 1; k <= ins_entries; ++k) line.push_back(I16(ctx.store.INS[k]));
  WriteListDirected(ctx.console, line);
}

void ReportSexError(RunContext& ctx, int s, int i, int ls0, int person, int code,
                    std::vector<PassportFinding>& findings) {
  findings.push_back({code == 1 ? PassportFinding::Kind::kSexCode : PassportFinding::Kind::kSexRole,
                      s, i, i - ls0, person});
  static const Layout kLayout = Layout::Parse("' SEX ERROR: IS=',I3,' PERSON=',I3");
  WriteFormatted(ctx.console, kLayout, {I32(s), I32(person)});
  WriteListDirected(ctx.console, {I32(code)});
}

// Checks the members of family s in position order; returns true when any test failed.
bool CheckFamily(RunContext& ctx, int s, ParentCounts& counts,
                 std::vector<PassportFinding>& findings) {
  static const Layout kFamilyNumber = Layout::Parse("' ERROR OF FAMILY NUMBER: is=',I3,' i=',I3");
  static const Layout kNumeration =
      Layout::Parse("' ERROR OF NUMERATION: IS=',I3,' nom=',I3,'  ',I3");
  PedigreeStore& st = ctx.store;
  const int ls0 = st.INS[s + 1];
  const int last = st.INS[s + 2];
  const int lss = last - ls0;
  bool ifl = false;

  counts.Add(st, ls0 + 1, last, +1);
  for (int i = ls0 + 1; i <= last; ++i) {
    if (st.MAS0[i] != s) {
      WriteFormatted(ctx.console, kFamilyNumber, {I32(s), I32(i)});
      findings.push_back({PassportFinding::Kind::kFamilyNumber, s, i, i - ls0, st.MAS0[i]});
      ifl = true;
    }
    const int16_t m = st.MAS[i][1];
    if (i - ls0 != m) {
      WriteFormatted(ctx.console, kNumeration, {I32(s), I32(i - ls0), I16(m)});
      findings.push_back({PassportFinding::Kind::kNumeration, s, i, i - ls0, m});
      ifl = true;
    }
    if (st.MAS[i][2] > lss) {
      ReportParentOutOfRange(ctx, s, i, ls0, lss, /*mother=*/false, findings);
      ifl = true;
    }
    if (st.MAS[i][3] > lss) {
      ReportParentOutOfRange(ctx, s, i, ls0, lss, /*mother=*/true, findings);
      ifl = true;
    }
    // Parent role: a male must not be anybody's mother, a female nobody's father. Every
    // member naming him or her in the wrong role gives its own report; the reports are
    // alike, so the family's role counts give them without scanning the family per member.
    const int msex = st.MAS1[i][2];
    if (msex == 1 || msex == 2) {
      const int hits = msex == 1 ? counts.Mothers(m) : counts.Fathers(m);
      for (int h = 0; h < hits; ++h) ReportSexError(ctx, s, i, ls0, m, 2, findings);
      if (hits > 0) ifl = true;
    } else {
      // Every later stage needs sex 1 or 2: any other code is an error of its own.
      ReportSexError(ctx, s, i, ls0, m, 1, findings);
      ifl = true;
    }
  }
  counts.Add(st, ls0 + 1, last, -1);
  return ifl;
}

}  // namespace

std::vector<PassportFinding> TESTSEX(RunContext& ctx) {
  PedigreeStore& st = ctx.store;
  st.MM = 0;
  // INS holds at most kMaxFamilies families; refuse more before building it.
  const int families = CountFamilyRuns(st);
  if (families > kMaxFamilies) {
    PauseAndStop(ctx, {.kind = StopKind::kTooManyFamilies, .count = families});
  }
  CRTINS(st);
  ParentCounts counts;
  std::vector<PassportFinding> findings;
  const int ns = st.INS[1];
  for (int s = 1; s <= ns; ++s) {
    if (CheckFamily(ctx, s, counts, findings)) st.MM = 1;
  }
  return findings;
}

}  // namespace pedprep
