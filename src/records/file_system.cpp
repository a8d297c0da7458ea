#include "records/file_system.h"

// DiskFileSystem on POSIX; file_system_windows.cpp is its Windows twin. The helpers below
// serve both.
#if !defined(_WIN32)
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <set>
#include <thread>
#endif

#include <cerrno>
#include <cstring>

#include "records/input_error.h"

namespace pedprep {
namespace {

#if !defined(_WIN32)
// A name holding a zero byte would silently name a different (shorter) file.
bool UsableName(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

std::string ErrnoText(int error) { return std::strerror(error); }

// Creates a new temporary for `path` (see DiskFileSystem) and writes `bytes` to it completely,
// flushed to the disk. Returns 0 or the errno of the failing step; sets *temporary to the
// name once the file exists, and *create_failed when it could not be created.
int WriteTemporary(const std::string& path, const std::string& bytes, std::string* temporary,
                   bool* create_failed) {
  std::random_device device;
  int fd = -1;
  std::string name;
  // 32 random bits per try: a second try is already rare.
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    char tag[32];
    std::snprintf(tag, sizeof tag, ".%ld-%08x", static_cast<long>(::getpid()),
                  static_cast<unsigned>(device()));
    name = path + tag + kTemporarySuffix;
    // O_EXCL: an existing entry (a symbolic link included) is never opened.
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *create_failed = true;
    return errno != 0 ? errno : EIO;
  }
  *temporary = name;
  int error = 0;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      error = wrote < 0 ? errno : EIO;
      break;
    }
    done += static_cast<std::size_t>(wrote);
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  return error;
}

// True when `text` is a process id, DIGITS "-" 8 hex digits, as WriteTemporary makes it;
// *pid is the process.
bool ParseTemporaryTag(const std::string& text, long* pid) {
  const std::size_t dash = text.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 10 || text.size() != dash + 9) return false;
  *pid = 0;
  for (std::size_t i = 0; i < dash; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *pid = *pid * 10 + (text[i] - '0');
  }
  for (std::size_t i = dash + 1; i < text.size(); ++i) {
    if (std::strchr("0123456789abcdef", text[i]) == nullptr || text[i] == '\0') return false;
  }
  return true;
}

bool ProcessGone(long pid) {
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Removes the leftover temporaries of `path` (see DiskFileSystem). Best effort: what cannot
// be removed stays and does not stop the write.
void RemoveLeftovers(const std::string& folder, const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string suffix = kTemporarySuffix;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> leftovers;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() < base.size() + suffix.size() || name.compare(0, base.size(), base) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::string middle = name.substr(base.size(), name.size() - base.size() - suffix.size());
    long pid = 0;
    if (middle.empty() ||
        (middle[0] == '.' && ParseTemporaryTag(middle.substr(1), &pid) && ProcessGone(pid))) {
      leftovers.push_back(folder + "/" + name);
    }
  }
  ::closedir(dir);
  // unlink, not remove: a folder of that name is not a leftover.
  for (const std::string& leftover : leftovers) (void)::unlink(leftover.c_str());
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
#endif

}  // namespace

#if !defined(_WIN32)

std::string DiskFileSystem::Path(const std::string& name) const {
  if (root_.empty() || name.empty() || name.front() == '/') return name;
  return root_.back() == '/' ? root_ + name : root_ + "/" + name;
}

DiskFileSystem::~DiskFileSystem() {
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

bool DiskFileSystem::ReadFile(const std::string& given_name, std::string* contents) {
  if (!UsableName(given_name)) return false;
  const std::string name = Path(given_name);
  // O_NONBLOCK: a named pipe under that name must not hang the open.
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  auto too_large = [&](std::uint64_t size) {
    ::close(fd);
    throw InputError("read", given_name, 0,
                     "the file holds " + std::to_string(size) + " bytes, more than the " +
                         std::to_string(kMaxReadSize) + " pedprep reads",
                     "");
  };
  if (static_cast<std::uint64_t>(info.st_size) > kMaxReadSize) too_large(info.st_size);
  contents->clear();
  contents->reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  bool failed = false;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      failed = got < 0;
      break;
    }
    contents->append(buffer, static_cast<std::size_t>(got));
    // A file that grows while it is read.
    if (contents->size() > kMaxReadSize) {
      contents->clear();
      contents->shrink_to_fit();
      too_large(kMaxReadSize + 1);
    }
  }
  ::close(fd);
  return !failed;
}

bool DiskFileSystem::LockFolder(std::chrono::milliseconds wait) {
  if (lock_fd_ >= 0) return true;
  const std::string folder = root_.empty() ? "." : root_;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const auto give_up = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      lock_fd_ = fd;
      return true;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) break;  // no locks here
    if (std::chrono::steady_clock::now() >= give_up) {
      ::close(fd);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::close(fd);
  return true;
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
    for (const std::string& t : temporaries) (void)::unlink(t.c_str());
  };
  for (const OutputFile* file : unique) {
    if (!UsableName(file->name)) {
      remove_temporaries();
      throw InputError("create", file->name, 0, "invalid file name", "");
    }
    const std::string path = Path(file->name);
    const int folder_error = create_folders_ ? MakeParentFolders(path) : 0;
    if (folder_error != 0) {
      remove_temporaries();
      throw InputError("create", file->name, 0, ErrnoText(folder_error), "");
    }
    RemoveLeftovers(FolderOf(path), path);
    std::string temporary;
    bool create_failed = false;
    errno = 0;
    const int error = WriteTemporary(path, file->bytes, &temporary, &create_failed);
    if (!temporary.empty()) temporaries.push_back(temporary);
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
      for (std::size_t k = i; k < temporaries.size(); ++k) (void)::unlink(temporaries[k].c_str());
      throw InputError("write", unique[i]->name, 0, ErrnoText(error), "");
    }
  }
  std::set<std::string> folders;
  for (const OutputFile* file : unique) folders.insert(FolderOf(Path(file->name)));
  for (const std::string& folder : folders) SyncFolder(folder);
}
#endif

std::string FileSystem::ReadProblem(const std::string& name) {
  (void)name;
  return std::strerror(ENOENT);
}

#if !defined(_WIN32)
std::string DiskFileSystem::ReadProblem(const std::string& name) {
  if (!UsableName(name)) return "not a usable file name";
  struct stat status {};
  if (::stat(Path(name).c_str(), &status) != 0) return std::strerror(errno);
  if (S_ISDIR(status.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(status.st_mode)) return "not a regular file";
  if (::access(Path(name).c_str(), R_OK) != 0) return std::strerror(errno);
  return "cannot be read";
}
#endif

bool FileSystem::RemoveFile(const std::string& name) {
  throw InputError("remove", name, 0, "this folder cannot remove files", "");
}

#if !defined(_WIN32)
bool DiskFileSystem::RemoveFile(const std::string& name) {
  const std::string path = Path(name);
  struct stat status {};
  if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return false;  // no file
  if (unlink(path.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  throw InputError("remove", name, 0, std::strerror(errno), "");
}
#endif

std::string TrimFileName(const std::string& name) {
  std::size_t begin = name.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  std::size_t end = name.find_last_not_of(' ');
  return name.substr(begin, end - begin + 1);
}

}  // namespace pedprep
