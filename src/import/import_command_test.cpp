#include "import/import_command.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "records/csv.h"
#include "testing/build_paths.h"
#include "testing/fakes.h"

namespace pedprep {
namespace {

struct Result {
  int status = -1;
  std::string out, err;
  MemoryFileSystem folder;
};

Result Import(const std::string& herdbook, ImportOptions options = {},
              const std::string& keep = "") {
  MemoryFileSystem input;
  input.files["hb.csv"] = herdbook;
  if (!keep.empty()) input.files["keep.txt"] = keep;
  if (options.herdbooks.empty()) options.herdbooks = {"hb.csv"};
  Result r;
  std::ostringstream out, err;
  r.status = RunImport(options, out, err, input, r.folder);
  r.out = out.str();
  r.err = err.str();
  return r;
}

ImportOptions Defaults() {
  ImportOptions o;
  o.default_sex = Sex::kFemale;
  o.default_breed = "X";
  return o;
}

TEST(ImportCommandTest, WritesTheInputFolder) {
  // A loop (c and d are half sibs by a, their son e), a parent without a row (s), a single
  // known parent (f), markers and nations, an identical duplicate row.
  const std::string book =
      "\xEF\xBB\xBFId;Sire;Dam;Sex;Breed;Nation;GT\r\n"
      "e;c;d;m;;;5\r\n"
      "a;NA;;M;Angus;9;\r\n"
      "b;*;.;F;Hereford;;-3\r\n"
      "c;a;b;;;;\r\n"
      "d;a;s;F;Angus;;\r\n"
      "f;e;unknown;f;Hereford;-2;\r\n"
      "a;0;;male;Angus;9;\r\n";
  ImportOptions o;
  o.markers = {"gt"};
  o.missing = {"UNKNOWN"};
  Result r = Import(book, o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "rows read: 7\n"
            "animals kept: 8\n"
            "parents added: 1\n"
            "dummy parents: 1, of its child's breed\n"
            "duplicates merged: 1\n"
            "sexes inferred: 1\n"
            "families: 1 (largest 8)\n"
            "breeds (founders): 1 = Angus (2); 2 = Hereford (2);\n"
            "loop-break copies: at least 1 (left: at most 24,087 of 24,096 rows, 4,095 of 4,096 "
            "copies)\n"
            "parent copies: 1 parent with nation code 9 in families with loops; each copy of "
            "one adds up to 2 rows, more where its parents have code 9 too\n"
            "written in .: PEDIGREE.PRN DEF.DAT database/pedigree.dat database/markers.dat "
            "ids.csv\n");
  const std::string head =
      "    8    2\r\nImported from hb.csv\r\nbreeds: 1=Angus 2=Hereford\r\n"
      "fields: family individual father mother breed sex ini_id\r\n"
      "ids.csv maps ini_id to the herd book ids\r\n\r\n\r\n\r\n";
  EXPECT_EQ(r.folder.files["PEDIGREE.PRN"],
            head +
                "    1    1    0    0    1    1    1\r\n"  // a
                "    1    2    0    0    2    2    2\r\n"  // b
                "    1    3    1    2    0    1    3\r\n"  // c
                "    1    4    0    0    1    2    4\r\n"  // s, added before d
                "    1    5    1    4    0    2    5\r\n"  // d
                "    1    6    3    5    0    1    6\r\n"  // e
                "    1    7    0    0    2    2    7\r\n"  // dummy dam of f
                "    1    8    6    7    0    2    8\r\n");
  EXPECT_EQ(r.folder.files["database/pedigree.dat"],
            "    8\r\n    1    0    0    1    9    1\r\n    2    0    0    2    0    2\r\n"
            "    3    1    2    0    0    1\r\n    4    0    0    1    0    2\r\n"
            "    5    1    4    0    0    2\r\n    6    3    5    0    0    1\r\n"
            "    7    0    0    2    0    2\r\n    8    6    7    0   -2    2\r\n");
  EXPECT_EQ(r.folder.files["database/markers.dat"], "    2  1  1\r\n    2   -3\r\n    6    5\r\n");
  EXPECT_EQ(r.folder.files["DEF.DAT"], "Imported herd book\r\nMARKERS.BIN\r\ngt\r\n\r\n 1\r\n");
  EXPECT_EQ(r.folder.files["ids.csv"],
            "ini_id,id,family,individual,added,note\r\n1,a,1,1,,merged with line 8\r\n"
            "2,b,1,2,,\r\n3,c,1,3,,sex inferred from role\r\n4,s,1,4,parent,added parent\r\n"
            "5,d,1,5,,\r\n6,e,1,6,,\r\n7,,1,7,dummy,dummy dam of f\r\n8,f,1,8,,\r\n");
}

TEST(ImportCommandTest, EveryCheckWithItsMessage) {
  struct Case {
    const char* name;
    std::string book;
    ImportOptions options;
    std::string keep;
    std::string err;
  };
  const ImportOptions none;
  const std::vector<Case> cases = {
      {"required columns", "animal,mother,x\n1,2,3\n", none, "",
       "hb.csv:1: required column \"sire\" (or \"father\", \"fatherid\", \"father_id\", "
       "\"sire_id\", \"sireid\") missing (name it with --sire); header read as \"animal\", "
       "\"mother\", \"x\" with separator ','\n"},
      {"marker column", "id,sire,dam,sex,breed\n1,,,M,A\n",
       [] {
         ImportOptions o;
         o.markers = {"GT"};
         return o;
       }(),
       "",
       "hb.csv:1: marker column \"GT\" missing; header read as \"id\", \"sire\", \"dam\", "
       "\"sex\", \"breed\" with separator ','\n"},
      {"empty id, bad sex, nation and marker",
       "id,sire,dam,sex,nation,breed,gt\n\"\",,,M,,A,\n2,,,X,,A,\n3,,,M,128,A,\n4,,,M,1,A,a\n",
       [] {
         ImportOptions o;
         o.markers = {"gt"};
         return o;
       }(),
       "",
       "hb.csv:2: empty id\n"
       "hb.csv:3: sex value \"X\" of animal 2 is not M, F, male, female, 1 or 2 (or a code "
       "given with --sex-codes)\n"
       "hb.csv:4: nation value \"128\" of animal 3 is not an integer in -127..127\n"
       "hb.csv:5: marker \"gt\" value \"a\" of animal 4 is not an integer in -127..127 (the "
       "marker the run takes)\n"},
      {"conflicting duplicate", "id,sire,dam,sex\n1,,,M\n2,,,F\n1,,,F\n", Defaults(), "",
       "hb.csv:4: animal 1 appears again with different data (first at line 2)\n"},
      {"cycles", "id,sire,dam\na,b,x\nb,a,y\nc,c,z\n", Defaults(), "",
       "hb.csv:2: animal a is its own ancestor: a -> b -> a (--repair cuts a link)\n"
       "hb.csv:4: animal c is its own parent: c -> c (--repair cuts a link)\n"},
      {"sire and dam, contradicting sex", "id,sire,dam,sex\np,,,M\nk1,p,q,F\nk2,r,p,F\nk3,q,z,\n",
       Defaults(), "",
       "hb.csv:2: animal p is used as sire and as dam\n"
       "hb.csv:3: animal q is used as sire and as dam\n"},
      {"sex against role", "id,sire,dam,sex\np,,,F\nq,,,M\nk,p,q,M\n", Defaults(), "",
       "hb.csv:2: animal p has sex F but is a sire (--repair gives way to the role)\n"
       "hb.csv:3: animal q has sex M but is a dam (--repair gives way to the role)\n"},
      {"breed and sex unknown", "id,sire,dam,sex,breed\na,,,,\nb,a,,M,\n", none, "",
       "hb.csv:2: founder a has no breed (use --default-breed)\n"
       "hb.csv:3: dummy dam of b has no breed (use --default-breed)\n"},
      {"sex unknown", "id,sire,dam,sex,breed\na,,,,A\n", none, "",
       "hb.csv:2: animal a has no sex (use --default-sex)\n"},
      {"keep id missing", "id,sire,dam\na,,\n", Defaults(), "a\n\nzz\n",
       "keep.txt:3: id zz is not in the herd book\n"},
      {"keep id mistyped: the nearest ids", "id,sire,dam\nDE0012,,\nDE0013,,\nXY,,\n", Defaults(),
       "DE0021\n", "keep.txt:1: id DE0021 is not in the herd book (nearest: DE0012)\n"},
      {"keep file with a byte-order mark: its first id is found", "id,sire,dam\na,,\n", Defaults(),
       "\xEF\xBB\xBF"
       "a\r\nzz\r\n",
       "keep.txt:2: id zz is not in the herd book\n"},
      {"more than 10 breeds",
       "id,sire,dam,sex,breed\n1,,,M,k\n2,,,M,j\n3,,,M,i\n4,,,M,h\n"
       "5,,,M,g\n6,,,M,f\n7,,,M,e\n8,,,M,d\n9,,,M,c\n10,,,M,b\n11,,,M,a\n",
       none, "",
       "hb.csv: 11 breeds among the founders, at most 10: a, b, c, d, e, f, g, h, i, j, k "
       "(merge them with --breed-map or --rename-breed)\n"},
      {"header only", "id,sire,dam\r\n", none, "", "hb.csv: no animals\n"},
      {"malformed quoting", "id,sire,dam\n\"a\"x,,\n", none, "",
       "hb.csv:2: malformed quoting: \"\"a\"x,,\"\n"},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.keep.empty()) c.options.keep_file = "keep.txt";
    Result r = Import(c.book, c.options, c.keep);
    EXPECT_EQ(r.status, 1);
    const std::size_t count = std::count(c.err.begin(), c.err.end(), '\n');
    EXPECT_EQ(r.err, c.err + "pedprep import: " + std::to_string(count) +
                         (count == 1 ? " problem" : " problems") + ", nothing written\n");
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.folder.files.empty());
  }
}

