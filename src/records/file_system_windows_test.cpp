// What DiskFileSystem does on Windows only: names in UTF-8 with umlauts and blanks reach the
// wide API unchanged, and names Windows would take for another file or a device are refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "records/file_system.h"
#include "records/input_error.h"
#include "records/wide_text.h"

namespace pedprep {
namespace {

namespace fs = std::filesystem;

TEST(WideTextTest, Utf8AndUtf16BothWays) {
  std::wstring wide;
  ASSERT_TRUE(
      WidenUtf8("C:\\Zucht\\Herde 1\\Stammb\xc3\xbc"
                "cher \xe2\x82\xac.csv",
                &wide));
  EXPECT_EQ(wide, L"C:\\Zucht\\Herde 1\\Stammb\u00fccher \u20ac.csv");
  EXPECT_EQ(NarrowToUtf8(wide),
            "C:\\Zucht\\Herde 1\\Stammb\xc3\xbc"
            "cher \xe2\x82\xac.csv");
  EXPECT_FALSE(
      WidenUtf8("Stammb\xfc"
                "cher",
                &wide));  // Latin-1, not UTF-8
  EXPECT_EQ(wide, L"");
  EXPECT_FALSE(WidenUtf8(std::string("a\0b", 3), &wide));
  EXPECT_TRUE(WidenUtf8("", &wide));
}

TEST(WindowsFileSystemTest, UmlautsAndBlanksInFoldersAndNames) {
  const fs::path top = fs::temp_directory_path() / L"pedprep Z\u00fcchter";
  fs::remove_all(top);
  const std::string root = NarrowToUtf8((top / L"Herde 1").wstring());
  {
    DiskFileSystem folder(root, /*create_folders=*/true);
    folder.WriteFiles({{"PEDIGREE.PRN", "p"}, {"database/M\xc3\xa4rz.dat", "m"}});
    EXPECT_TRUE(fs::exists(top / L"Herde 1" / L"database" / L"M\u00e4rz.dat"));
    std::string got;
    EXPECT_TRUE(folder.ReadFile("database/M\xc3\xa4rz.dat", &got));
    EXPECT_EQ(got, "m");
    EXPECT_TRUE(folder.ReadFile(root + "\\PEDIGREE.PRN", &got));  // absolute, as given
    EXPECT_EQ(got, "p");
    // The lock holds the folder open: it can be removed only once the lock ends.
    EXPECT_TRUE(folder.LockFolder(std::chrono::milliseconds(0)));
  }
  // A FOLDER argument of any command is checked through the same wide layer.
  EXPECT_EQ(KindOfNamedPath(root), EntryKind::kFolder);
  EXPECT_EQ(KindOfNamedPath(root + "\\PEDIGREE.PRN"), EntryKind::kFile);
  EXPECT_EQ(KindOfNamedPath(root + "\\nichts"), EntryKind::kNone);
  fs::remove_all(top);
}

// Windows drops a trailing dot or blank, takes CON or NUL.txt for a device and "a:b" for a
// stream of a: each would write somewhere other than the name says.
TEST(WindowsFileSystemTest, NamesWindowsWouldTakeForAnotherAreRefused) {
  const fs::path top = fs::temp_directory_path() / "pedprep-names";
  fs::remove_all(top);
  fs::create_directories(top);
  DiskFileSystem folder(top.string());
  folder.WriteFiles({{"ped.dat", "kept"}});
  for (const char* name : {"ped.dat.", "ped.dat ", "CON", "nul.txt", "database/COM1.bin", "LPT9",
                           "sub/a:b", "a?", "a|b", "x\x01"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(folder.WriteFiles({{name, "x"}}), InputError);
  }
  std::string got;
  EXPECT_TRUE(folder.ReadFile("ped.dat", &got));
  EXPECT_EQ(got, "kept");
  EXPECT_EQ(std::distance(fs::directory_iterator(top), fs::directory_iterator()), 1);
  fs::remove_all(top);
}

}  // namespace
}  // namespace pedprep
