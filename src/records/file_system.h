// File access by name, relative to the run's folder. Stages reach files only through this,
// so tests can run on an in-memory folder.
#ifndef PEDPREP_RECORDS_FILE_SYSTEM_H_
#define PEDPREP_RECORDS_FILE_SYSTEM_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace pedprep {

struct OutputFile {
  std::string name;   // as given (already without leading and trailing blanks)
  std::string bytes;  // complete contents
};

// The largest file ReadFile reads: far above any input pedprep can use (the largest herd
// books hold about 50 MB), far below what would exhaust memory.
inline constexpr std::uint64_t kMaxReadSize = std::uint64_t{2} << 30;  // 2 GiB

enum class EntryKind { kNone, kFile, kFolder, kOther };

// What a name the user gave for an output is: kStream a character device or named pipe (also
// through links), written directly; kLink another symbolic link; kOther another special file.
enum class TargetKind { kNone, kFile, kFolder, kStream, kLink, kOther };

struct FileIdentity {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Reads a whole file. Returns false when it cannot be opened (missing, a folder, ...).
  // A file of more than kMaxReadSize bytes is not read: InputError("read", name, 0,
  // "the file holds N bytes, more than the 2147483648 pedprep reads", "").
  virtual bool ReadFile(const std::string& name, std::string* contents) = 0;
  // The size of the file ReadFile(name) would read, without reading it; false when there is
  // none. The default reads it.
  virtual bool FileSize(const std::string& name, std::uint64_t* size);
  // Why ReadFile(name) returned false, in the system's words ("No such file or directory",
  // "Is a directory"); a folder that knows no more says "No such file or directory".
  virtual std::string ReadProblem(const std::string& name);
  // Writes all files or none: each is written completely under a temporary name in the
  // same folder, and only when all are written are they renamed into place, one by one in
  // the order given (a name given twice counts at its last place), so the last file of
  // `files` is renamed last: a group whose last file is current was renamed completely. On
  // disk every temporary is flushed to the disk before the first rename and the folders
  // after the last, so a power cut leaves the old files, the new ones, or (cut between two
  // renames) a group whose last file is still the old one. On failure nothing of an
  // earlier file of these names is changed, temporaries are removed, and
  // InputError("create" or "write", name, 0, reason, "") is thrown.
  virtual void WriteFiles(const std::vector<OutputFile>& files) = 0;
  // WriteFiles, and once every file is written under its temporary name (and so could be
  // written), removes those of `removals` that are there, in order, before the first
  // rename: a write that fails removes nothing. Returns the names removed. Removing the file
  // `files` renames last keeps a reader from a group that is only partly in place.
  virtual std::vector<std::string> ReplaceFiles(const std::vector<OutputFile>& files,
                                                const std::vector<std::string>& removals);
  // Takes this folder's lock for the lifetime of this object, waiting up to `wait` while
  // another process holds it. Returns false when it is still held after the wait. Where
  // there is nothing to lock (no such folder, a file system without locks, in memory) it
  // returns true: the lock guards against a second pedprep, never stops the first.
  virtual bool LockFolder(std::chrono::milliseconds wait) {
    (void)wait;
    return true;
  }
  // The same lock shared: readers of the folder hold it together, a writer (LockFolder)
  // waits for them and they for it, so that nobody reads a folder half replaced.
  virtual bool LockFolderForReading(std::chrono::milliseconds wait) {
    (void)wait;
    return true;
  }
  // Who holds this folder's lock, for a message: "pedprep animals h (process 12)", several
  // joined by ", "; "" when that cannot be told.
  virtual std::string LockHolder() { return ""; }
  // What `name` is as an output the user named (links followed at the end only to tell a
  // stream). The default: KindOf's answer.
  virtual TargetKind TargetOf(const std::string& name);
  // Writes `bytes` to the existing stream `name` (TargetKind::kStream), never replacing it;
  // throws InputError("write", name, 0, reason, "").
  virtual void WriteStream(const std::string& name, const std::string& bytes);
  // The device and inode of what `name` names ("" = the folder itself); false when there is
  // nothing or no such identity (in memory).
  virtual bool Identify(const std::string& name, FileIdentity* identity) {
    (void)name;
    (void)identity;
    return false;
  }
  // What `name` is. On disk no link is followed, on the way or at the end (a link is
  // kOther), as for writes. The default: kFile when ReadFile reads it, else kNone.
  virtual EntryKind KindOf(const std::string& name);
  // Removes one file: true when it was there, false when there was none; throws
  // InputError("remove", name, 0, reason, "") when it cannot be removed (or the folder
  // cannot remove files).
  virtual bool RemoveFile(const std::string& name);
};

