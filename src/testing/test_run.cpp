#include "testing/test_run.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace pedprep::testing {

namespace {

std::string Field5(long v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%5ld", v);
  return buf;
}

}  // namespace

void SetRow(PedigreeStore& store, int position, const PassportRow& row) {
  store.MAS0[position] = static_cast<int16_t>(row.family);
  store.MAS[position] = {0, static_cast<int16_t>(row.individual), static_cast<int16_t>(row.father),
                         static_cast<int16_t>(row.mother)};
  store.MAS1[position] = {0, static_cast<uint8_t>(row.breed), static_cast<uint8_t>(row.sex)};
  store.INI_ID[position] = static_cast<int16_t>(row.initial_id);
}

void FillStore(PedigreeStore& store, const std::vector<PassportRow>& rows, int nrac) {
  store.ND = static_cast<int32_t>(rows.size());
  store.NRAC = nrac;
  for (std::size_t k = 0; k < rows.size(); ++k) SetRow(store, static_cast<int>(k) + 1, rows[k]);
  try {
    CRTINS(store);
  } catch (const std::length_error&) {
    // More families than INS holds: left to the check under test to refuse.
  }
}

std::string PassportText(long nd, long nrac, const std::vector<PassportRow>& rows) {
  std::string text = Field5(nd) + Field5(nrac) + "\r\n";
  for (int n = 1; n <= 7; ++n) text += "comment line " + std::to_string(n) + "\r\n";
  for (const PassportRow& r : rows) {
    for (long v : {r.family, r.individual, r.father, r.mother, r.breed, r.sex, r.initial_id}) {
      text += Field5(v);
    }
    text += "\r\n";
  }
  return text;
}

std::vector<PassportRow> FounderFamily(long family, int count) {
  std::vector<PassportRow> rows;
  for (int m = 1; m <= count; ++m) rows.push_back({family, m, 0, 0, 1, 1, m});
  return rows;
}

void TestRun::AddRow(const PassportRow& row) { SetRow(store(), ++store().ND, row); }

void TestRun::AddBreak(int family, int copy_number, int copied_number, int ini_id) {
  PedigreeStore& st = store();
  const int k = ++st.NBREAK;
  st.BREAK_IND[k] = {0, static_cast<int16_t>(family), static_cast<int16_t>(copy_number),
                     static_cast<int16_t>(copied_number), static_cast<int16_t>(ini_id)};
}

void TestRun::SetDatabase(int ndat, const std::map<int, int>& nations) {
  char line[64];
  std::snprintf(line, sizeof line, "%5d\r\n", ndat);
  std::string text = line;
  for (int i = 1; i <= ndat; ++i) {
    auto it = nations.find(i);
    std::snprintf(line, sizeof line, "%5d%5d%5d%5d%5d%5d\r\n", i, 0, 0, 1,
                  it == nations.end() ? 0 : it->second, 0);
    text += line;
  }
  files.files["database/pedigree.dat"] = text;
}

std::string TestRun::TakeOutput() {
  std::string text;
  text.swap(console.output);
  return text;
}

std::string Tail(const std::string& text, std::size_t bytes) {
  return text.size() < bytes ? text : text.substr(text.size() - bytes);
}

std::string DescribeRows(const PedigreeStore& st) {
  std::string out;
  char line[96];
  for (int p = 1; p <= st.ND; ++p) {
    std::snprintf(line, sizeof line, "%d %d %d %d %d %d %d\n", st.MAS0[p], st.MAS[p][1],
                  st.MAS[p][2], st.MAS[p][3], st.MAS1[p][1], st.MAS1[p][2], st.INI_ID[p]);
    out += line;
  }
  return out;
}

std::string DescribeIns(const PedigreeStore& st) {
  std::string out;
  for (int j = 1; j <= st.INS[1] + 2; ++j) {
    if (!out.empty()) out += ' ';
    out += std::to_string(st.INS[j]);
  }
  return out;
}

}  // namespace pedprep::testing
