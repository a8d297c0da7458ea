#include "testing/driver_test_support.h"

#include <cstdio>

namespace pedprep::testing {

namespace {

std::string Field5(long v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%5ld", v);
  return buf;
}

}  // namespace

std::string PassportText(long nd, long nrac, const std::vector<PassportRow>& rows) {
  std::string text = Field5(nd) + Field5(nrac) + "\r\n";
  for (int n = 1; n <= 7; ++n) text += "comment line " + std::to_string(n) + "\r\n";
  for (const PassportRow& row : rows) {
    for (long v : row) text += Field5(v);
    text += "\r\n";
  }
  return text;
}

void FillStore(PedigreeStore& store, const std::vector<PassportRow>& rows) {
  store.ND = static_cast<int32_t>(rows.size());
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const int i = static_cast<int>(k) + 1;
    const PassportRow& r = rows[k];
    store.MAS0[i] = static_cast<int16_t>(r[0]);
    store.MAS[i][1] = static_cast<int16_t>(r[1]);
    store.MAS[i][2] = static_cast<int16_t>(r[2]);
    store.MAS[i][3] = static_cast<int16_t>(r[3]);
    store.MAS1[i][1] = static_cast<uint8_t>(r[4]);
    store.MAS1[i][2] = static_cast<uint8_t>(r[5]);
    store.INI_ID[i] = static_cast<int16_t>(r[6]);
  }
}

std::vector<PassportRow> FounderFamily(long family, int count) {
  std::vector<PassportRow> rows;
  for (int m = 1; m <= count; ++m) rows.push_back({family, m, 0, 0, 1, 1, m});
  return rows;
}

}  // namespace pedprep::testing
