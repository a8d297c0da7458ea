#include "reading/folder_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>

#include "records/run_record.h"
#include "testing/fakes.h"
#include "testing/run_folder.h"

namespace pedprep {
namespace {

// A folder in memory whose entries can also be links, folders or unreadable files.
class OddFolder : public MemoryFileSystem {
 public:
  bool ReadFile(const std::string& name, std::string* contents) override {
    return kinds.count(name) == 0 && MemoryFileSystem::ReadFile(name, contents);
  }
  EntryKind KindOf(const std::string& name) override {
    const auto found = kinds.find(name);
    return found != kinds.end() ? found->second : MemoryFileSystem::KindOf(name);
  }
  bool FileSize(const std::string& name, std::uint64_t* size) override {
    const auto found = sizes.find(name);
    if (found == sizes.end()) return MemoryFileSystem::FileSize(name, size);
    *size = found->second;
    return true;
  }
  std::map<std::string, EntryKind> kinds;  // entries ReadFile cannot read
  // Sizes told without the bytes: a file of another size than its record's is never read.
  std::map<std::string, std::uint64_t> sizes;
};

// A folder whose record names the inputs, ped.dat and `extra` (as written); MARKER.DAT (the
// marker file DEF.DAT names) is there but in the record only with `marker_recorded`.
void PutRun(OddFolder* folder, const std::string& extra, bool marker_recorded) {
  testing::PutCleanInputs(*folder);
  folder->files["ped.dat"] = "table";
  folder->files["MARKER.DAT"] = "markers";
  RunRecord record;
  record.version = "1.0.0";
  record.time = "2026-12-08T05:53:07Z";
  for (const auto& [name, bytes] : folder->files) {
    if (name == "MARKER.DAT" && !marker_recorded) continue;
    record.files.push_back(DescribeFile(name == "ped.dat" || name == "MARKER.DAT"
                                            ? RecordedFile::Role::kOutput
                                            : RecordedFile::Role::kInput,
                                        name, bytes));
  }
  if (!extra.empty()) record.files.push_back(DescribeFile(RecordedFile::Role::kInput, extra, ""));
  folder->files["PEDPREP.RUN"] = FormatRunRecord(record);
}

TEST(FolderCheckTest, RecordsThatCannotBeTrusted) {
  const std::string again = "; run pedprep run f again\n";
  struct Case {
    const char* name;
    std::string extra;  // one more name in the record
    bool marker_recorded = true;
    std::map<std::string, EntryKind> kinds;
    std::string err;  // "" passes
  };
  const std::string outside = "pedprep show: PEDPREP.RUN cannot be read (it names \"";
  const std::string inside = "\", not a plain file inside the folder)" + again;
  const std::vector<Case> cases = {
      {"current", "", true, {}, ""},
      {"marker file not recorded",
       "",
       false,
       {},
       "pedprep show: MARKER.DAT is not named in PEDPREP.RUN: it comes from another run" + again},
      {"record unreadable",
       "",
       true,
       {{"PEDPREP.RUN", EntryKind::kFile}},
       "pedprep show: PEDPREP.RUN is there but cannot be read" + again},
      {"record a folder",
       "",
       true,
       {{"PEDPREP.RUN", EntryKind::kFolder}},
       "pedprep show: PEDPREP.RUN is there but cannot be read" + again},
      {"absolute", "/etc/hostname", true, {}, outside + "/etc/hostname" + inside},
      {"up and out", "../../etc/shadow", true, {}, outside + "../../etc/shadow" + inside},
      {"windows up", "a\\..\\x", true, {}, outside + "a\\..\\x" + inside},
      {"windows absolute", "\\x", true, {}, outside + "\\x" + inside},
      {"control byte", "x\x1b]0;t\x07", true, {}, outside + "x\\x1B]0;t\\x07" + inside},
      {"a link or device", "dev", true, {{"dev", EntryKind::kOther}}, outside + "dev" + inside},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OddFolder folder;
    PutRun(&folder, c.extra, c.marker_recorded);
    if (!c.extra.empty()) folder.files[c.extra] = "";
    folder.kinds = c.kinds;
    std::ostringstream err;
    EXPECT_EQ(PassFolderCheck(folder, "f", "show", FolderLook::kOutputs, err), c.err.empty());
    EXPECT_EQ(err.str(), c.err);
  }
}

// A recorded file of another size is stale without being read (a huge file is not hashed).
TEST(FolderCheckTest, TheRecordedSizeIsCheckedBeforeTheFileIsRead) {
  OddFolder folder;
  PutRun(&folder, "", true);
  folder.sizes["ped.dat"] = std::uint64_t{2} << 30;
  folder.kinds["ped.dat"] = EntryKind::kFile;  // ReadFile would fail: the size decides
  std::ostringstream err;
  EXPECT_FALSE(PassFolderCheck(folder, "f", "show", FolderLook::kOutputs, err));
  EXPECT_NE(err.str().find("ped.dat changed after the run that wrote it"), std::string::npos)
      << err.str();
}

}  // namespace
}  // namespace pedprep
