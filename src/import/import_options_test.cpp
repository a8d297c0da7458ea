#include "import/import_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <utility>
#include <vector>

#include "testing/fakes.h"

namespace pedprep {
namespace {

// With every fault at once, each is found only after those checked before it are mended.
TEST(ImportOptionsTest, FaultsFoundInOrder) {
  ImportOptions o;
  o.output_folder = "out";
  o.herdbooks.assign(1001, "a/hb.csv");
  o.markers = {"gt"};
  o.select = 2;
  o.prefix_ids = true;
  o.marker_file = " nosuch/m.bin";
  o.sex_codes = {"h=M, x"};
  o.born_from = 2000;
  o.born_to = 1999;
  o.recodes = {"yob:0=1"};
  o.rename_breeds = {"HF="};
  MemoryFileSystem folder;
  folder.files["DEF.DAT"] = "old";
  const std::vector<std::pair<std::string, std::function<void()>>> steps = {
      {"out/DEF.DAT exists; use --force to replace it", [&] { o.force = true; }},
      {"1,001 herd books, at most 1,000",
       [&] {
         o.herdbooks = {"a/hb.csv", "b/hb.csv", "b/hb.csv"};
       }},
      {"--select 2 but 1 marker column; the run would stop", [&] { o.select = 1; }},
      {"--prefix-ids: b/hb.csv and b/hb.csv get the same prefix; name each herd book once",
       [&] { o.herdbooks.pop_back(); }},
      {"--marker-file \" nosuch/m.bin\": there is no folder nosuch for the run to write it in",
       [&] { o.marker_file = " ./database/m.bin\t"; }},
      {"--sex-codes: \" x\" is not CODE=M or CODE=F", [&] { o.sex_codes = {"h=M"}; }},
      {"--born-from 2000 is after --born-to 1999", [&] { o.born_to = 2000; }},
      {"--recode \"yob:0=1\": \"yob\" is not a --marker column", [&] { o.recodes = {"GT:0=1"}; }},
      {"--rename-breed \"HF=\" is not LABEL=LABEL", [&] { o.rename_breeds = {" HF = Holstein"}; }},
  };
  for (const auto& [fault, mend] : steps) {
    SCOPED_TRACE(fault);
    std::ostringstream err;
    ImportSettings settings;
    EXPECT_EQ(SettleImport(o, err, folder, &settings), 64);
    EXPECT_EQ(err.str(), "pedprep import: " + fault + "\n");
    mend();
  }
  std::ostringstream err;
  ImportSettings settings;
  ASSERT_EQ(SettleImport(o, err, folder, &settings), 0) << err.str();
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(settings.marker_file, "./database/m.bin");
  ASSERT_EQ(settings.formats.size(), 2u);
  EXPECT_EQ(settings.formats[1].id_prefix, "b/hb:");
  EXPECT_EQ(settings.formats[1].sex_codes.front().first, "h");
  EXPECT_EQ(settings.formats[1].recodes.front().marker, 0u);
  EXPECT_EQ(settings.prepare.breed_map.at("HF"), "Holstein");
  // A birth year alone selects, as a keep file does.
  EXPECT_TRUE(settings.prepare.keep_given);
  EXPECT_TRUE(settings.prepare.used.keep);
}

// What each book is read with: its own prefix and breed, the --missing lists split.
TEST(ImportOptionsTest, FormatOfEachBook) {
  ImportOptions o;
  o.herdbooks = {"x/herd.csv", "y/herd.csv", "dama.tsv"};
  o.missing = {" unk ,, n/a", "-"};
  o.breed_by_book = true;
  MemoryFileSystem folder;
  std::ostringstream err;
  ImportSettings settings;
  ASSERT_EQ(SettleImport(o, err, folder, &settings), 0) << err.str();
  ASSERT_EQ(settings.formats.size(), 3u);
  EXPECT_EQ(settings.formats[0].book_breed, "herd");
  EXPECT_EQ(settings.formats[0].id_prefix, "");
  EXPECT_EQ(settings.formats[2].missing, (std::vector<std::string>{"unk", "n/a", "-"}));
  EXPECT_FALSE(settings.prepare.keep_given);
  o.prefix_ids = true;
  settings = {};
  ASSERT_EQ(SettleImport(o, err, folder, &settings), 0) << err.str();
  EXPECT_EQ(settings.formats[0].book_breed, "x/herd");
  EXPECT_EQ(settings.formats[1].id_prefix, "y/herd:");
  EXPECT_EQ(settings.formats[2].id_prefix, "dama:");
}

}  // namespace
}  // namespace pedprep
