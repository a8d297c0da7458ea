#include "records/file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "records/input_error.h"
#include "testing/fakes.h"

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
      names.push_back(fs::relative(entry.path(), dir_).generic_string());
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

#if !defined(_WIN32)
// Names the user typed may be pipes ("<(...)", a named pipe whose writer comes later); a
// folder's own files never are, and a folder is no pipe.
TEST_F(DiskFileSystemTest, TypedNamesMayBePipes) {
  DiskFileSystem typed("", false, NameRule::kAsGiven);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], "a\nb\n", 4), 4);
  ::close(ends[1]);
  std::string got;
  EXPECT_TRUE(typed.ReadFile("/dev/fd/" + std::to_string(ends[0]), &got));
  EXPECT_EQ(got, "a\nb\n");
  ::close(ends[0]);
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(disk_.ReadFile(Path("fifo"), &got));
  EXPECT_EQ(disk_.ReadProblem(Path("fifo")), "not a regular file");
  std::thread writer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ofstream(Path("fifo")) << "late";
  });
  EXPECT_TRUE(typed.ReadFile(Path("fifo"), &got));
  writer.join();
  EXPECT_EQ(got, "late");
  EXPECT_FALSE(typed.ReadFile(Path("database"), &got));
  EXPECT_EQ(typed.ReadProblem(Path("database")), "Is a directory");
}
#endif

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

// A process id that no process has: a child that has already ended.
long EndedProcess() {
#if defined(_WIN32)
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  wchar_t command[] = L"cmd.exe /c exit";
  if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &child)) {
    return 0;
  }
  WaitForSingleObject(child.hProcess, INFINITE);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);  // the id is free once no handle holds the process
  return static_cast<long>(child.dwProcessId);
#else
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
#endif
}

// A link planted under a temporary's name is neither written through nor renamed into
// place; the link itself is a leftover of the fixed names earlier versions used.
TEST_F(DiskFileSystemTest, TemporariesNeverGoThroughALink) {
#if defined(_WIN32)
  GTEST_SKIP() << "symbolic links need a privilege on Windows; CREATE_NEW opens no existing entry";
#endif
  Put("victim", "keep me");
  fs::create_symlink(Path("victim"), Path("PEDIGREE.pedprep-tmp"));
  fs::create_symlink(Path("victim"), Path("ID.PE"));  // an output that is a link is replaced
  disk_.WriteFiles({{Path("PEDIGREE"), "new"}, {Path("ID.PE"), "id"}});
  EXPECT_EQ(Get("victim"), "keep me");
  EXPECT_EQ(Get("PEDIGREE"), "new");
  EXPECT_EQ(Get("ID.PE"), "id");
  EXPECT_FALSE(fs::is_symlink(Path("PEDIGREE")));
  EXPECT_FALSE(fs::is_symlink(Path("ID.PE")));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"ID.PE", "PEDIGREE", "database", "victim"}));
}

TEST_F(DiskFileSystemTest, LeftoversOfEndedWritersOfTheSameNamesAreRemoved) {
  const std::string ended = std::to_string(EndedProcess());
  const std::string alive = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool removed;
  } cases[] = {
      {"ped.dat.pedprep-tmp", true},
      {"ped.dat." + ended + "-0123abcd.pedprep-tmp", true},
      {"database/m.bin." + ended + "-ffffffff.pedprep-tmp", true},
      {"ped.dat." + alive + "-0123abcd.pedprep-tmp", false},  // its writer may be at work
      {"ped.dat." + ended + "-89ABCDEF.pedprep-tmp", false},  // not a name pedprep makes
      {"ped.dat." + ended + "-0123abc.pedprep-tmp", false},
      {"ped.dat.x" + ended + "-0123abcd.pedprep-tmp", false},
      {"other.pedprep-tmp", false},  // not an output of this write
      {"ped.dat.bak", false},
  };
  for (const Case& c : cases) Put(c.name, "left");
  fs::create_directory(Path("PEDIGREE.pedprep-tmp"));  // a folder is never a leftover
  disk_.WriteFiles({{Path("ped.dat"), "t"}, {Path("database/m.bin"), "m"}});
  for (const Case& c : cases) EXPECT_EQ(fs::exists(Path(c.name)), !c.removed) << c.name;
  EXPECT_TRUE(fs::is_directory(Path("PEDIGREE.pedprep-tmp")));
}

