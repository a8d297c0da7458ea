#include "reports/show.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "records/segmented_writer.h"
#include "records/text_writer.h"
#include "testing/fakes.h"

namespace pedprep {
namespace {

// family, individual, father, mother, prob, sex, ini_id, marker, nation as ped.dat holds them.
using TableRow = std::array<int, 9>;

MemoryFileSystem Folder(const std::vector<TableRow>& rows) {
  const int nd = static_cast<int>(rows.size());
  OutList pedigree{I32(nd)}, identifiers{I32(nd)}, markers{I32(nd)}, nations;
  TextFileWriter table;
  table.Write(Layout::Parse("20I5"), {I32(nd)});
  for (std::string h : {"family number", "individual number", "father`s number", "mother`s number",
                        "prob", "sex", "ini_id", " MARKER", "nation"}) {
    h.resize(20, h == " MARKER" ? '\0' : ' ');
    table.Write(Layout::Parse("A20"), {Str(h)});
  }
  table.Write(Layout::Parse("A30"), {Str(std::string("(20i5)") + std::string(24, '\0'))});
  for (const TableRow& r : rows) {
    for (int k = 0; k < 4; ++k) pedigree.push_back(I16(static_cast<int16_t>(r[k])));
    pedigree.push_back(I8(static_cast<int8_t>(r[4])));
    pedigree.push_back(I8(static_cast<int8_t>(r[5])));
    identifiers.push_back(I16(static_cast<int16_t>(r[6])));
    markers.push_back(I8(static_cast<int8_t>(r[7] & 0xFF)));
    nations.push_back(I8(static_cast<int8_t>(r[8])));
    OutList values;
    for (int v : r) values.push_back(I32(v));
    table.Write(Layout::Parse("20I5"), values);
  }
  MemoryFileSystem fs;
  SegmentedWriter p, i, m;
  p.WriteRecordStreaming(pedigree);
  i.WriteRecord(identifiers);
  m.WriteRecord(markers);
  m.WriteRecord(nations);
  fs.files = {{"DEF.DAT", "title\r\n MARKER.DAT  \r\nx\r\ny\r\n 1\r\n"},
              {"PEDIGREE", p.Close()},
              {"ID.PE", i.Close()},
              {"MARKER.DAT", m.Close()},
              {"ped.dat", table.bytes()}};
  return fs;
}

// A loop-break copy (position 4) keeps the initial identifier of its original; ini_id 9 has
// no ids.csv row; the marker value 300 reaches the binary file as its low byte 44.
const std::vector<TableRow> kRows = {{1, 1, 0, 0, 2, 1, 1, 300, 0},
                                     {1, 2, 0, 0, 2, 2, 2, -5, 2},
                                     {1, 3, 1, 2, 2, 1, 3, 0, 0},
                                     {1, 4, 0, 0, 1, 1, 1, 0, 0},
                                     {2, 1, 0, 0, 2, 2, 9, 0, 0}};
const char* kIds =
    "ini_id,id,family,individual,added\r\n1,DE 01,1,1,\r\n2,\"Ann, B\",1,2,\r\n"
    "3,C3,1,3,\r\n";

struct Result {
  int status;
  std::string out, err;
};

Result Show(MemoryFileSystem& fs, bool csv = false) {
  std::ostringstream out, err;
  const int status = RunShow(fs, csv, out, err);
  return {status, out.str(), err.str()};
}

TEST(ShowTest, AlignedAndCsvTables) {
  MemoryFileSystem fs = Folder(kRows);
  fs.files["ids.csv"] = kIds;
  Result aligned = Show(fs);
  EXPECT_EQ(aligned.status, 0);
  EXPECT_EQ(aligned.err, "");
  EXPECT_EQ(
      aligned.out,
      "position  family  individual  father  mother  prob  sex  ini_id  marker  nation  id\n"
      "       1       1           1       0       0     2    1       1      44       0  DE 01\n"
      "       2       1           2       0       0     2    2       2      -5       2  Ann, B\n"
      "       3       1           3       1       2     2    1       3       0       0  C3\n"
      "       4       1           4       0       0     1    1       1       0       0  DE 01\n"
      "       5       2           1       0       0     2    2       9       0       0\n");
  Result csv = Show(fs, true);
  EXPECT_EQ(csv.status, 0);
  EXPECT_EQ(csv.out,
            "position,family,individual,father,mother,prob,sex,ini_id,marker,nation,id\r\n"
            "1,1,1,0,0,2,1,1,44,0,DE 01\r\n2,1,2,0,0,2,2,2,-5,2,\"Ann, B\"\r\n"
            "3,1,3,1,2,2,1,3,0,0,C3\r\n4,1,4,0,0,1,1,1,0,0,DE 01\r\n5,2,1,0,0,2,2,9,0,0,\r\n");
}

std::string FileOf(std::vector<TableRow> rows, const char* name) {
  return Folder(rows).files[name];
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST(ShowTest, FaultsNameTheFileAndThePlace) {
  std::vector<TableRow> other_father = kRows;
  other_father[2][2] = 7;
  std::vector<TableRow> too_wide = kRows;
  too_wide[0][0] = 100000;
  SegmentedWriter one_record;
  one_record.WriteRecord({I32(5), I8(0), I8(0), I8(0), I8(0), I8(0)});
  SegmentedWriter short_pedigree;
  short_pedigree.WriteRecord({I32(5), I16(1)});
  struct Case {
    const char* file;
    std::string contents;  // "-": the file is removed
    int status;
    std::string err;
  } cases[] = {
      {"ID.PE", FileOf({kRows[0]}, "ID.PE"), 1,
       "ID.PE, byte 2: expected ND = 5 as in PEDIGREE, found 1\n"},
      {"MARKER.DAT", one_record.Close(), 1, "MARKER.DAT, byte 12: expected 2 records, found 1\n"},
      {"PEDIGREE", short_pedigree.Close(), 1,
       "PEDIGREE, byte 1: expected record 1 of 4 + 10 x ND = 54 data bytes for ND = 5, found 6\n"},
      {"ped.dat", FileOf(other_father, "ped.dat"), 1,
       "ped.dat, record 14 (position 3): expected father 1 as in PEDIGREE byte 30, found 7\n"},
      {"ped.dat", FileOf(kRows, "ped.dat") + "    1\r\n", 1,
       "ped.dat, record 17: expected the end of the file after the row of position 5, found "
       "another record\n"},
      {"ped.dat", Replaced(FileOf(kRows, "ped.dat"), "prob", "prub"), 1,
       "ped.dat, record 6: expected \"prob\", found \"prub\"\n"},
      {"ped.dat", FileOf(too_wide, "ped.dat"), 1,
       "ped.dat, record 12: not an integer: \"*****\"\n"},
      {"ids.csv", std::string(kIds) + "1,X,2,1,\r\n", 1,
       "ids.csv, line 5: expected each ini_id once, found 1 again (first on line 2)\n"},
      {"MARKER.DAT", "-", 2, "INPUT ERROR: open of MARKER.DAT: file not found\n"},
      // Marker file names the run refuses: a zero byte would open a file of another name.
      {"DEF.DAT", std::string("title\r\n MARK\0ER.DAT\r\nx\r\ny\r\n 1\r\n", 30), 2,
       "INPUT ERROR: read of DEF.DAT, record 2: the marker file name holds a zero byte: "
       "\"MARK\\x00ER.DAT\"\n"},
      {"DEF.DAT", "title\r\nid.pe\r\nx\r\ny\r\n 1\r\n", 2,
       "INPUT ERROR: read of DEF.DAT, record 2: the marker file name is that of an input or "
       "output of the run: \"id.pe\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    MemoryFileSystem fs = Folder(kRows);
    if (c.contents == "-") {
      fs.files.erase(c.file);
    } else {
      fs.files[c.file] = c.contents;
    }
    const Result result = Show(fs);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, "");
  }
}

// At most 20 differences are listed, in row order, then one line counts the rest.
TEST(ShowTest, TwentyDifferencesListedThenACount) {
  std::vector<TableRow> rows;
  for (int i = 1; i <= 30; ++i) rows.push_back({1, i, 0, 0, 2, 1, i, 0, 0});
  struct Case {
    int ini_id_rows;  // ped.dat differs in the ini_id of the first rows
    int nation_rows;  // and in the nation code of the first rows
    std::vector<std::string> last_lines;
  };
  const std::string tenth = "ped.dat, record 21 (position 10): expected ";
  const std::string tenth_ini_id = tenth + "ini_id 10 as in ID.PE byte 24, found 110";
  const std::string tenth_nation = tenth + "nation 0 as in MARKER.DAT byte 47, found 1";
  const Case cases[] = {
      {10, 9, {tenth_ini_id}},
      {10, 10, {tenth_nation}},
      {11, 10, {tenth_nation, "ped.dat: 1 more differences not shown"}},
      {30, 30, {tenth_nation, "ped.dat: 40 more differences not shown"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ini_id_rows) + " " + std::to_string(c.nation_rows));
    std::vector<TableRow> changed = rows;
    for (int i = 0; i < c.ini_id_rows; ++i) changed[i][6] += 100;
    for (int i = 0; i < c.nation_rows; ++i) changed[i][8] = 1;
    MemoryFileSystem fs = Folder(rows);
    fs.files["ped.dat"] = FileOf(changed, "ped.dat");
    const Result result = Show(fs);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    std::vector<std::string> lines;
    std::istringstream err(result.err);
    for (std::string line; std::getline(err, line);) lines.push_back(line);
    const std::size_t listed = std::min(c.ini_id_rows + c.nation_rows, 20);
    ASSERT_EQ(lines.size(), listed + c.last_lines.size() - 1) << result.err;
    EXPECT_EQ(std::vector<std::string>(
                  lines.end() - static_cast<std::ptrdiff_t>(c.last_lines.size()), lines.end()),
              c.last_lines);
    for (std::size_t k = 0; k < listed; ++k) {
      const std::string row = "ped.dat, record " + std::to_string(12 + k / 2) + " (position " +
                              std::to_string(1 + k / 2) + "): expected ";
      EXPECT_EQ(lines[k].rfind(row + (k % 2 == 0 ? "ini_id " : "nation "), 0), 0u) << lines[k];
    }
  }
}

// Every flipped, removed, cut or added byte of each binary file is reported with the file
// and a byte offset, never accepted. 13 rows make PEDIGREE span two segments.
TEST(ShowTest, EveryDamagedByteIsReported) {
  std::vector<TableRow> rows;
  for (int i = 0; i < 13; ++i)
    rows.push_back({1 + i / 6, i % 6 + 1, 0, 0, 2, 1 + i % 2, i + 1, i, 0});
  const MemoryFileSystem good = Folder(rows);
  for (const char* name : {"PEDIGREE", "ID.PE", "MARKER.DAT"}) {
    const std::string bytes = good.files.at(name);
    std::vector<std::string> damaged;
    for (std::size_t at = 0; at <= bytes.size(); ++at) {
      if (at < bytes.size()) damaged.push_back(bytes.substr(0, at));
      for (char extra : {'\x00', '\x4B', '\x81', '\x82'}) {
        damaged.push_back(bytes.substr(0, at) + extra + bytes.substr(at));
      }
      if (at == bytes.size()) break;
      damaged.push_back(bytes.substr(0, at) + bytes.substr(at + 1));
      for (int mask : {0x01, 0x80, 0xFF}) {
        damaged.push_back(bytes);
        damaged.back()[at] = static_cast<char>(bytes[at] ^ mask);
      }
    }
    for (const std::string& d : damaged) {
      MemoryFileSystem fs = good;
      fs.files[name] = d;
      const Result result = Show(fs);
      ASSERT_EQ(result.status, 1) << name << " " << d.size() << " bytes";
      ASSERT_TRUE(result.err.find(std::string(name) + ", byte ") != std::string::npos ||
                  result.err.find(std::string(name) + " byte ") != std::string::npos)
          << result.err;
    }
  }
}

// DEF.DAT may name a file outside the folder or one of the folder's own files: show refuses
// the name as the run does and opens nothing under it.
TEST(ShowTest, MarkerFileNamesTheRunRefusesAreRefused) {
  struct Case {
    const char* name;
    const char* problem;
  } cases[] = {
      {"/etc/passwd", "the marker file name is absolute"},
      {"../MARKER.DAT", "the marker file name leads out of the folder (\"..\")"},
      {"ids.csv", "the marker file name is that of an input or output of the run"},
      {"PEDPREP.RUN", "the marker file name is that of an input or output of the run"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs = Folder(kRows);
    fs.files[c.name] = fs.files["MARKER.DAT"];
    fs.files["DEF.DAT"] = "title\r\n" + std::string(c.name) + "\r\nx\r\ny\r\n 1\r\n";
    const Result result = Show(fs);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "INPUT ERROR: read of DEF.DAT, record 2: " + std::string(c.problem) +
                              ": \"" + c.name + "\"\n");
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace pedprep