// How DiskFileSystem reaches a relative name. kInsideFolder (a run's folder): one component
// at a time from the root, following no symbolic link and never "..", for every file it
// writes or removes, so that a link planted in the folder cannot lead a write outside it or
// onto the folder's own inputs (reads follow links). kAsGiven (names the user typed): as the
// operating system resolves them.
enum class NameRule { kInsideFolder, kAsGiven };

// A real folder: names are relative to `root` (empty: the process's current directory);
// absolute names are taken as they are (links on the way followed). With `create_folders`,
// WriteFiles first creates the missing folders on the way to each file (root included;
// folders made stay when the write fails); without it a missing folder fails the write.
//
// Temporaries: WriteFiles writes NAME as NAME.PID-XXXXXXXX.pedprep-tmp (PID the writing
// process, XXXXXXXX 8 random hex digits), created exclusively and never through a symbolic
// link; an existing entry of that name is never opened. Before it writes NAME it removes
// the leftovers of writers of NAME that were killed: entries NAME.PID-XXXXXXXX.pedprep-tmp
// whose process no longer exists, and NAME.pedprep-tmp (the fixed name earlier versions
// used). Nothing else is removed.
//
// The lock (LockFolder) is an flock on the root folder's own descriptor: it leaves no file
// and ends with the process, however it ends. It is released when this object is destroyed.
// With `create_folders` the root is made first, so that a new folder is locked too.
class DiskFileSystem : public FileSystem {
 public:
  explicit DiskFileSystem(std::string root = "", bool create_folders = false,
                          NameRule rule = NameRule::kInsideFolder)
      : root_(std::move(root)), create_folders_(create_folders), rule_(rule) {}
  ~DiskFileSystem() override;
  DiskFileSystem(const DiskFileSystem&) = delete;
  DiskFileSystem& operator=(const DiskFileSystem&) = delete;

  bool ReadFile(const std::string& name, std::string* contents) override;
  std::string ReadProblem(const std::string& name) override;
  bool FileSize(const std::string& name, std::uint64_t* size) override;
  void WriteFiles(const std::vector<OutputFile>& files) override;
  std::vector<std::string> ReplaceFiles(const std::vector<OutputFile>& files,
                                        const std::vector<std::string>& removals) override;
  bool LockFolder(std::chrono::milliseconds wait) override;
  bool LockFolderForReading(std::chrono::milliseconds wait) override;
  std::string LockHolder() override;
  TargetKind TargetOf(const std::string& name) override;
  void WriteStream(const std::string& name, const std::string& bytes) override;
  bool Identify(const std::string& name, FileIdentity* identity) override;
  EntryKind KindOf(const std::string& name) override;
  bool RemoveFile(const std::string& name) override;

 private:
  std::string Path(const std::string& name) const;
  // The open folder holding `name` and, in *base, its last component; kNoFolder (-1) with
  // *why when it cannot be reached (or, without `create`, is missing: *why empty).
  int OpenHolder(const std::string& name, bool create, std::string* base, std::string* why);
  bool Lock(std::chrono::milliseconds wait, bool shared);

  std::string root_;
  bool create_folders_;
  NameRule rule_;
  int lock_fd_ = -1;  // the locked root folder, open while the lock is held
};

// What the path the user typed names on disk, links followed: kFolder, kFile (a regular
// file), kOther, or kNone when there is nothing. On Windows the UTF-8 path reaches the system
// as wide characters, so names beyond the ANSI code page are found.
EntryKind KindOfNamedPath(const std::string& path);

// The temporary-name suffix of WriteFiles on disk.
inline constexpr const char* kTemporarySuffix = ".pedprep-tmp";

// A fixed-length name string without its leading and trailing blanks.
std::string TrimFileName(const std::string& name);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_FILE_SYSTEM_H_
