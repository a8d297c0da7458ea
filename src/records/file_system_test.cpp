#include "records/file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "records/input_error.h"

namespace pedprep {
namespace {

namespace fs = std::filesystem;

class DiskFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pedprep_fs_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "database");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      names.push_back(fs::relative(entry.path(), dir_).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  DiskFileSystem disk_;
};

TEST_F(DiskFileSystemTest, ReadsRegularFilesOnly) {
  const std::string bytes("a\0b\r\n", 5);
  Put("database/pedigree.dat", bytes);
  std::string got;
  EXPECT_TRUE(disk_.ReadFile(Path("database/pedigree.dat"), &got));
  EXPECT_EQ(got, bytes);
  EXPECT_FALSE(disk_.ReadFile(Path("missing"), &got));
  EXPECT_FALSE(disk_.ReadFile(Path("database"), &got));
  EXPECT_FALSE(disk_.ReadFile(std::string("x\0y", 3), &got));
}

TEST_F(DiskFileSystemTest, WritesAllFilesAndReplacesOlderOnes) {
  Put("PEDIGREE", "a much longer earlier content");
  disk_.WriteFiles({{Path("PEDIGREE"), std::string("\x4B\x00\x00\x82", 4)},
                    {Path("ID.PE"), ""},
                    {Path("database/m.bin"), "m"}});
  EXPECT_EQ(Get("PEDIGREE"), std::string("\x4B\x00\x00\x82", 4));
  EXPECT_EQ(Get("ID.PE"), "");
  EXPECT_EQ(Listing(),
            (std::vector<std::string>{"ID.PE", "PEDIGREE", "database", "database/m.bin"}));
}

TEST_F(DiskFileSystemTest, FailureChangesNothing) {
  Put("PEDIGREE", "old");
  struct Case {
    std::string name;
    const char* report_start;
  } cases[] = {
      {Path("nofolder/x.bin"), "INPUT ERROR: create of "},
      {Path("database"), "INPUT ERROR: create of "},  // a folder in the way
      {std::string("bad\0name", 8), "INPUT ERROR: create of bad\\x00name: invalid file name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report_start);
    try {
      disk_.WriteFiles({{Path("PEDIGREE"), "new"}, {c.name, "x"}});
      ADD_FAILURE() << "no error";
    } catch (const InputError& e) {
      EXPECT_EQ(e.operation(), "create");
      EXPECT_EQ(e.Report().rfind(c.report_start, 0), 0u) << e.Report();
    }
    EXPECT_EQ(Get("PEDIGREE"), "old");
    EXPECT_EQ(Listing(), (std::vector<std::string>{"PEDIGREE", "database"}));
  }
}

TEST_F(DiskFileSystemTest, RootFolderAndCreatedFolders) {
  DiskFileSystem out(Path("new/out"), /*create_folders=*/true);
  out.WriteFiles({{"PEDIGREE.PRN", "p"}, {"database/pedigree.dat", "d"}});
  EXPECT_EQ(Get("new/out/database/pedigree.dat"), "d");
  std::string got;
  EXPECT_TRUE(out.ReadFile("PEDIGREE.PRN", &got));
  EXPECT_EQ(got, "p");
  EXPECT_TRUE(out.ReadFile(Path("new/out/PEDIGREE.PRN"), &got));  // absolute names as given

  Put("file", "x");
  DiskFileSystem blocked(Path("file/sub"), true);
  try {
    blocked.WriteFiles({{"a", "1"}});
    ADD_FAILURE() << "no error";
  } catch (const InputError& e) {
    EXPECT_EQ(e.Report(), "INPUT ERROR: create of a: Not a directory");
  }
}

TEST(MemoryFileSystemTest, ReadWriteAndUnwritable) {
  MemoryFileSystem mem;
  mem.files["a"] = "old";
  mem.unwritable.insert("b");
  std::string got;
  EXPECT_FALSE(mem.ReadFile("missing", &got));
  EXPECT_THROW(mem.WriteFiles({{"a", "new"}, {"b", "x"}}), InputError);
  EXPECT_TRUE(mem.ReadFile("a", &got));
  EXPECT_EQ(got, "old");
  EXPECT_EQ(mem.files.count("b"), 0u);
  mem.WriteFiles({{"a", "new"}, {"c", "y"}});
  EXPECT_EQ(mem.files["a"], "new");
  EXPECT_EQ(mem.files["c"], "y");
}

TEST(TrimFileNameTest, BlanksOnly) {
  EXPECT_EQ(TrimFileName("  markers.bin        "), "markers.bin");
  EXPECT_EQ(TrimFileName("a b "), "a b");
  EXPECT_EQ(TrimFileName("\tx\t"), "\tx\t");
  EXPECT_EQ(TrimFileName("    "), "");
  EXPECT_EQ(TrimFileName(std::string("ab\0\0", 4)), std::string("ab\0\0", 4));
}

}  // namespace
}  // namespace pedprep
