// Whole runs on faulty input folders: every fault of every input file ends the run with the
// record layer's report (operation, file, record, offending text), exit status 2 and no
// output file; the harmless variants of the record rules run exactly like the clean folder.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/run_driver.h"
#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::CleanDatabase;
using testing::CleanDefinition;
using testing::CleanMarkers;
using testing::CleanPassport;
using testing::TestRun;

constexpr const char* kPassport = "PEDIGREE.PRN";
constexpr const char* kDatabase = "database/pedigree.dat";
constexpr const char* kDefinition = "DEF.DAT";
constexpr const char* kMarkers = "database/markers.dat";

// What the clean folder shows before it reads its second input file: the loop break.
const std::string kBreakLines =
    "          4\n"
    "          1           4\n"
    "BREAKAGE: NFA,NMA          3           4\n";

// The first `records` records of `text` (CR LF ended).
std::string FirstRecords(const std::string& text, int records) {
  std::size_t end = 0;
  for (int n = 0; n < records; ++n) end = text.find('\n', end) + 1;
  return text.substr(0, end);
}

// `text` with its first occurrence of `from` replaced by `to`.
std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

struct FaultCase {
  const char* name;
  const char* file;
  std::function<void(std::string&)> spoil;  // nullptr: the file is missing
  std::string shown_before;                 // console text of the stages before the fault
  std::string report;
};

TEST(RunInputErrorsTest, EveryFaultEndsWithTheReportAndNoOutput) {
  const std::vector<FaultCase> cases = {
      // The passport file.
      {"passport missing", kPassport, nullptr, "",
       "INPUT ERROR: open of PEDIGREE.PRN: file not found"},
      {"passport empty", kPassport, [](std::string& t) { t.clear(); }, "",
       "INPUT ERROR: read of PEDIGREE.PRN, record 1: end of file"},
      {"passport header only", kPassport, [](std::string& t) { t = FirstRecords(t, 1); }, "",

       "INPUT ERROR: read of PEDIGREE.PRN, record 2: end of file"},
      {"passport shorter than ND", kPassport, [](std::string& t) { t = FirstRecords(t, 15); }, "",
       "INPUT ERROR: read of PEDIGREE.PRN, record 16: end of file"},
      {"passport letter in a field", kPassport,
       [](std::string& t) { t = Replace(t, "    1    3    1", "    1   3x    1"); }, "",
       "INPUT ERROR: read of PEDIGREE.PRN, record 11: not an integer: \"3x\""},
      {"passport sign inside a field", kPassport,
       [](std::string& t) { t = Replace(t, "    1    3    1", "    1  3-1    1"); }, "",
       "INPUT ERROR: read of PEDIGREE.PRN, record 11: not an integer: \"3-1\""},
      {"passport identifier above 16 bits", kPassport,
       [](std::string& t) { t = Replace(t, "    2    8\r\n", "    232768\r\n"); }, "",
       "INPUT ERROR: read of PEDIGREE.PRN, record 16: integer out of range: \"32768\""},
      {"passport stray character in the header", kPassport,
       [](std::string& t) { t = Replace(t, "    8    2", "    8   2;"); }, "",
       "INPUT ERROR: read of PEDIGREE.PRN, record 1: not an integer: \"2;\""},
      // The database pedigree.
      {"database missing", kDatabase, nullptr, kBreakLines,
       "INPUT ERROR: open of database/pedigree.dat: file not found"},
      {"database empty", kDatabase, [](std::string& t) { t.clear(); }, kBreakLines,
       "INPUT ERROR: read of database/pedigree.dat, record 1: end of file"},
      {"database shorter than its count", kDatabase, [](std::string& t) { t = FirstRecords(t, 8); },
       kBreakLines, "INPUT ERROR: read of database/pedigree.dat, record 9: end of file"},
      {"database letter in the nation code", kDatabase,
       [](std::string& t) { t = Replace(t, "    1    9    1", "    1   9o    1"); }, kBreakLines,

       "INPUT ERROR: read of database/pedigree.dat, record 2: not an integer: \"9o\""},
      {"database letter in an ignored field", kDatabase,
       [](std::string& t) { t = Replace(t, "    2    0    0", "    2    O    0"); }, kBreakLines,

       "INPUT ERROR: read of database/pedigree.dat, record 3: not an integer: \"O\""},
      // The definition file.
      {"definition missing", kDefinition, nullptr, kBreakLines,
       "INPUT ERROR: open of DEF.DAT: file not found"},
      {"definition empty", kDefinition, [](std::string& t) { t.clear(); }, kBreakLines,
       "INPUT ERROR: read of DEF.DAT, record 1: end of file"},
      {"definition without its value index", kDefinition,
       [](std::string& t) { t = FirstRecords(t, 4); }, kBreakLines,
       "INPUT ERROR: read of DEF.DAT, record 5: end of file"},
      {"definition value index not a number", kDefinition,
       [](std::string& t) { t = Replace(t, " 2\r\n", "#2\r\n"); }, kBreakLines,
       "INPUT ERROR: read of DEF.DAT, record 5: not an integer: \"#2\""},
      // The marker data.
      {"markers missing", kMarkers, nullptr, kBreakLines,
       "INPUT ERROR: open of database/markers.dat: file not found"},
      {"markers empty", kMarkers, [](std::string& t) { t.clear(); }, kBreakLines,
       "INPUT ERROR: read of database/markers.dat, record 1: end of file"},
      {"markers shorter than their count", kMarkers, [](std::string& t) { t = FirstRecords(t, 3); },
       kBreakLines, "INPUT ERROR: read of database/markers.dat, record 4: end of file"},
      {"markers letter in an identifier", kMarkers,
       [](std::string& t) { t = Replace(t, "    5   50", "    S   50"); }, kBreakLines,
       "INPUT ERROR: read of database/markers.dat, record 3: not an integer: \"S\""},
      {"markers letter in the header", kMarkers,
       [](std::string& t) { t = Replace(t, "    3  3", "    3  E"); }, kBreakLines,
       "INPUT ERROR: read of database/markers.dat, record 1: not an integer: \"E\""},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun run;
    testing::PutCleanInputs(run.files);
    if (c.spoil) {
      c.spoil(run.files.files[c.file]);
    } else {
      run.files.files.erase(c.file);
    }
    run.console.answers = {"echo never"};
    EXPECT_EQ(RunPedprep(*run.ctx), 2);
    EXPECT_EQ(run.console.output, c.shown_before + c.report + "\n");
    EXPECT_TRUE(testing::OutputsPresent(run.files).empty());
    EXPECT_TRUE(run.shell.commands.empty());
  }
}

