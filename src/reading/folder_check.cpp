#include "reading/folder_check.h"

#include <cstdint>
#include <vector>

#include "core/exit_status.h"
#include "core/run_files.h"
#include "core/side_work.h"
#include "reading/observed_run.h"
#include "records/definition_file.h"
#include "records/escape.h"
#include "records/input_error.h"
#include "records/run_record.h"
#include "records/sha256.h"

namespace pedprep {
namespace {

// The marker file DEF.DAT names, or "" when DEF.DAT cannot be read or the name is refused.
std::string MarkerFileName(FileSystem& folder) {
  try {
    const std::string name = TrimFileName(ReadMarkerFileRecord(folder, kDefinitionFile));
    return MarkerFileNameProblem(name).empty() ? name : "";
  } catch (const InputError&) {
    return "";
  }
}

// Whether a name from the record stays inside the folder: relative, no ".." and no control
// byte in it.
bool InsideFolder(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') return false;
  }
  std::size_t begin = 0;
  while (begin <= name.size()) {
    std::size_t end = name.find_first_of("/\\", begin);
    if (end == std::string::npos) end = name.size();
    if (name.compare(begin, end - begin, "..") == 0) return false;
    begin = end + 1;
  }
  return true;
}

// Recorded files of this many bytes or more are hashed on two threads.
constexpr std::size_t kBytesToShare = 1 << 18;

// How a recorded file is found now.
enum class Found { kMissing, kChanged, kSame };

// Each recorded file as found, in the record's order. The recorded size is held against the
// file's first: a file of another size is not read, however large. The files are read one by
// one; their hashes are computed on two threads when they are large (the bytes are read-only
// by then).
std::vector<Found> CompareRecordedFiles(FileSystem& folder, const RunRecord& record) {
  const std::size_t count = record.files.size();
  std::vector<Found> found(count, Found::kMissing);
  std::vector<std::string> bytes(count);
  std::vector<std::size_t> to_hash;
  std::size_t total = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const RecordedFile& file = record.files[k];
    std::uint64_t size = 0;
    if (!folder.FileSize(file.name, &size) ||
        (size == file.size && !folder.ReadFile(file.name, &bytes[k]))) {
      continue;
    }
    if (size != file.size || bytes[k].size() != file.size) {
      found[k] = Found::kChanged;
    } else {
      to_hash.push_back(k);
      total += bytes[k].size();
    }
  }
  // The first files up to about half the bytes on a second thread, the rest here.
  std::size_t split = 0;
  for (std::size_t half = 0; split < to_hash.size() && 2 * half < total; ++split) {
    half += bytes[to_hash[split]].size();
  }
  std::vector<std::string> digests(count);
  const auto hash = [&](std::size_t from, std::size_t to) {
    for (std::size_t j = from; j < to; ++j) digests[to_hash[j]] = Sha256Hex(bytes[to_hash[j]]);
  };
  SideWork first_half([&] { hash(0, split); }, total >= kBytesToShare);
  hash(split, to_hash.size());
  first_half.Wait();
  for (std::size_t k : to_hash) {
    found[k] = digests[k] == record.files[k].sha256 ? Found::kSame : Found::kChanged;
  }
  return found;
}

}  // namespace

