#include "export/reconstruction.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/run_context.h"
#include "core/run_files.h"
#include "core/value_table.h"
#include "export/export_state.h"
#include "records/console.h"
#include "records/layout.h"
#include "records/text_reader.h"

namespace pedprep {
namespace {

uint32_t BreakKey(int16_t family, int16_t number) {
  return (static_cast<uint32_t>(static_cast<uint16_t>(family)) << 16) |
         static_cast<uint16_t>(number);
}

}  // namespace

void ReadNationCodes(RunContext& ctx, ExportState& exports) {
  TextReader reader = TextReader::Open(ctx.files, kDatabasePedigreeFile);
  const Layout layout = Layout::Parse("20I5");
  int32_t ndat = 0;
  reader.Read(layout, {Into(ndat)});
  std::array<int32_t, 6> field{};
  int8_t nation = 0;  // field 5: must lie in -127..127, like the code it is stored as
  for (int32_t i = 1; i <= ndat; ++i) {
    reader.Read(layout, {Into(field[0]), Into(field[1]), Into(field[2]), Into(field[3]),
                         Into(nation), Into(field[5])});
    if (i <= kMaxIdentifier) exports.NAZ[i] = nation;
  }
}

// `row`: the family's local row of the copy whose parent copies do not fit, or whose
// original is missing.
[[noreturn]] void StopAtCopy(RunContext& ctx, StopKind kind, int s, int16_t family_number,
                             int first, std::size_t row) {
  Stop(ctx.console, {.kind = kind,
                     .family_index = s,
                     .family = family_number,
                     .line = first + static_cast<int32_t>(row) - 1});
}

bool IsSelectedForReconstruction(const PedigreeStore& store, const ExportState& exports, int row) {
  const int breed = store.MAS1[row][1];
  if (breed != kBreedLoopCopy && breed != kBreedParentCopy) return false;
  return exports.NationOf(store.INI_ID[row]) == kSelectedNation;
}

namespace {

// Copied individual of the first BREAK_IND row (1..NBREAK) of each (family number, copy number).
std::unordered_map<uint32_t, int16_t> BreakSources(const PedigreeStore& st) {
  std::unordered_map<uint32_t, int16_t> sources;
  const int nbreak = st.NBREAK < 0 ? 0 : (st.NBREAK > kMaxBreaks ? kMaxBreaks : st.NBREAK);
  for (int k = 1; k <= nbreak; ++k) {
    sources.emplace(BreakKey(st.BREAK_IND[k][1], st.BREAK_IND[k][2]), st.BREAK_IND[k][3]);
  }
  return sources;
}

// The family being rebuilt: family s (family number `number`) held in store rows from `first`.
struct FamilyPlace {
  int s = 0;
  int16_t number = 0;
  int first = 0;
};

// Local rows 1..m of the family being rebuilt; rows[0] unused. The two indexes give local
// rows (0 = none) and hold entries only for the values of the rows in `rows`.
struct FamilyBuffer {
  std::vector<StoreRow> rows;
  ValueTable<int> last_row_of_number{0};  // individual number -> last local row
  ValueTable<int> first_row_of_id{0};     // INI_ID -> first local row among the rows at scan start