// A quoted breed spanning lines stays on the note line of PEDIGREE.PRN: a record hidden in
// it is not read as an animal, and the animals' records keep their places.
TEST(ImportCommandTest, LineBreaksInABreedStayOnItsNoteLine) {
  const std::string book =
      "id,sire,dam,sex,breed\na,,,M,\"two\nlines\"\nb,,,F,\"x\ty\r\n    1    1    0    0\"\n";
  Result r = Import(book);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.folder.files["PEDIGREE.PRN"],
            "    2    2\r\nImported from hb.csv\r\nbreeds: 1=\"two lines\" 2=\"x y      1    1    "
            "0    0\"\r\n"
            "fields: family individual father mother breed sex ini_id\r\n"
            "ids.csv maps ini_id to the herd book ids\r\n\r\n\r\n\r\n"
            "    1    1    0    0    1    1    1\r\n"
            "    2    1    0    0    2    2    2\r\n");
}

TEST(ImportCommandTest, Capacities) {
  std::string book = "id,sire,dam\n";
  for (int i = 1; i <= 24097; ++i) book += std::to_string(i) + ",,\n";
  Result r = Import(book, Defaults());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "hb.csv: 24,097 animals, at most 24,096; choose fewer animals with --keep FILE or "
            "--born-from YEAR, with --generations auto\n"
            "hb.csv: 24,097 families, at most 2,600; 24,097 of them are single animals without "
            "parent or offspring: --drop-isolated leaves them out; keep the largest with "
            "--largest-families 2600\n"
            "pedprep import: 2 problems, nothing written\n");
}

