#include "export/pedigree_table.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/narrowing.h"
#include "core/run_context.h"
#include "core/run_files.h"
#include "export/binary_files.h"
#include "export/export_state.h"
#include "export/marker_match.h"
#include "records/console.h"
#include "records/definition_file.h"
#include "records/file_system.h"
#include "records/input_error.h"
#include "records/layout.h"
#include "records/text_reader.h"
#include "records/text_writer.h"

namespace pedprep {
namespace {

constexpr const char* kMarkerHeaderLayout = "I5,20I3";
constexpr const char* kTableLayout = "20I5";
constexpr int kNameLength = 20;
constexpr int kMaxMarkerValues = 20;
constexpr int kNationWithMarkerProb = 2;

// `which`: 1 the value to take (ITR) is outside 1..20, 2 the values per marker record
// (NTR) outside 0..20, 3 ITR above NTR.
[[noreturn]] void StopWrongMarkerDefinition(RunContext& ctx, int32_t which) {
  PauseAndStop(ctx, {.kind = StopKind::kMarkerDefinition, .count = which});
}

// Reads DEF.DAT into NAME1; returns ITR. `nametr` receives NAME1's characters before its
// first "." (the rest of its 20 characters stay zero bytes).
int32_t ReadDefinition(RunContext& ctx, ExportState& exports, std::string* nametr) {
  const MarkerDefinition definition = ReadMarkerDefinition(ctx.files, kDefinitionFile);
  std::string& name1 = exports.NAME1;
  name1 = definition.name1;
  nametr->assign(kNameLength, '\0');
  for (int i = 0; i < kNameLength && name1[i] != '.'; ++i) (*nametr)[i] = name1[i];
  const int32_t itr = definition.itr;
  if (itr < 1 || itr > kMaxMarkerValues) StopWrongMarkerDefinition(ctx, 1);
  const std::string name = TrimFileName(name1);
  const std::string problem = MarkerFileNameProblem(name);
  if (!problem.empty()) throw InputError("read", kDefinitionFile, 2, problem, name);
  return itr;
}

// Reads database/markers.dat and returns, per marker record in file order, its KOD and its
// value MAR(itr), which must lie in -127..127 like the byte it is written as (else an
// InputError for that record). With records (N > 0) and ITR above NTR no record holds the
// selected value: the marker definition is wrong.
std::vector<MarkerRecord> ReadMarkers(RunContext& ctx, int32_t itr) {
  const Layout header = Layout::Parse(kMarkerHeaderLayout);
  int32_t n = 0;
  int32_t ntr = 0;
  {
    // NTR decides how many values the header holds: read N and NTR on their own first.
    TextReader probe = TextReader::Open(ctx.files, kMarkerDataFile);
    probe.Read(header, {Into(n), Into(ntr)});
  }
  if (ntr < 0 || ntr > kMaxMarkerValues) StopWrongMarkerDefinition(ctx, 2);
  if (n > 0 && itr > ntr) StopWrongMarkerDefinition(ctx, 3);

  TextReader reader = TextReader::Open(ctx.files, kMarkerDataFile);
  std::array<int32_t, kMaxMarkerValues + 1> mar{};
  InList header_targets{Into(n), Into(ntr)};
  for (int i = 1; i <= ntr; ++i) header_targets.push_back(Into(mar[i]));
  reader.Read(header, header_targets);

  const Layout record_layout = Layout::Parse(kTableLayout);
  int32_t kod = 0;
  int8_t selected = 0;
  InList targets{Into(kod)};
  for (int i = 1; i <= ntr; ++i) targets.push_back(i == itr ? Into(selected) : Into(mar[i]));
  std::vector<MarkerRecord> records;
  for (int32_t i = 1; i <= n; ++i) {
    reader.Read(record_layout, targets);
    records.push_back(MarkerRecord{kod, selected});
  }
  return records;
}

std::string Heading(const char* text) {
  std::string heading(text);
  heading.resize(kNameLength, ' ');
  return heading;
}

std::string BuildPedigreeTable(int32_t nd, const ImasTable& imas, const std::string& nametr) {
  TextFileWriter out;
  const Layout numbers = Layout::Parse(kTableLayout);
  out.Write(numbers, {I32(nd)});
  out.Write(Layout::Parse("A20"),
            {Str(Heading("family number")), Str(Heading("individual number")),
             Str(Heading("father`s number")), Str(Heading("mother`s number")), Str(Heading("prob")),
             Str(Heading("sex")), Str(Heading("ini_id")), Str(nametr), Str(Heading("nation"))});
  std::string form(30, '\0');
  form.replace(0, 6, "(20i5)");
  OutList form_chars;
  for (char c : form) form_chars.push_back(Str(std::string(1, c)));
  out.Write(Layout::Parse("30A1"), form_chars);
  for (std::size_t j = 1; j < imas.size(); ++j) {
    OutList row;
    for (int k = 1; k <= 9; ++k) row.push_back(I32(imas[j][k]));
    out.Write(numbers, row);
  }
  return out.bytes();
}

}  // namespace

void REWRDAT(RunContext& ctx, ExportState& exports, MarkerMatcher match_markers) {
  std::string nametr;
  const int32_t itr = ReadDefinition(ctx, exports, &nametr);
  const std::vector<MarkerRecord> records = ReadMarkers(ctx, itr);

  PedigreeStore& st = ctx.store;
  const int nd = std::clamp<int32_t>(st.ND, 0, kMaxRows);
  ImasTable imas(static_cast<std::size_t>(nd) + 1, std::array<int32_t, 10>{});
  if (ctx.observer != nullptr) {
    std::vector<int32_t> identifiers;
    identifiers.reserve(records.size());
    for (const MarkerRecord& record : records) identifiers.push_back(record.kod);
    ctx.observer->MarkerRecordsRead(st, identifiers);
  }
  match_markers(st, exports, records, imas);

  for (int j = 1; j <= nd; ++j) {
    imas[j][1] = st.MAS0[j];
    imas[j][2] = st.MAS[j][1];
    imas[j][3] = st.MAS[j][2];
    imas[j][4] = st.MAS[j][3];
    imas[j][5] = 2;
    if (st.MAS1[j][1] == kBreedLoopCopy) imas[j][5] = 1;
    if (st.MAS1[j][1] == kBreedParentCopy) imas[j][5] = 1;
    if (imas[j][9] == kNationWithMarkerProb) imas[j][5] = 1;
    imas[j][6] = st.MAS1[j][2];
    imas[j][7] = st.INI_ID[j];
  }

  // From here on NAZ is indexed by position.
  for (int i = 1; i <= nd; ++i) {
    st.MAS1[i][1] = LowByte(imas[i][5]);
    st.INI_ID[i] = Low16(imas[i][7]);
    exports.NAZ[i] = Low8(imas[i][9]);
    st.IFON[i] = Low8(imas[i][8]);
  }

  if (ctx.write_outputs) exports.ped_dat = BuildPedigreeTable(st.ND, imas, nametr);
  UNFORM(ctx, exports);
}

}  // namespace pedprep
