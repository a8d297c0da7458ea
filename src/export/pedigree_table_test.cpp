#include "export/pedigree_table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "export/marker_match.h"
#include "records/input_error.h"
#include "reference/marker_match_scan.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::TestRun;

using std::string_literals::operator""s;

std::string Definition(const std::string& name_record, const std::string& itr_record) {
  return "title\r\n" + name_record + "\r\nnote one\r\nnote two\r\n" + itr_record + "\r\n";
}

// Three individuals of family 1: founders 1 (ini 7) and 2 (ini 8), child 3 (ini 9);
// nation codes by identifier 7 -> 2, 8 -> 5, 9 -> 9.
void SetUpSmallRun(TestRun& run) {
  run.AddRow({1, 1, 0, 0, 1, 1, 7});
  run.AddRow({1, 2, 0, 0, 2, 2, 8});
  run.AddRow({1, 3, 1, 2, 0, 2, 9});
  run.exports.NAZ[7] = 2;
  run.exports.NAZ[8] = 5;
  run.exports.NAZ[9] = 9;
}

TEST(RewrdatTest, PedigreeTableBytes) {
  TestRun run;
  SetUpSmallRun(run);
  run.files.files["DEF.DAT"] = Definition("abc.dat", " 2");
  // Header N = 2, NTR = 3; records for identifiers 7 and 9 (only the selected value 2 must
  // fit a byte).
  run.files.files["database/markers.dat"] =
      "    2  3  1  2  3\r\n    7  300   12  400\r\n    9   21 -100   23\r\n";
  run.console.answers = {""};
  REWRDAT(*run.ctx, run.exports, MatchMarkers);
  const std::string expected =
      "    3\r\n"
      "family number       \r\n"
      "individual number   \r\n"
      "father`s number     \r\n"
      "mother`s number     \r\n"
      "prob                \r\n"
      "sex                 \r\n"
      "ini_id              \r\n"
      "abc" +
      std::string(17, '\0') +
      "\r\n"
      "nation              \r\n"
      "(20i5)" +
      std::string(24, '\0') +
      "\r\n"
      "    1    1    0    0    1    1    7   12    2\r\n"
      "    1    2    0    0    2    2    8    0    0\r\n"
      "    1    3    1    2    2    2    9 -100    9\r\n";
  EXPECT_EQ(run.files.files["ped.dat"], expected);
  const PedigreeStore& st = run.store();
  EXPECT_EQ(st.IFON[1], 12);
  EXPECT_EQ(st.IFON[2], 0);
  EXPECT_EQ(st.IFON[3], -100);
  EXPECT_EQ(run.exports.NAZ[1], 2);
  EXPECT_EQ(run.exports.NAZ[2], 0);
  EXPECT_EQ(run.exports.NAZ[3], 9);
  EXPECT_EQ(st.MAS1[1][1], 1);
  EXPECT_EQ(st.MAS1[2][1], 2);
  EXPECT_EQ(run.files.files["abc.dat"],
            "\x4B\x07\x03\x00\x00\x00\x0C\x00\x9C\x07\x03\x02\x00\x09\x03\x82"s);
  EXPECT_EQ(run.console.output, "ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED\n" +
                                    std::string(kPausePrompt) + "\n");
}

TEST(RewrdatTest, MarkerNameHeadingAndFileName) {
  struct Case {
    std::string name_record;
    std::string heading;
    std::string file;
  };
  for (const Case& c : {Case{"abc.dat", "abc" + std::string(17, '\0'), "abc.dat"},
                        Case{"MARKERS", "MARKERS" + std::string(13, ' '), "MARKERS"},
                        Case{"  m.dat", "  m" + std::string(17, '\0'), "m.dat"},
                        Case{"a.b.c", "a" + std::string(19, '\0'), "a.b.c"}}) {
    SCOPED_TRACE(c.name_record);
    TestRun run;
    SetUpSmallRun(run);
    run.files.files["DEF.DAT"] = Definition(c.name_record, " 1");
    run.files.files["database/markers.dat"] = "    0  1\r\n";
    REWRDAT(*run.ctx, run.exports, MatchMarkers);
    const std::string& table = run.files.files["ped.dat"];
    const std::size_t heading_at = 7 + 7 * 22;
    EXPECT_EQ(table.substr(heading_at, 22), c.heading + "\r\n");
    EXPECT_EQ(run.files.files.count(c.file), 1u);
  }
}