TEST(ImportCommandTest, SelectionKeepsAncestorsUpToGenerations) {
  // g0 <- g1 <- g2 <- g3 along sires; the dams are founders. A separate family z.
  const std::string book =
      "id,sire,dam,sex,breed\ng0,,,M,1\nm0,,,F,3\ng1,g0,m0,M,3\nm1,,,F,3\ng2,g1,m1,M,3\n"
      "m2,,,F,3\ng3,g2,m2,M,3\nz,,,F,2\n";
  ImportOptions o;
  o.keep_file = "keep.txt";
  o.generations = 1;
  Result r = Import(book, o, "g3\r\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.folder.files["ids.csv"],
            "ini_id,id,family,individual,added,note,parents_cut\r\n1,g2,1,1,,,both\r\n"
            "2,m2,1,2,,,\r\n3,g3,1,3,,,\r\n");
  // Numeric breed names keep their numbers.
  EXPECT_NE(r.out.find("breeds (founders): 3 = 3 (2);\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.folder.files["PEDIGREE.PRN"].substr(0, 12), "    3    3\r\n");

  o.generations = 2;
  r = Import(book, o, "g3\rz\r");  // CR line ends
  ASSERT_EQ(r.status, 0) << r.err;
  // g0 and m0 are three generations above g3: g1 becomes a founder, its parents cut.
  EXPECT_EQ(r.folder.files["ids.csv"],
            "ini_id,id,family,individual,added,note,parents_cut\r\n1,g1,1,1,,,both\r\n"
            "2,m1,1,2,,,\r\n3,g2,1,3,,,\r\n4,m2,1,4,,,\r\n5,g3,1,5,,,\r\n6,z,2,1,,,\r\n");
}

TEST(ImportCommandTest, RefusesToReplaceWithoutForce) {
  ImportOptions o = Defaults();
  o.output_folder = "out";
  MemoryFileSystem input, folder;
  input.files["hb.csv"] = "id,sire,dam\na,,\n";
  folder.files["database/markers.dat"] = "old";
  std::ostringstream out, err;
  o.herdbooks = {"hb.csv"};
  EXPECT_EQ(RunImport(o, out, err, input, folder), 64);
  EXPECT_EQ(err.str(),
            "pedprep import: out/database/markers.dat exists; use --force to replace it\n");
  EXPECT_EQ(folder.files.size(), 1u);
  o.force = true;
  EXPECT_EQ(RunImport(o, out, err, input, folder), 0);
  EXPECT_EQ(folder.files.size(), 5u);

  o.herdbooks = {"missing.csv"};
  std::ostringstream err2;
  EXPECT_EQ(RunImport(o, out, err2, input, folder), 2);
  EXPECT_EQ(err2.str(), "pedprep import: cannot read missing.csv (No such file or directory)\n");
  folder.unwritable.insert("ids.csv");
  o.herdbooks = {"hb.csv"};
  std::ostringstream err3;
  EXPECT_EQ(RunImport(o, out, err3, input, folder), 2);
  EXPECT_EQ(err3.str(), "pedprep import: cannot write out/ids.csv: Permission denied\n");
}

TEST(ImportCommandTest, ForceRemovesTheEarlierRun) {
  // The marker file goes by the name the old DEF.DAT gives, only when the run would accept it.
  struct Case {
    const char* marker;  // record 2 of the old DEF.DAT
    std::string removed;
  };
  const std::vector<Case> cases = {
      {"  TRAIT.BIN  ", "ped.dat PEDIGREE ID.PE TRAIT.BIN PEDPREP.RUN"},
      {"ids.csv", "ped.dat PEDIGREE ID.PE PEDPREP.RUN"},
      {"../TRAIT.BIN", "ped.dat PEDIGREE ID.PE PEDPREP.RUN"},
      // Past its 20 columns the record is not read, by the run nor here.
      {"TRAIT.BIN           ignored", "ped.dat PEDIGREE ID.PE TRAIT.BIN PEDPREP.RUN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.marker);
    MemoryFileSystem input, folder;
    input.files["hb.csv"] = "id,sire,dam\na,,\n";
    for (const char* name : {"ped.dat", "PEDIGREE", "ID.PE", "PEDPREP.RUN", "TRAIT.BIN",
                             "../TRAIT.BIN", "notes.txt", "ids.csv"}) {
      folder.files[name] = "old";
    }
    folder.files["DEF.DAT"] = std::string("title\r\n") + c.marker + "\r\nx\r\ny\r\n 1\r\n";
    ImportOptions o = Defaults();
    o.herdbooks = {"hb.csv"};
    o.output_folder = "st";
    std::ostringstream out, err;
    // Without --force nothing is touched.
    EXPECT_EQ(RunImport(o, out, err, input, folder), 64);
    EXPECT_EQ(folder.files.count("ped.dat"), 1u);
    o.force = true;
    ASSERT_EQ(RunImport(o, out, err, input, folder), 0) << err.str();
    EXPECT_NE(out.str().find("removed from st (an earlier run): " + c.removed + "\n"),
              std::string::npos)
        << out.str();
    for (const char* name : {"ped.dat", "PEDIGREE", "ID.PE", "PEDPREP.RUN"}) {
      EXPECT_EQ(folder.files.count(name), 0u) << name;
    }
    EXPECT_EQ(folder.files.count("notes.txt"), 1u);
    EXPECT_EQ(folder.files.count("../TRAIT.BIN"), 1u);
    EXPECT_EQ(folder.files["DEF.DAT"].substr(0, 20), "Imported herd book\r\n");
  }
}

// A --force import that cannot write leaves the folder as it was: the earlier run's files go
// only together with the new ones.
TEST(ImportCommandTest, FailedForceKeepsTheEarlierRun) {
  MemoryFileSystem input, folder;
  input.files["hb.csv"] = "id,sire,dam\na,,\n";
  for (const char* name : {"PEDIGREE.PRN", "ped.dat", "PEDIGREE", "ID.PE", "PEDPREP.RUN"}) {
    folder.files[name] = "old";
  }
  const auto before = folder.files;
  folder.unwritable.insert("ids.csv");
  ImportOptions o = Defaults();
  o.herdbooks = {"hb.csv"};
  o.force = true;
  std::ostringstream out, err;
  EXPECT_EQ(RunImport(o, out, err, input, folder), 2);
  EXPECT_EQ(err.str(), "pedprep import: cannot write ids.csv: Permission denied\n");
  EXPECT_EQ(folder.files, before);
}

// A code given with --sex-codes wins over the built-in codes of unknown values.
TEST(ImportCommandTest, SexCodesWinOverMissingCodes) {
  ImportOptions o = Defaults();
  o.sex_codes = {"0=F,NA=M", "W=f"};  // codes in any letter case
  o.default_sex = Sex::kMale;
  const Result r = Import("id,sire,dam,sex\na,,,0\nb,,,na\nc,,,\nd,,,.\ne,,,w\n", o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\ndefault sexes: 2\n"), std::string::npos) << r.out;
  // database/pedigree.dat: the sex is the last field of each record.
  std::string sexes;
  std::istringstream records(r.folder.files.at("database/pedigree.dat"));
  std::string record;
  std::getline(records, record);
  while (std::getline(records, record)) sexes += record.substr(29, 1);
  EXPECT_EQ(sexes, "21112");
}

TEST(ImportCommandTest, EveryKindOfProblemAtOnceGrouped) {
  // A cycle, an own parent, a sex conflict and 1,000 out-of-range values of the selected
  // marker; the full list goes to --problems.
  std::string book = "id,sire,dam,sex,gt\na,b,,M,1\nb,a,,M,\nc,c,,M,\nd,,,F,\ne,d,,M,\n";
  for (int i = 0; i < 1000; ++i) book += "m" + std::to_string(i) + ",,,M,200\n";
  ImportOptions o = Defaults();
  o.markers = {"gt"};
  o.problems_file = "problems.csv";
  MemoryFileSystem input, folder;
  input.files["hb.csv"] = book;
  o.herdbooks = {"hb.csv"};
  std::ostringstream out, err;
  EXPECT_EQ(RunImport(o, out, err, input, folder), 1);
  const std::string marker = " is not an integer in -127..127 (the marker the run takes)\n";
  std::string expected =
      "hb.csv:2: animal a is its own ancestor: a -> b -> a (--repair cuts a link)\n"
      "hb.csv:4: animal c is its own parent: c -> c (--repair cuts a link)\n"
      "hb.csv:5: animal d has sex F but is a sire (--repair gives way to the role)\n";
  for (int i = 0; i < 5; ++i) {
    expected += "hb.csv:" + std::to_string(7 + i) + ": marker \"gt\" value \"200\" of animal m" +
                std::to_string(i) + marker;
  }
  expected +=
      "hb.csv: marker \"gt\": 995 more values out of range (lines 12, 13, 14, 15, 16, 17, 18, "
      "19, 20, 21, ...)\n"
      "pedprep import: 1,003 problems, nothing written\n";
  EXPECT_EQ(err.str(), expected);
  EXPECT_TRUE(folder.files.empty());
  const std::vector<CsvRow> rows = ParseCsv(input.files["problems.csv"], ',', "problems.csv");
  ASSERT_EQ(rows.size(), 1004u);
  EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"file", "line", "id", "problem"}));
  EXPECT_EQ(rows[1003].fields[1], "1006");
  EXPECT_EQ(rows[1003].fields[2], "m999");
}

// Ids of 100,000 characters in every kind of message (a cycle, a duplicate, a sex conflict,
// a founder without sex or breed, a bad value, an unknown kept id): each line stays short.
TEST(ImportCommandTest, LongIdsCutInEveryMessage) {
  const std::string l(100000, 'a');
  const std::string a = "A" + l, b = "B" + l, c = "C" + l, d = "D" + l;
  const std::string book = "id,sire,dam,sex,breed,nation\n" + a + "," + b + ",,M,x,1\n" + a +
                           ",,,F,x,1\n" + b + "," + a + ",,M,x,1\n" + c + "," + c + "," + a +
                           ",F,,1\n" + d + ",,,,x,999\nE," + d + "," + d + ",M,x,1\nF" + l +
                           ",,,,,1\n";
  ImportOptions o;
  o.keep_file = "keep.txt";
  const Result r = Import(book, o, "K" + l + "\n" + a + "\nF" + l + "\n");
  EXPECT_EQ(r.status, 1);
  std::istringstream lines(r.err);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) EXPECT_LT(line.size(), 400u) << line;
  EXPECT_EQ(count, 8) << r.err;
}