// The files are renamed into place in the order given, a name given twice at its last place:
// the last file of a group is current only when the whole group is.
TEST_F(DiskFileSystemTest, RenamesFollowTheOrderGiven) {
#if defined(_WIN32)
  GTEST_SKIP() << "watches the renames with inotify (Linux)";
#else
  const int watch = ::inotify_init1(IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, dir_.c_str(), IN_MOVED_TO), 0);
  disk_.WriteFiles({{Path("ped.dat"), "1"},
                    {Path("PEDIGREE"), "2"},
                    {Path("ID.PE"), "3"},
                    {Path("ped.dat"), "4"},
                    {Path("MARKER.DAT"), "5"},
                    {Path("PEDPREP.RUN"), "6"}});
  std::vector<std::string> renamed;
  alignas(inotify_event) char buffer[4096];
  const ssize_t got = ::read(watch, buffer, sizeof buffer);
  for (ssize_t at = 0; at < got;) {
    const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
    renamed.emplace_back(event->name);
    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
  }
  ::close(watch);
  EXPECT_EQ(renamed, (std::vector<std::string>{"PEDIGREE", "ID.PE", "ped.dat", "MARKER.DAT",
                                               "PEDPREP.RUN"}));
  EXPECT_EQ(Get("ped.dat"), "4");
#endif
}

TEST_F(DiskFileSystemTest, FolderLockIsHeldUntilTheFolderIsClosed) {
  using std::chrono::milliseconds;
  auto first = std::make_unique<DiskFileSystem>(dir_.string());
  ASSERT_TRUE(first->LockFolder(milliseconds(0)));
  EXPECT_TRUE(fs::is_empty(dir_ / "database"));  // no lock file
  DiskFileSystem second(dir_.string());
  // From another thread: on Windows a thread may take a lock it holds again.
  std::thread([&second] {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.LockFolder(milliseconds(200)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(200));
  }).join();
  first.reset();
  EXPECT_TRUE(second.LockFolder(milliseconds(0)));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"database"}));
  DiskFileSystem missing(Path("missing"));
  EXPECT_TRUE(missing.LockFolder(milliseconds(0)));  // nothing to lock
}

// In a run's folder no write or removal follows a link on the way: not out of the folder, not
// back onto its own inputs; names given as typed on the command line follow links.
TEST_F(DiskFileSystemTest, WritesAndRemovalsInsideTheFolderFollowNoLink) {
#if defined(_WIN32)
  GTEST_SKIP() << "symbolic links need a privilege on Windows; reparse points are not followed";
#endif
  fs::create_directories(Path("home"));
  Put("home/.bashrc", "mine");
  fs::create_directories(Path("run"));
  Put("run/PEDIGREE.PRN", "input");
  fs::create_directory_symlink(Path("home"), Path("run/d"));
  fs::create_directory_symlink(".", Path("run/self"));
  DiskFileSystem folder(Path("run"), /*create_folders=*/true);
  for (const char* name : {"d/.bashrc", "self/PEDIGREE.PRN", "d/new/x", "../home/.bashrc"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(folder.WriteFiles({{"ped.dat", "p"}, {name, "x"}}), InputError);
    EXPECT_THROW(folder.RemoveFile(name), InputError);
    EXPECT_THROW(folder.ReplaceFiles({{"ped.dat", "p"}}, {name}), InputError);
  }
  EXPECT_EQ(Get("home/.bashrc"), "mine");
  EXPECT_EQ(Get("run/PEDIGREE.PRN"), "input");
  EXPECT_FALSE(fs::exists(Path("run/ped.dat")));
  EXPECT_FALSE(fs::exists(Path("home/new")));
  try {
    folder.WriteFiles({{"d/.bashrc", "x"}});
    ADD_FAILURE() << "no error";
  } catch (const InputError& e) {
    EXPECT_EQ(e.Report(),
              "INPUT ERROR: create of d/.bashrc: d is a symbolic link (links are not followed)");
  }
  DiskFileSystem typed(Path("run"), false, NameRule::kAsGiven);
  typed.WriteFiles({{"d/.bashrc", "typed"}});
  EXPECT_EQ(Get("home/.bashrc"), "typed");
}

// The removals of ReplaceFiles happen only once every file is written, before the renames.
TEST_F(DiskFileSystemTest, ReplaceRemovesOnlyWhenEveryFileIsWritten) {
  Put("ped.dat", "old");
  Put("PEDPREP.RUN", "old");
  DiskFileSystem folder(dir_.string());
  EXPECT_THROW(
      folder.ReplaceFiles({{"PEDIGREE.PRN", "new"}, {"database", "x"}}, {"ped.dat", "PEDPREP.RUN"}),
      InputError);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"PEDPREP.RUN", "database", "ped.dat"}));
  EXPECT_EQ(folder.ReplaceFiles({{"PEDIGREE.PRN", "new"}}, {"ped.dat", "ID.PE", "PEDPREP.RUN"}),
            (std::vector<std::string>{"ped.dat", "PEDPREP.RUN"}));
  EXPECT_EQ(Listing(), (std::vector<std::string>{"PEDIGREE.PRN", "database"}));
}