TEST(RewrdatTest, MarkerValuesAndProbCodes) {
  TestRun run;
  // Two rows share identifier 5 (a copy and its original); the later record for 5 wins.
  run.AddRow({1, 1, 0, 0, 1, 1, 5});
  run.AddRow({1, 2, 0, 0, 1, 2, 6});
  run.AddRow({1, 3, 1, 2, 0, 1, 4});
  run.AddRow({1, 4, 0, 0, 100, 1, 5});
  run.AddRow({1, 5, 0, 0, 200, 2, 6});
  run.AddRow({1, 6, 1, 2, 0, 2, 3});
  run.exports.NAZ[5] = 2;
  run.exports.NAZ[6] = 2;  // no marker record: the nation code does not count
  run.exports.NAZ[4] = 3;
  run.files.files["DEF.DAT"] = Definition("M.DAT", " 2");
  run.files.files["database/markers.dat"] =
      "    3  2\r\n    5    1   10\r\n    4    1   40\r\n    5    1   20\r\n";
  REWRDAT(*run.ctx, run.exports, MatchMarkers);
  const std::string& table = run.files.files["ped.dat"];
  const std::string data = table.substr(table.find("(20i5)") + 32);
  EXPECT_EQ(data,
            "    1    1    0    0    1    1    5   20    2\r\n"
            "    1    2    0    0    2    2    6    0    0\r\n"
            "    1    3    1    2    2    1    4   40    3\r\n"
            "    1    4    0    0    1    1    5   20    2\r\n"
            "    1    5    0    0    1    2    6    0    0\r\n"
            "    1    6    1    2    2    2    3    0    0\r\n");
}

TEST(RewrdatTest, MarkerRecordLayouts) {
  struct Case {
    const char* name;
    std::string markers;
    const char* itr;
    int value;
  };
  std::string twenty_header = "    1 20";
  std::string twenty_record = "    5";
  for (int i = 1; i <= 19; ++i) {
    twenty_header += "  1";
    twenty_record += "  " + std::to_string(100 + i);
  }
  const std::string twenty = twenty_header + "\r\n    1\r\n" + twenty_record + "\r\n   99\r\n";
  for (const Case& c : {
           Case{"no marker records", "    0  3\r\n", " 1", 0},
           Case{"no marker records, ITR above NTR", "    0  2\r\n", " 3", 0},
           Case{"20 values: 19th", twenty, "19", 119},
           Case{"20 values: 20th on the next line", twenty, "20", 99},
       }) {
    SCOPED_TRACE(c.name);
    TestRun run;
    run.AddRow({1, 1, 0, 0, 1, 1, 5});
    run.exports.NAZ[5] = 4;
    run.files.files["DEF.DAT"] = Definition("M.DAT", c.itr);
    run.files.files["database/markers.dat"] = c.markers;
    REWRDAT(*run.ctx, run.exports, MatchMarkers);
    EXPECT_EQ(run.store().IFON[1], static_cast<int8_t>(c.value));
    const std::string& table = run.files.files["ped.dat"];
    EXPECT_EQ(table.substr(table.size() - 12, 10),
              (c.markers[4] == '0' ? "    0    0"
                                   : std::string(5 - std::to_string(c.value).size(), ' ') +
                                         std::to_string(c.value) + "    4"));
    // The marker file always has its two records.
    const std::string& marker_file = run.files.files["M.DAT"];
    EXPECT_EQ(marker_file.size(), 1u + 7u + 3u + 1u);
  }
}

TEST(RewrdatTest, WrongMarkerDefinitionPausesAndStops) {
  struct Case {
    const char* itr;
    const char* header;  // nullptr: no marker data file at all
  };
  for (const Case& c :
       {Case{" 0", nullptr}, Case{"21", nullptr}, Case{"-1", nullptr}, Case{" 1", "    1 21"},
        Case{" 1", "    1 -1"},
        // Records, but none holds the selected value.
        Case{" 3", "    1  2\r\n    5    7    8"}, Case{" 1", "    1  0\r\n    5"}}) {
    SCOPED_TRACE(::testing::Message() << c.itr << " " << (c.header ? c.header : ""));
    TestRun run;
    SetUpSmallRun(run);
    run.files.files["DEF.DAT"] = Definition("M.DAT", c.itr);
    if (c.header) run.files.files["database/markers.dat"] = std::string(c.header) + "\r\n";
    run.console.answers = {""};
    EXPECT_THROW(REWRDAT(*run.ctx, run.exports, MatchMarkers), RunStopped);
    EXPECT_EQ(run.console.output,
              "ERROR: wrong marker definition \n" + std::string(kPausePrompt) + "\n");
    EXPECT_EQ(run.files.files.count("ped.dat"), 0u);
  }
}