TEST(ImportCommandTest, RefusesWhatTheRunRefuses) {
  struct Case {
    const char* name;
    ImportOptions options;
    std::string err;
  };
  auto with = [](auto change) {
    ImportOptions o = Defaults();
    change(o);
    return o;
  };
  const std::vector<Case> cases = {
      {"select beyond the markers", with([](ImportOptions& o) {
         o.markers = {"gt"};
         o.select = 2;
       }),
       "pedprep import: --select 2 but 1 marker column; the run would stop\n"},
      {"marker file of the run", with([](ImportOptions& o) { o.marker_file = "PEDIGREE"; }),
       "pedprep import: --marker-file \"PEDIGREE\": "},
      {"marker file outside", with([](ImportOptions& o) { o.marker_file = "../x.bin"; }),
       "pedprep import: --marker-file \"../x.bin\": "},
      {"marker file a folder", with([](ImportOptions& o) { o.marker_file = "database/"; }),
       "pedprep import: --marker-file \"database/\": the marker file name names a folder\n"},
      {"marker file with a control byte", with([](ImportOptions& o) { o.marker_file = "m\x01"; }),
       "pedprep import: --marker-file \"m\\x01\": the marker file name holds a control byte\n"},
      {"marker file in a missing folder",
       with([](ImportOptions& o) { o.marker_file = "./nosuch/x.bin"; }),
       "pedprep import: --marker-file \"./nosuch/x.bin\": there is no folder nosuch for the run to "
       "write it in\n"},
      {"prefix holding the separator", with([](ImportOptions& o) {
         o.prefix_ids = true;
         o.herdbooks = {"hb.csv", "a/b:c.csv"};
       }),
       "pedprep import: --prefix-ids: a/b:c.csv would prefix its ids with \"b:c:\", but ':' "
       "ends the prefix; rename the file without ':'\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Result r = Import("id,sire,dam,gt\na,,,1\n", c.options);
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
    EXPECT_TRUE(r.folder.files.empty());
  }
}

// What messy exports need: zeros of a marker column kept by --recode, a birth column, the
// largest families, dummies of a breed of their own, lower-case sex codes, a blank-separated
// breed map.
TEST(ImportCommandTest, OptionsForMessyBooks) {
  // Four families in book order: x, p k (and k's dummy dam), q, s u (and u's sire t, named
  // without a row).
  const std::string book =
      "id,sire,dam,sex,breed,born,cancer\n"
      "x,,,h,HF,1980,0\n"
      "p,,,h,HF,03.05.1990,1\n"
      "q,,,F,HF,1991,0\n"
      "k,p,,F,Jersey,1995,\n"
      "s,,,F,HF,19990101,0\n"
      "u,t,s,h,HF,,2\n";
  MemoryFileSystem input;
  input.files["hb.csv"] = book;
  input.files["map.txt"] = "HF Holstein\n";
  struct Case {
    const char* name;
    std::function<void(ImportOptions&)> change;
    std::string summary_has;  // a line of the summary
    std::string ids;          // ids.csv, "" = not compared
  };
  const std::vector<Case> cases = {
      {"zeros counted, lower-case sex codes, blank-separated breed map", [](ImportOptions&) {},
       "marker \"cancer\": 3 zeros read as no value (--recode cancer:0=VALUE keeps them)\n",
       "ini_id,id,family,individual,added,note,born\r\n1,x,1,1,,,1980\r\n2,p,2,1,,,1990\r\n"
       "3,,2,2,dummy,dummy dam of k,\r\n4,k,2,3,,,1995\r\n5,q,3,1,,,1991\r\n"
       "6,s,4,1,,,1999\r\n7,t,4,2,parent,added parent,\r\n8,u,4,3,,,\r\n"},
      {"recoded zeros", [](ImportOptions& o) { o.recodes = {"Cancer:0=5"}; },
       "breeds (founders): 1 = Holstein (5); 2 = Jersey (1);\n", ""},
      {"--rename-breed over the breed map, whichever comes first",
       [](ImportOptions& o) {
         o.rename_breeds = {"HF=Friesian", "Jersey=Holstein"};
       },
       "breeds (founders): 1 = Friesian (5); 2 = Holstein (1);\n", ""},
      {"dummy breed", [](ImportOptions& o) { o.dummy_breed = "Unknown"; },
       "dummy parents: 1, of breed Unknown\n", ""},
      {"born from, descendants",
       [](ImportOptions& o) {
         o.born_from = 1995;
         o.born_to = 1995;
       },
       "animals kept: 3\n", ""},
      {"more largest families than the book has", [](ImportOptions& o) { o.largest_families = 10; },
       "families kept: the 4 largest of 4\n", ""},
      {"isolated animals left out before the largest families are chosen",
       [](ImportOptions& o) {
         o.drop_isolated = true;
         o.largest_families = 1;
       },
       "rows read: 6\nisolated animals left out: 2 (no parent and no offspring)\n"
       "families kept: the 1 largest of 2\n",
       "ini_id,id,family,individual,added,note,born\r\n1,p,1,1,,,1990\r\n"
       "2,,1,2,dummy,dummy dam of k,\r\n3,k,1,3,,,1995\r\n"},
      {"largest families, ties in book order", [](ImportOptions& o) { o.largest_families = 1; },
       "families kept: the 1 largest of 4\n",
       "ini_id,id,family,individual,added,note,born\r\n1,p,1,1,,,1990\r\n"
       "2,,1,2,dummy,dummy dam of k,\r\n3,k,1,3,,,1995\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImportOptions o;
    o.herdbooks = {"hb.csv"};
    o.markers = {"cancer"};
    o.sex_codes = {"h=m"};
    o.breed_map_file = "map.txt";
    c.change(o);
    MemoryFileSystem folder;
    std::ostringstream out, err;
    ASSERT_EQ(RunImport(o, out, err, input, folder), 0) << err.str();
    EXPECT_NE(out.str().find(c.summary_has), std::string::npos) << out.str();
    if (!c.ids.empty()) {
      EXPECT_EQ(folder.files["ids.csv"], c.ids);
    }
    if (!o.dummy_breed.empty()) {  // a breed of the folder, coded for the dummy alone
      const std::string& prn = folder.files["PEDIGREE.PRN"];
      EXPECT_NE(prn.find("breeds: 1=Holstein 2=Unknown\r\n"), std::string::npos);
      EXPECT_NE(prn.find("    2    2    0    0    2    2    3\r\n"), std::string::npos) << prn;
    }
    if (o.recodes.empty()) continue;
    EXPECT_EQ(out.str().find("zeros"), std::string::npos);
    EXPECT_EQ(folder.files["database/markers.dat"].substr(0, 25), "    5  1  1\r\n    1    5\r\n");
  }
  // Options that cannot work, refused before anything is read.
  ImportOptions o;
  o.herdbooks = {"hb.csv"};
  o.markers = {"cancer"};
  for (const auto& [recode, why] : std::vector<std::pair<const char*, const char*>>{
           {"yob:0=1", "\"yob\" is not a --marker column"}, {"cancer0=1", "not COLUMN:FROM=TO"}}) {
    o.recodes = {recode};
    MemoryFileSystem folder;
    std::ostringstream out, err;
    EXPECT_EQ(RunImport(o, out, err, input, folder), 64);
    EXPECT_EQ(err.str(), std::string("pedprep import: --recode \"") + recode + "\": " + why + "\n");
  }
}

// Boundaries where faults hid: a header ending in empty fields, a recode of one marker
// column beside another's zeros.
TEST(ImportCommandTest, TrailingHeaderFieldsAndOneColumnRecoded) {
  ImportOptions o = Defaults();
  o.markers = {"a", "b"};
  o.recodes = {"a:0=2"};
  Result r = Import("id,sire,dam,a,b,,\nx,,,0,0\ny,,,0,1,,\n", o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("marker \"b\": 1 zero read as no value"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("marker \"a\""), std::string::npos) << r.out;
  EXPECT_EQ(r.folder.files["database/markers.dat"],
            "    2  2  1  2\r\n    1    2    0\r\n    2    2    1\r\n");
}

// A role decides the sex over --default-sex, which fills in only animals without role and
// sex; ids.csv says where each sex not recorded came from.
TEST(ImportCommandTest, SexesFromRolesBeforeTheDefault) {
  ImportOptions o = Defaults();  // --default-sex F
  Result r = Import("id,sire,dam,sex\ns,,,\nd,,,\nc,s,d,\nm,,,M\n", o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("sexes inferred: 2\ndefault sexes: 1\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.folder.files["ids.csv"],
            "ini_id,id,family,individual,added,note\r\n"
            "1,s,1,1,,sex inferred from role; breed from --default-breed\r\n"
            "2,d,1,2,,sex inferred from role; breed from --default-breed\r\n"
            "3,c,1,3,,sex from --default-sex\r\n4,m,2,1,,breed from --default-breed\r\n");
  EXPECT_EQ(r.folder.files["database/pedigree.dat"],
            "    4\r\n    1    0    0    1    0    1\r\n    2    0    0    1    0    2\r\n"
            "    3    1    2    0    0    2\r\n    4    0    0    1    0    1\r\n");
}

// Parents written as codes for unknown that --missing does not name are refused, one problem
// a word with the rows naming it, and the remedy as typed at a shell.
TEST(ImportCommandTest, ParentsNamedLikeMissingCodes) {
  const std::string book = "id,sire,dam\na,unknown,unk\nb,Unknown,--\nc,a,b\nd,?,b\ne,unknown,b\n";
  Result r = Import(book, Defaults());
  EXPECT_EQ(r.status, 1);
  const std::string tail = " names no animal and reads like a code for unknown (--missing";
  const std::string keep = " reads it so; --parents-as-named keeps such names as animals)\n";
  EXPECT_EQ(r.err, "hb.csv:2: parent \"unk\" of 1 row" + tail + " unk" + keep +
                       "hb.csv:2: parent \"unknown\" of 3 rows" + tail + " unknown" + keep +
                       "hb.csv:3: parent \"--\" of 1 row" + tail + "=--" + keep +
                       "hb.csv:5: parent \"?\" of 1 row" + tail + " '?'" + keep +
                       "pedprep import: 4 problems, nothing written\n");
  ImportOptions o = Defaults();
  o.missing = {"unknown,UNK", "--"};
  o.missing.emplace_back("?");
  Result named = Import(book, o);
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_NE(named.out.find("parents added: 0\ndummy parents: 2"), std::string::npos) << named.out;
  o = Defaults();
  o.parents_as_named = true;
  Result kept = Import(book, o);
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_NE(kept.out.find("parents added: 5\n"), std::string::npos) << kept.out;
}

TEST(ImportCommandTest, SeveralBooksAndAutomaticGenerations) {
  MemoryFileSystem input, folder;
  input.files["one.csv"] = "id,sire,dam\na,,\nb,a,\n";
  input.files["two.tsv"] = "id\tsire\tdam\nc\tb\t\nb\t\t\n";
  ImportOptions o = Defaults();
  o.herdbooks = {"one.csv", "two.tsv"};
  std::ostringstream out, err;
  EXPECT_EQ(RunImport(o, out, err, input, folder), 1);
  EXPECT_EQ(err.str(),
            "two.tsv:3: animal b appears again with different data (first at one.csv line 3)\n"
            "pedprep import: 1 problem, nothing written\n");
  // A chain g0 <- g1 <- ... <- g9 of full sibs' offspring: every generation adds a loop; the
  // most generations whose copies fit are chosen.
  // Books named alike in two folders: their ids and, by book, their breeds told apart.
  input.files["x/herd.csv"] = "id,sire,dam\n1,,\n";
  input.files["y/herd.csv"] = "id,sire,dam\n1,,\n";
  ImportOptions by_book;
  by_book.default_sex = Sex::kFemale;
  by_book.herdbooks = {"x/herd.csv", "y/herd.csv"};
  by_book.prefix_ids = by_book.breed_by_book = true;
  MemoryFileSystem by_book_folder;
  std::ostringstream out1, err1;
  ASSERT_EQ(RunImport(by_book, out1, err1, input, by_book_folder), 0) << err1.str();
  EXPECT_NE(out1.str().find("breeds (founders): 1 = x/herd (1); 2 = y/herd (1);\n"),
            std::string::npos)
      << out1.str();
  input.files["keep.txt"] = "a\n";
  o.herdbooks = {"one.csv"};
  o.keep_file = "keep.txt";
  o.generations_auto = true;
  std::ostringstream out2, err2;
  ASSERT_EQ(RunImport(o, out2, err2, input, folder), 0) << err2.str();
  EXPECT_NE(out2.str().find("generations: 0 (auto: all ancestors fit)\n"), std::string::npos)
      << out2.str();

  // A line of 15,000 generations, each adding a sire and a dam: 1 + 2 g animals, the most
  // that fit the run's 24,096 rows at g = 12,047.
  std::string line = "id,sire,dam\n";
  for (int i = 0; i < 15000; ++i) {
    line +=
        "a" + std::to_string(i) + ",a" + std::to_string(i + 1) + ",b" + std::to_string(i) + "\n";
  }
  input.files["line.csv"] = line;
  input.files["keep.txt"] = "a0\n";
  o.herdbooks = {"line.csv"};
  o.force = true;
  std::ostringstream out3, err3;
  ASSERT_EQ(RunImport(o, out3, err3, input, folder), 0) << err3.str();
  EXPECT_NE(out3.str().find("animals kept: 24,095\n"), std::string::npos) << out3.str();
  EXPECT_NE(out3.str().find("generations: 12047 (auto: 12048 would not fit the run)\n"),
            std::string::npos)
      << out3.str();
  // The same line ending at 12,048 generations (all but the deepest fit) and at 12,047 (all
  // fit); and 24,097 kept animals without parents: not even no ancestors fit, said once.
  for (const int deepest : {12048, 12047}) {
    line = "id,sire,dam\n";
    for (int i = 0; i < deepest; ++i) {
      line +=
          "a" + std::to_string(i) + ",a" + std::to_string(i + 1) + ",b" + std::to_string(i) + "\n";
    }
    input.files["line.csv"] = line;
    std::ostringstream out4, err4;
    ASSERT_EQ(RunImport(o, out4, err4, input, folder), 0) << err4.str();
    EXPECT_NE(out4.str().find(deepest == 12048
                                  ? "generations: 12047 (auto: 12048 would not fit the run)\n"
                                  : "generations: 12047 (auto: all ancestors fit)\n"),
              std::string::npos)
        << out4.str();
  }
  line = "id,sire,dam\n";
  std::string keep;
  for (int i = 0; i < 24097; ++i) {
    line += "a" + std::to_string(i) + ",,\n";
    keep += "a" + std::to_string(i) + "\n";
  }
  input.files["line.csv"] = line;
  input.files["keep.txt"] = keep;
  std::ostringstream out5, err5;
  EXPECT_EQ(RunImport(o, out5, err5, input, folder), 1);
  EXPECT_EQ(err5.str(),
            "line.csv: 24,097 animals, at most 24,096; the kept animals alone do not fit: keep "
            "fewer\nline.csv: 24,097 families, at most 2,600; keep the largest with "
            "--largest-families 2600\npedprep import: 2 problems, nothing written\n");
}

// Maps every written animal back through ids.csv and compares with the table's own links.
TEST(ImportCommandTest, SharedTableMapsBack) {
  const auto table = pedprep::testing::SharedDataDir() / "darwin-wedgwood/source/darwin.tsv";
  PEDPREP_NEED_SHARED_DATA(table);
  std::ifstream in(table, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  ImportOptions o = Defaults();
  o.missing = {"unknown", "unk"};
  Result r = Import(text.str(), o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("default sexes: 5\ndefault breeds: 25\n"), std::string::npos) << r.out;

  std::map<std::string, std::pair<std::string, std::string>> table_links;  // id -> sire, dam
  for (const CsvRow& row : ParseCsv(text.str(), '\t', "t")) {
    if (row.line == 1) continue;
    auto parent = [](std::string p) {
      for (const char* missing : {"0", "NA", "unknown", "Unknown", "unk", "UNK"}) {
        if (p == missing) return std::string();
      }
      return p;
    };
    table_links[row.fields[0]] = {parent(row.fields[2]), parent(row.fields[1])};
  }
  std::vector<std::string> id_of = {""};  // by ini_id
  std::vector<std::string> added_of = {""};
  for (const CsvRow& row : ParseCsv(r.folder.files["ids.csv"], ',', "ids.csv")) {
    if (row.line == 1) continue;
    ASSERT_EQ(std::stoul(row.fields[0]), id_of.size());
    id_of.push_back(row.fields[1]);
    added_of.push_back(row.fields[4]);
  }
  const std::string& db = r.folder.files["database/pedigree.dat"];
  std::size_t dummies = 0;
  for (std::size_t ini = 1; ini < id_of.size(); ++ini) {
    const std::string record = db.substr(7 + (ini - 1) * 32, 30);
    const int sire = std::stoi(record.substr(5, 5)), dam = std::stoi(record.substr(10, 5));
    if (added_of[ini] == "dummy") {
      ++dummies;
      continue;
    }
    ASSERT_EQ(table_links.count(id_of[ini]), 1u) << id_of[ini];
    auto [want_sire, want_dam] = table_links[id_of[ini]];
    auto linked = [&](int parent, const std::string& want) {
      if (want.empty()) return parent == 0 || added_of[parent] == "dummy";
      return id_of[parent] == want;
    };
    EXPECT_TRUE(linked(sire, want_sire)) << id_of[ini];
    EXPECT_TRUE(linked(dam, want_dam)) << id_of[ini];
  }
  EXPECT_EQ(id_of.size() - 1, table_links.size() + dummies);
  EXPECT_EQ(dummies, 1u);
}

}  // namespace
}  // namespace pedprep

namespace pedprep {
namespace {

// The problems file never replaces an input of the import (however named) or a file of the
// output folder.
TEST(ImportCommandTest, ProblemsFileNeverAnInputNorInTheFolder) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("pedprep_problems_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "f" / "database");
  const std::string book = "id,sire,dam\na,a,\n";  // one problem: an own parent
  std::ofstream(dir / "hb.csv") << book;
  std::ofstream(dir / "keep.txt") << "a\n";
  struct Case {
    std::string problems;
    std::string refusal;  // "" when written
  } cases[] = {
      {"hb.csv", "it is hb.csv, an input of the import"},
      {"./f/../hb.csv", "it is hb.csv, an input of the import"},
      {"keep.txt", "it is keep.txt, an input of the import"},
      {"f/PEDIGREE.PRN", "it lies inside the output folder out"},
      {"f/database/p.csv", "it lies inside the output folder out"},
      {"p.csv", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problems);
    DiskFileSystem input(dir.string(), false, NameRule::kAsGiven);
    DiskFileSystem output((dir / "f").string(), true);
    ImportOptions o;
    o.herdbooks = {"hb.csv"};
    o.keep_file = "keep.txt";
    o.output_folder = "out";
    o.problems_file = c.problems;
    std::ostringstream out, err;
    EXPECT_EQ(RunImport(o, out, err, input, output), c.refusal.empty() ? 1 : 2);
    if (!c.refusal.empty()) {
      EXPECT_EQ(err.str(), "pedprep import: --problems " + c.problems + ": " + c.refusal +
                               "; nothing written\n");
    }
    std::ifstream in(dir / "hb.csv");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), book);
    EXPECT_FALSE(fs::exists(dir / "f" / "PEDIGREE.PRN"));
  }
  EXPECT_TRUE(fs::exists(dir / "p.csv"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pedprep