FolderCheck CheckFolder(FileSystem& folder, const std::string& folder_name) {
  FolderCheck check;
  check.advice =
      "run pedprep run" + (folder_name.empty() ? std::string() : " " + folder_name) + " again";
  std::vector<std::string> outputs = {kPedigreeTableFile, kPedigreeBinaryFile, kIdentifierFile};
  const std::string marker = MarkerFileName(folder);
  if (!marker.empty()) outputs.push_back(marker);

  std::string text;
  const bool read = folder.ReadFile(kRunRecordFile, &text);
  if (!read && folder.KindOf(kRunRecordFile) != EntryKind::kNone) {
    // Not the same as no record: another user's, a folder, a link.
    check.state = FolderCheck::State::kStale;
    check.findings.push_back(std::string(kRunRecordFile) + " is there but cannot be read");
    return check;
  }
  if (!read) {
    for (const std::string& name : outputs) {
      std::string bytes;
      if (folder.ReadFile(name, &bytes)) check.state = FolderCheck::State::kUnrecorded;
    }
    return check;
  }
  RunRecord record;
  try {
    record = ParseRunRecord(text, kRunRecordFile);
  } catch (const InputError& error) {
    check.state = FolderCheck::State::kStale;
    check.findings.push_back(std::string(kRunRecordFile) + " cannot be read (" + error.problem() +
                             ", line " + std::to_string(error.record()) + ")");
    return check;
  }
  // Every name first, so that a record naming files outside the folder reads none of them.
  for (const RecordedFile& file : record.files) {
    if (!InsideFolder(file.name) || (folder.KindOf(file.name) != EntryKind::kFile &&
                                     folder.KindOf(file.name) != EntryKind::kNone)) {
      check.state = FolderCheck::State::kStale;
      check.findings.push_back(std::string(kRunRecordFile) + " cannot be read (it names \"" +
                               EscapeControlBytes(file.name) +
                               "\", not a plain file inside the folder)");
      return check;
    }
  }
  const std::vector<Found> found = CompareRecordedFiles(folder, record);
  for (std::size_t k = 0; k < record.files.size(); ++k) {
    const RecordedFile& file = record.files[k];
    const bool input = file.role == RecordedFile::Role::kInput;
    if (found[k] == Found::kMissing) {
      check.findings.push_back(file.name +
                               (input ? ", an input of the run that wrote these outputs,"
                                      : ", an output of the last run,") +
                               " is missing");
    } else if (found[k] == Found::kChanged) {
      check.findings.push_back(file.name + " changed after the run that " +
                               (input ? "wrote these outputs" : "wrote it"));
    }
  }
  std::string bytes;
  if (record.Find(kIdsFile) == nullptr && folder.ReadFile(kIdsFile, &bytes)) {
    check.findings.push_back(std::string(kIdsFile) +
                             " was added after the run that wrote these outputs");
  }
  for (const std::string& name : outputs) {
    if (record.Find(name) == nullptr && folder.ReadFile(name, &bytes)) {
      check.findings.push_back(name + " is not named in " + kRunRecordFile +
                               ": it comes from another run");
    }
  }
  check.state = check.findings.empty() ? FolderCheck::State::kCurrent : FolderCheck::State::kStale;
  return check;
}

bool PassFolderCheck(FileSystem& folder, const std::string& folder_name, const std::string& command,
                     FolderLook look, std::ostream& err) {
  const FolderCheck check = CheckFolder(folder, folder_name);
  const std::string named = folder_name.empty() ? "the current folder" : folder_name;
  const std::string prefix = "pedprep " + command + ": ";
  switch (check.state) {
    case FolderCheck::State::kNoRun:
      if (look != FolderLook::kOutputs) return true;
      err << prefix << named << " holds no outputs of a run; run pedprep run"
          << (folder_name.empty() ? "" : " " + folder_name) << " first\n";
      return false;
    case FolderCheck::State::kUnrecorded:
      err << prefix << "warning: " << named << " holds outputs but no " << kRunRecordFile
          << ", so they cannot be tied to the inputs\n";
      return true;
    case FolderCheck::State::kCurrent:
      return true;
    case FolderCheck::State::kStale:
      break;
  }
  // The outputs no longer belong to the inputs. What a run on the current inputs does can
  // still be told, and shown where no outputs would be presented as the folder's: when that
  // run stops.
  if (look == FolderLook::kExplain || (look == FolderLook::kRunOnInputs && !RunFinishes(folder))) {
    err << prefix << "note: " << check.findings.front();
    if (check.findings.size() > 1) err << " (and " << check.findings.size() - 1 << " more)";
    err << "; what follows is of a run on the current inputs\n";
    return true;
  }
  for (const std::string& finding : check.findings) {
    err << prefix << finding << "; " << check.advice << "\n";
  }
  return false;
}

}  // namespace pedprep