TEST(RewrdatTest, RefusedMarkerFileNamesAndValues) {
  const std::string outside = "the marker file name leads out of the folder (\"..\")";
  const std::string own = "the marker file name is that of an input or output of the run";
  struct Case {
    std::string name_record;
    std::string markers;  // empty: no marker data (a refused name is found before it is read)
    std::string report;   // empty: accepted, the marker file is written under `written`
    std::string written;
  };
  const std::string one_record = "    1  2  1  2\r\n    8    1  128\r\n";
  const std::string def2 = "INPUT ERROR: read of DEF.DAT, record 2: ";
  const std::string control = "the marker file name holds a control byte";
  const std::string folder = "the marker file name names a folder";
  for (const Case& c : {
           Case{"      ", "", def2 + "the marker file name is empty", ""},
           Case{"a\0b"s, "", def2 + "the marker file name holds a zero byte: \"a\\x00b\"", ""},
           Case{"/tmp/m.dat", "", def2 + "the marker file name is absolute: \"/tmp/m.dat\"", ""},
           Case{"\\m.dat", "", def2 + "the marker file name is absolute: \"\\m.dat\"", ""},
           Case{"../m.dat", "", def2 + outside + ": \"../m.dat\"", ""},
           Case{"a\\..\\m.dat", "", def2 + outside + ": \"a\\..\\m.dat\"", ""},
           Case{"pedigree.prn", "", def2 + own + ": \"pedigree.prn\"", ""},
           Case{" ./DEF.DAT", "", def2 + own + ": \"./DEF.DAT\"", ""},
           Case{"Database/Markers.dat", "", def2 + own + ": \"Database/Markers.dat\"", ""},
           Case{".\\/ped.dat", "", def2 + own + ": \".\\/ped.dat\"", ""},
           Case{"PED.DAT", "", def2 + own + ": \"PED.DAT\"", ""},
           Case{"Pedigree", "", def2 + own + ": \"Pedigree\"", ""},
           Case{"id.pe", "", def2 + own + ": \"id.pe\"", ""},
           Case{"IDS.csv", "", def2 + own + ": \"IDS.csv\"", ""},
           Case{"PEDPREP.RUN", "", def2 + own + ": \"PEDPREP.RUN\"", ""},
           Case{"ped.dat\x01", "", def2 + control + ": \"ped.dat\\x01\"", ""},
           Case{"database", "", def2 + folder + ": \"database\"", ""},
           Case{"./database/", "", def2 + folder + ": \"./database/\"", ""},
           Case{"x/", "", def2 + folder + ": \"x/\"", ""},
           Case{"database/trait.bin", "    0  1\r\n", "", "database/trait.bin"},
           Case{
               "M.DAT", one_record,
               "INPUT ERROR: read of database/markers.dat, record 2: integer out of range: \"128\"",
               ""},
       }) {
    SCOPED_TRACE(c.name_record);
    TestRun run;
    SetUpSmallRun(run);
    run.files.files["DEF.DAT"] = Definition(c.name_record, " 2");
    if (!c.markers.empty()) run.files.files["database/markers.dat"] = c.markers;
    const std::size_t inputs = run.files.files.size();
    if (c.report.empty()) {
      REWRDAT(*run.ctx, run.exports, MatchMarkers);
      EXPECT_EQ(run.files.files.count(c.written), 1u);
      continue;
    }
    try {
      REWRDAT(*run.ctx, run.exports, MatchMarkers);
      ADD_FAILURE() << "accepted";
    } catch (const InputError& e) {
      EXPECT_EQ(e.Report(), c.report);
    }
    EXPECT_EQ(run.files.files.size(), inputs);
  }
}

TEST(RewrdatTest, FailedWriteLeavesEarlierOutputs) {
  TestRun run;
  SetUpSmallRun(run);
  run.files.files["DEF.DAT"] = Definition("M.DAT", " 1");
  run.files.files["database/markers.dat"] = "    0  1\r\n";
  run.files.files["ped.dat"] = "old table";
  run.files.files["PEDIGREE"] = "old pedigree";
  run.files.unwritable.insert("M.DAT");
  EXPECT_THROW(REWRDAT(*run.ctx, run.exports, MatchMarkers), InputError);
  EXPECT_EQ(run.files.files["ped.dat"], "old table");
  EXPECT_EQ(run.files.files["PEDIGREE"], "old pedigree");
  EXPECT_EQ(run.files.files.count("ID.PE"), 0u);
  EXPECT_EQ(run.console.output, "");

  TestRun bad_field;
  SetUpSmallRun(bad_field);
  bad_field.files.files["DEF.DAT"] = Definition("M.DAT", " 1");
  bad_field.files.files["database/markers.dat"] = "    1  1\r\n    x    1\r\n";
  EXPECT_THROW(REWRDAT(*bad_field.ctx, bad_field.exports, MatchMarkers), InputError);
}

TEST(MarkerMatchTest, SameResultAsComparingEveryPosition) {
  std::mt19937 rng(7);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int trial = 0; trial < 200; ++trial) {
    TestRun run;
    const int nd = pick(0, 60);
    for (int i = 1; i <= nd; ++i) run.AddRow({1, i, 0, 0, 1, 1, pick(-3, 25)});
    for (int id = 1; id <= 25; ++id) run.exports.NAZ[id] = static_cast<int8_t>(pick(0, 9));
    std::vector<MarkerRecord> records;
    for (int n = pick(0, 40); n > 0; --n) {
      records.push_back({pick(0, 9) == 0 ? pick(-70000, 70000) : pick(-3, 30), pick(-500, 500)});
    }
    ImasTable fast(static_cast<std::size_t>(nd) + 1, std::array<int32_t, 10>{});
    ImasTable reference = fast;
    MatchMarkers(run.store(), run.exports, records, fast);
    ReferenceMatchMarkers(run.store(), run.exports, records, reference);
    ASSERT_EQ(fast, reference) << trial;
  }
}

}  // namespace
}  // namespace pedprep
