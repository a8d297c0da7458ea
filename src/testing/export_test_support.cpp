#include "testing/export_test_support.h"

#include <cstdio>

namespace pedprep {

void TestRun::AddRow(int family, int individual, int father, int mother, int breed, int sex,
                     int ini_id) {
  PedigreeStore& st = store();
  const int p = ++st.ND;
  st.MAS0[p] = static_cast<int16_t>(family);
  st.MAS[p] = {0, static_cast<int16_t>(individual), static_cast<int16_t>(father),
               static_cast<int16_t>(mother)};
  st.MAS1[p] = {0, static_cast<uint8_t>(breed), static_cast<uint8_t>(sex)};
  st.INI_ID[p] = static_cast<int16_t>(ini_id);
}

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

}  // namespace pedprep