  int LastLocal() const { return static_cast<int>(rows.size()) - 1; }
};

// Loads store rows first..last as local rows 1.., clearing the indexes of the family held
// before.
void LoadFamily(const PedigreeStore& st, int first, int last, FamilyBuffer* family) {
  for (const StoreRow& row : family->rows) {
    family->last_row_of_number[row.mas[1]] = 0;
    family->first_row_of_id[row.ini_id] = 0;
  }
  family->rows.assign(1, StoreRow{});
  for (int p = first; p <= last; ++p) {
    const StoreRow& row = family->rows.emplace_back(st.Row(p));
    const int local = family->LastLocal();
    family->last_row_of_number[row.mas[1]] = local;
    if (family->first_row_of_id[row.ini_id] == 0) family->first_row_of_id[row.ini_id] = local;
  }
}

// The local row of the source of selected local row r (reconstruction.h); stops the run when
// there is none.
int SourceRow(RunContext& ctx, const FamilyBuffer& family,
              const std::unordered_map<uint32_t, int16_t>& break_sources, const FamilyPlace& at,
              std::size_t r) {
  const StoreRow& row = family.rows[r];
  int16_t source_number = 0;
  if (row.mas1[1] == kBreedLoopCopy) {
    auto it = break_sources.find(BreakKey(row.mas0, row.mas[1]));
    if (it == break_sources.end()) {
      StopAtCopy(ctx, StopKind::kNoCopySource, at.s, at.number, at.first, r);
    }
    source_number = it->second;
  } else {
    const int k = family.first_row_of_id[row.ini_id];
    if (k == 0) StopAtCopy(ctx, StopKind::kNoCopySource, at.s, at.number, at.first, r);
    source_number = family.rows[k].mas[1];
  }
  const int source_row = family.last_row_of_number[source_number];
  if (source_row == 0) StopAtCopy(ctx, StopKind::kNoCopySource, at.s, at.number, at.first, r);
  return source_row;
}

// Appends copies of the father and the mother of `source_row` as the parents of local row r,
// when both are rows of the family; `total_rows` counts the rows of the store with them, and
// a store past kMaxRows stops the run.
void AddParentCopies(RunContext& ctx, FamilyBuffer* family, const FamilyPlace& at, std::size_t r,
                     int source_row, int* total_rows) {
  std::vector<StoreRow>& rows = family->rows;
  const int father = rows[source_row].mas[2];
  const int mother = rows[source_row].mas[3];
  const int n = family->LastLocal();
  if (father < 1 || father > n || mother < 1 || mother > n) return;

  if (*total_rows + 2 > kMaxRows) {
    StopAtCopy(ctx, StopKind::kParentCopyRows, at.s, at.number, at.first, r);
  }
  *total_rows += 2;
  for (int parent : {father, mother}) {
    StoreRow copy;
    copy.mas0 = at.number;
    copy.ini_id = rows[parent].ini_id;
    copy.mas1[1] = static_cast<uint8_t>(kBreedParentCopy);
    copy.mas1[2] = rows[parent].mas1[2];
    copy.mas[1] = static_cast<int16_t>(rows.size());
    rows.push_back(copy);
    family->last_row_of_number[copy.mas[1]] = family->LastLocal();
  }
  if (ctx.observer != nullptr) {
    for (int k = 1; k <= 2; ++k) {
      const StoreRow& copy = rows[n + k];
      ctx.observer->ParentCopyMade({at.s, at.number, copy.mas[1],
                                    rows[k == 1 ? father : mother].mas[1], copy.ini_id,
                                    rows[r].mas[1]});
    }
  }
  rows[r].mas[2] = static_cast<int16_t>(n + 1);
  rows[r].mas[3] = static_cast<int16_t>(n + 2);
}

}  // namespace

// Each family is rebuilt in a buffer of its own rows, with the new rows appended, and then
// written to its final place; lookups go through indexes instead of scans. The result is
// that of inserting the rows in place and scanning the family and BREAK_IND.
void RECONSTRUCTION(RunContext& ctx, ExportState& exports) {
  ReadNationCodes(ctx, exports);
  PedigreeStore& st = ctx.store;
  CRTINS(st);
  if (st.ND <= 0) return;

  const std::unordered_map<uint32_t, int16_t> break_sources = BreakSources(st);
  const int ns = st.INS[1];
  // Family bounds in the store as it is; INS is rewritten family by family below.
  const std::vector<int16_t> bounds(st.INS.begin(), st.INS.begin() + ns + 3);
  std::vector<StoreRow> result;  // the rebuilt store, rows 1..; result[0] unused
  result.reserve(static_cast<std::size_t>(kMaxRows) + 1);
  result.emplace_back();
  int total_rows = st.INS[ns + 2];  // rows the store holds with the insertions so far

  FamilyBuffer family;
  for (int s = 1; s <= ns; ++s) {
    const int first = bounds[s + 1] + 1;
    LoadFamily(st, first, bounds[s + 2], &family);
    // The family number of family s, the same in all its rows.
    const FamilyPlace at{s, family.rows.size() > 1 ? family.rows[1].mas0 : int16_t{0}, first};
    // The rows appended are scanned in turn.
    for (std::size_t r = 1; r < family.rows.size(); ++r) {
      const int breed = family.rows[r].mas1[1];
      if (breed != kBreedLoopCopy && breed != kBreedParentCopy) continue;
      if (exports.NationOf(family.rows[r].ini_id) != kSelectedNation) continue;
      const int source_row = SourceRow(ctx, family, break_sources, at, r);
      AddParentCopies(ctx, &family, at, r, source_row, &total_rows);
    }
    result.insert(result.end(), family.rows.begin() + 1, family.rows.end());
    st.INS[s + 2] = static_cast<int16_t>(result.size() - 1);
  }

  for (std::size_t p = 1; p < result.size(); ++p) {
    st.SetRow(static_cast<int>(p), result[p]);
  }
  st.ND = st.INS[ns + 2];
}

}  // namespace pedprep
