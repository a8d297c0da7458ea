#include "records/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "records/input_error.h"

namespace pedprep {
namespace {

constexpr const char* kTempSuffix = ".pedprep-tmp";

// A name holding a zero byte would silently name a different (shorter) file.
bool UsableName(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

std::string ErrnoText(int error) { return std::strerror(error); }

// Writes `bytes` to `path` completely and flushes them to the disk; returns 0 or the errno
// of the failing step, and sets *created when the file was created.
int WriteWhole(const std::string& path, const std::string& bytes, bool* created,
               bool* create_failed) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    *create_failed = true;
    return errno != 0 ? errno : EIO;
  }
  *created = true;
  int error = 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    error = errno != 0 ? errno : EIO;
  }
  if (std::fflush(f) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (error == 0 && ::fsync(fileno(f)) != 0) error = errno != 0 ? errno : EIO;
  if (std::fclose(f) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  return error;
}

// Creates the missing folders above `path`; returns 0 or the errno of the failing step.
int MakeParentFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    struct stat info;
    if (::stat(folder.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) return ENOTDIR;
      continue;
    }
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

// Flushes a folder's entries (the renames into it) to the disk. The files are in place
// whether or not this succeeds, so its failure is not reported.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string DiskFileSystem::Path(const std::string& name) const {
  if (root_.empty() || name.empty() || name.front() == '/') return name;
  return root_.back() == '/' ? root_ + name : root_ + "/" + name;
}

bool DiskFileSystem::ReadFile(const std::string& given_name, std::string* contents) {
  if (!UsableName(given_name)) return false;
  const std::string name = Path(given_name);
  struct stat info;
  if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (f == nullptr) return false;
  contents->clear();
  contents->reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) contents->append(buffer, got);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  return !failed;
}

void DiskFileSystem::WriteFiles(const std::vector<OutputFile>& files) {
  // A name given twice is written once, with its last contents.
  std::vector<const OutputFile*> unique;
  for (std::size_t i = 0; i < files.size(); ++i) {
    bool later = false;
    for (std::size_t j = i + 1; j < files.size(); ++j) later |= files[j].name == files[i].name;
    if (!later) unique.push_back(&files[i]);
  }

  std::vector<std::string> temporaries;
  auto remove_temporaries = [&temporaries] {
    for (const std::string& t : temporaries) std::remove(t.c_str());
  };
  for (const OutputFile* file : unique) {
    if (!UsableName(file->name)) {
      remove_temporaries();
      throw InputError("create", file->name, 0, "invalid file name", "");
    }
    const int folder_error = create_folders_ ? MakeParentFolders(Path(file->name)) : 0;
    if (folder_error != 0) {
      remove_temporaries();
      throw InputError("create", file->name, 0, ErrnoText(folder_error), "");
    }
    const std::string temp = Path(file->name) + kTempSuffix;
    bool created = false;
    bool create_failed = false;
    errno = 0;
    int error = WriteWhole(temp, file->bytes, &created, &create_failed);
    if (created) temporaries.push_back(temp);
    if (error != 0) {
      remove_temporaries();
      throw InputError(create_failed ? "create" : "write", file->name, 0, ErrnoText(error), "");
    }
  }
  // A folder in the way would make its rename fail after earlier files were replaced.
  for (const OutputFile* file : unique) {
    struct stat info;
    if (::stat(Path(file->name).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      remove_temporaries();
      throw InputError("create", file->name, 0, ErrnoText(EISDIR), "");
    }
  }
  for (std::size_t i = 0; i < unique.size(); ++i) {
    if (std::rename(temporaries[i].c_str(), Path(unique[i]->name).c_str()) != 0) {
      int error = errno;
      for (std::size_t k = i; k < temporaries.size(); ++k) std::remove(temporaries[k].c_str());
      throw InputError("write", unique[i]->name, 0, ErrnoText(error), "");
    }
  }
  std::set<std::string> folders;
  for (const OutputFile* file : unique) folders.insert(FolderOf(Path(file->name)));
  for (const std::string& folder : folders) SyncFolder(folder);
}

bool MemoryFileSystem::ReadFile(const std::string& name, std::string* contents) {
  auto it = files.find(name);
  if (it == files.end()) return false;
  *contents = it->second;
  return true;
}

bool FileSystem::RemoveFile(const std::string& name) {
  throw InputError("remove", name, 0, "this folder cannot remove files", "");
}

bool DiskFileSystem::RemoveFile(const std::string& name) {
  const std::string path = Path(name);
  struct stat status {};
  if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return false;  // no file
  if (unlink(path.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  throw InputError("remove", name, 0, std::strerror(errno), "");
}

bool MemoryFileSystem::RemoveFile(const std::string& name) {
  if (unwritable.count(name) != 0) throw InputError("remove", name, 0, "Permission denied", "");
  return files.erase(name) > 0;
}

void MemoryFileSystem::WriteFiles(const std::vector<OutputFile>& out) {
  for (const OutputFile& file : out) {
    if (unwritable.count(file.name) != 0 || !UsableName(file.name)) {
      throw InputError("create", file.name, 0, "Permission denied", "");
    }
  }
  for (const OutputFile& file : out) files[file.name] = file.bytes;
}

std::string TrimFileName(const std::string& name) {
  std::size_t begin = name.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  std::size_t end = name.find_last_not_of(' ');
  return name.substr(begin, end - begin + 1);
}

}  // namespace pedprep
