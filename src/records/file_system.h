// File access by name, relative to the run's folder. Stages reach files only through this,
// so tests can run on an in-memory folder.
#ifndef PEDPREP_RECORDS_FILE_SYSTEM_H_
#define PEDPREP_RECORDS_FILE_SYSTEM_H_

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

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Reads a whole file. Returns false when it cannot be opened (missing, a folder, ...).
  virtual bool ReadFile(const std::string& name, std::string* contents) = 0;
  // Writes all files or none: each is written completely under a temporary name in the
  // same folder, and only when all are written are they renamed into place. On disk every
  // temporary is flushed to the disk before the first rename and the folders after the
  // last, so a power cut leaves either the old files or the new ones. On failure
  // nothing of an earlier file of these names is changed, temporaries are removed, and
  // InputError("create" or "write", name, 0, reason, "") is thrown.
  virtual void WriteFiles(const std::vector<OutputFile>& files) = 0;
  // Removes one file: true when it was there, false when there was none; throws
  // InputError("remove", name, 0, reason, "") when it cannot be removed (or the folder
  // cannot remove files).
  virtual bool RemoveFile(const std::string& name);
};

// A real folder: names are relative to `root` (empty: the process's current directory);
// absolute names are taken as they are. With `create_folders`, WriteFiles first creates the
// missing folders on the way to each file (root included; folders made stay when the write
// fails); without it a missing folder fails the write.
class DiskFileSystem : public FileSystem {
 public:
  explicit DiskFileSystem(std::string root = "", bool create_folders = false)
      : root_(std::move(root)), create_folders_(create_folders) {}
  bool ReadFile(const std::string& name, std::string* contents) override;
  void WriteFiles(const std::vector<OutputFile>& files) override;
  bool RemoveFile(const std::string& name) override;

 private:
  std::string Path(const std::string& name) const;

  std::string root_;
  bool create_folders_;
};

// For tests: files in a map. Names in `unwritable` fail on write.
class MemoryFileSystem : public FileSystem {
 public:
  bool ReadFile(const std::string& name, std::string* contents) override;
  void WriteFiles(const std::vector<OutputFile>& files) override;
  bool RemoveFile(const std::string& name) override;

  std::map<std::string, std::string> files;
  std::set<std::string> unwritable;
};

// A fixed-length name string without its leading and trailing blanks.
std::string TrimFileName(const std::string& name);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_FILE_SYSTEM_H_