// Readers share the lock; a writer waits for them and they for it.
TEST_F(DiskFileSystemTest, ReadersShareTheLockThatWritersTake) {
  using std::chrono::milliseconds;
  DiskFileSystem reader(dir_.string()), other_reader(dir_.string()), writer(dir_.string());
  ASSERT_TRUE(reader.LockFolderForReading(milliseconds(0)));
  EXPECT_TRUE(other_reader.LockFolderForReading(milliseconds(0)));
  EXPECT_FALSE(writer.LockFolder(milliseconds(0)));
  DiskFileSystem fresh(Path("new/folder"), /*create_folders=*/true);
  ASSERT_TRUE(fresh.LockFolder(milliseconds(0)));  // made, then locked
  DiskFileSystem late_reader(Path("new/folder"));
  EXPECT_FALSE(late_reader.LockFolderForReading(milliseconds(0)));
}

// Readers that follow each other without a gap do not keep a writer out: once it waits, new
// readers wait behind it. Two reader loops of a fixed number of turns, each turn holding the
// shared lock 20 ms, overlap for about two seconds; the writer asks within that time.
TEST_F(DiskFileSystemTest, AWaitingWriterGoesBeforeNewReaders) {
#if defined(_WIN32)
  GTEST_SKIP() << "the share-mode lock of Windows has no waiting writer";
#endif
  using std::chrono::milliseconds;
  constexpr int kTurns = 100;
  std::atomic<int> turns_after_writer{0};
  std::atomic<bool> writer_done{false};
  auto reader_loop = [&] {
    for (int turn = 0; turn < kTurns; ++turn) {
      DiskFileSystem reader(dir_.string());
      if (!reader.LockFolderForReading(milliseconds(5000))) continue;
      if (writer_done) ++turns_after_writer;
      std::this_thread::sleep_for(milliseconds(20));
    }
  };
  std::thread first(reader_loop), second(reader_loop);
  std::this_thread::sleep_for(milliseconds(200));
  auto writer = std::make_unique<DiskFileSystem>(dir_.string());
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_TRUE(writer->LockFolder(milliseconds(1500)));
  // The readers inside when it asked finish their turn (20 ms); none comes in meanwhile.
  EXPECT_LT(std::chrono::steady_clock::now() - asked, milliseconds(500));
  std::this_thread::sleep_for(milliseconds(100));
  writer_done = true;
  {
    DiskFileSystem reader(dir_.string());
    EXPECT_FALSE(reader.LockFolderForReading(milliseconds(0)));
  }
  writer.reset();
  first.join();
  second.join();
  EXPECT_GT(turns_after_writer.load(), 0);
}

// A sparse file far beyond any input is refused by its size before anything is allocated.
TEST_F(DiskFileSystemTest, FilesAboveTheReadLimitAreRefused) {
  Put("PEDIGREE.PRN", "");
  fs::resize_file(Path("PEDIGREE.PRN"), kMaxReadSize + 1);
  DiskFileSystem folder(dir_.string());
  std::string got;
  try {
    folder.ReadFile("PEDIGREE.PRN", &got);
    ADD_FAILURE() << "no error";
  } catch (const InputError& e) {
    EXPECT_EQ(e.Report(),
              "INPUT ERROR: read of PEDIGREE.PRN: the file holds 2147483649 bytes, more than the "
              "2147483648 pedprep reads");
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