// `text` with `change` applied to every record from record `first` (1-based) on.
std::string ChangeRecords(const std::string& text, int first,
                          const std::function<std::string(const std::string&)>& change) {
  std::string out;
  int record = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    const std::string line = text.substr(start, end - start);
    out += ++record >= first ? change(line) : line;
    out += "\r\n";
    start = end + 2;
  }
  return out;
}

std::string BlanksToTabs(const std::string& record) {
  std::string out = record;
  for (char& c : out) c = c == ' ' ? '\t' : c;
  return out;
}

// The record's 5-column integer fields, each cut short by a comma: "    1    3" -> "1,3,".
std::string CommaFields(const std::string& record) {
  std::string out;
  for (std::size_t at = 0; at < record.size(); at += 5) {
    const std::string field = record.substr(at, 5);
    out += field.substr(field.find_first_not_of(' ')) + ",";
  }
  return out;
}

TEST(RunInputErrorsTest, HarmlessVariantsRunLikeTheCleanFolder) {
  TestRun clean;
  testing::PutCleanInputs(clean.files);
  ASSERT_EQ(RunPedprep(*clean.ctx), 0);

  struct Variant {
    const char* name;
    std::string passport, database, definition, markers;
  };
  auto lf_only = [](std::string text) {
    std::string out;
    for (char c : text) {
      if (c != '\r') out += c;
    }
    return out;
  };
  auto trailing = [](const std::string& r) { return r + "   99 trailing\tjunk,"; };
  const std::vector<Variant> variants = {
      {"bare LF endings", lf_only(CleanPassport()), lf_only(CleanDatabase()),
       lf_only(CleanDefinition()), lf_only(CleanMarkers())},
      {"TABs for blanks in integer fields", ChangeRecords(CleanPassport(), 9, BlanksToTabs),
       BlanksToTabs(CleanDatabase()), ChangeRecords(CleanDefinition(), 5, BlanksToTabs),
       BlanksToTabs(CleanMarkers())},
      {"commas ending fields early", ChangeRecords(CleanPassport(), 9, CommaFields),
       ChangeRecords(CleanDatabase(), 2, CommaFields), CleanDefinition(),
       ChangeRecords(CleanMarkers(), 2, CommaFields)},
      {"text after the last field read",
       Replace(ChangeRecords(CleanPassport(), 9, trailing), "    8    2", "    8    2  x;"),
       ChangeRecords(CleanDatabase(), 2, trailing), Replace(CleanDefinition(), " 2\r\n", " 2x\r\n"),
       ChangeRecords(CleanMarkers(), 2, trailing)},
      {"records after the last one read", CleanPassport() + "not a record\r\n",
       CleanDatabase() + "x\r\n", CleanDefinition() + "x\r\n", CleanMarkers() + "x\r\n"},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    TestRun run;
    run.files.files[kPassport] = v.passport;
    run.files.files[kDatabase] = v.database;
    run.files.files[kDefinition] = v.definition;
    run.files.files[kMarkers] = v.markers;
    EXPECT_EQ(RunPedprep(*run.ctx), 0);
    EXPECT_EQ(run.console.output, clean.console.output);
    for (const std::string& name : testing::CleanOutputNames()) {
      EXPECT_EQ(run.files.files[name], clean.files.files[name]) << name;
    }
  }
}

}  // namespace
}  // namespace pedprep
