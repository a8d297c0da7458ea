#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "records/folder_calls.h"

namespace pedprep::folder_calls {

namespace {

// Reads the pipe `fd` (opened without waiting) to its end. A read of nothing is the end once
// a writer has been seen (data, a wait for data, or the hang-up poll reports after a writer
// left); a pipe reached through a link (/dev/fd/N of "<(...)") had its writer from the start,
// a named pipe's writer may not have opened it yet and is waited for.
int ReadPipe(int fd, bool named, std::uint64_t limit, std::string* contents, std::uint64_t* size) {
  contents->clear();
  bool writer_seen = !named;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      writer_seen = true;
      contents->append(buffer, static_cast<std::size_t>(got));
      if (contents->size() > limit) {
        contents->clear();
        contents->shrink_to_fit();
        *size = limit + 1;
        return EFBIG;
      }
      continue;
    }
    if (got == 0 && writer_seen) return 0;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno != EAGAIN) return errno;
    if (got < 0) writer_seen = true;
    pollfd wait{fd, POLLIN, 0};
    if (::poll(&wait, 1, -1) < 0 && errno != EINTR) return errno;
    if ((wait.revents & POLLHUP) != 0) writer_seen = true;
  }
}

}  // namespace

int ReadRegularFile(const std::string& path, std::uint64_t limit, std::string* contents,
                    std::uint64_t* size, bool pipes) {
  // O_NONBLOCK: a named pipe under that name must not hang the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || (pipes && S_ISFIFO(info.st_mode)))) {
    ::close(fd);
    return EINVAL;
  }
  if (S_ISFIFO(info.st_mode)) {
    struct stat named {};
    const bool is_named = ::lstat(path.c_str(), &named) == 0 && S_ISFIFO(named.st_mode);
    const int error = ReadPipe(fd, is_named, limit, contents, size);
    ::close(fd);
    return error;
  }
  if (static_cast<std::uint64_t>(info.st_size) > limit) {
    ::close(fd);
    *size = static_cast<std::uint64_t>(info.st_size);
    return EFBIG;
  }
  contents->clear();
  contents->reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  int error = 0;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      error = got < 0 ? errno : 0;
      break;
    }
    contents->append(buffer, static_cast<std::size_t>(got));
    // A file that grows while it is read.
    if (contents->size() > limit) {
      contents->clear();
      contents->shrink_to_fit();
      *size = limit + 1;
      error = EFBIG;
      break;
    }
  }
  ::close(fd);
  return error;
}

Folder OpenFolder(const std::string& path, int* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) *error = errno;
  return fd < 0 ? kNoFolder : fd;
}

Folder OpenSubfolder(Folder folder, const std::string& name, bool create, int* error) {
  constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::openat(folder, name.c_str(), kFlags);
  if (fd < 0 && errno == ENOENT && create) {
    if (::mkdirat(folder, name.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = errno;
      return kNoFolder;
    }
    fd = ::openat(folder, name.c_str(), kFlags);
  }
  if (fd < 0) *error = errno;
  return fd < 0 ? kNoFolder : fd;
}

void CloseFolder(Folder folder) {
  if (folder != kNoFolder) ::close(folder);
}

EntryKind KindOf(Folder folder, const std::string& name) {
  struct stat info {};
  if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::kNone;
  if (S_ISREG(info.st_mode)) return EntryKind::kFile;
  if (S_ISDIR(info.st_mode)) return EntryKind::kFolder;
  if (S_ISLNK(info.st_mode)) return EntryKind::kLink;
  return EntryKind::kOther;
}

namespace {

// Writes all of `bytes` to `fd`, again after an interrupted call; 0 or the errno of the
// failed write (EIO when the file takes no more bytes).
int WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return wrote < 0 ? errno : EIO;
    done += static_cast<std::size_t>(wrote);
  }
  return 0;
}

}  // namespace

int WriteNewFile(Folder folder, const std::string& name, std::string_view bytes, bool* created) {
  // O_EXCL: an existing entry (a symbolic link included) is never opened.
  const int fd =
      ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  *created = fd >= 0;
  if (fd < 0) return errno != 0 ? errno : EIO;
  int error = WriteAll(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  return error;
}

int RenameEntry(Folder folder, const std::string& from, const std::string& to) {
  return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0 ? 0 : errno;
}

int RemoveEntry(Folder folder, const std::string& name) {
  return ::unlinkat(folder, name.c_str(), 0) == 0 ? 0 : errno;
}

void SyncFolder(Folder folder) { (void)::fsync(folder); }

std::vector<std::string> ListFolder(Folder folder) {
  std::vector<std::string> names;
  const int copy = ::dup(folder);
  if (copy < 0) return names;
  DIR* dir = ::fdopendir(copy);
  if (dir == nullptr) {
    ::close(copy);
    return names;
  }
  ::rewinddir(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

namespace {

constexpr std::chrono::milliseconds kLockPoll(10);

// A writer's claim on a folder's lock: a Linux abstract socket named after the folder's device
// and inode, bound while a writer waits for the lock. It leaves no file and ends with the
// process. A reader that finds it bound waits behind the writer instead of joining the readers
// that hold the lock, so a stream of readers cannot keep a writer out.
class WriterClaim {
 public:
  explicit WriterClaim(Folder folder) {
    struct stat info {};
    if (::fstat(folder, &info) != 0) return;
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    address_.sun_family = AF_UNIX;
    const int length = std::snprintf(
        address_.sun_path + 1, sizeof address_.sun_path - 1, "pedprep-writer-%llx-%llx",
        static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino));
    length_ = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
  }
  ~WriterClaim() {
    if (fd_ >= 0) ::close(fd_);
  }
  WriterClaim(const WriterClaim&) = delete;
  WriterClaim& operator=(const WriterClaim&) = delete;
  // True when this process now holds the claim (or there is no claim to take).
  bool Take() {
    if (fd_ < 0 || held_) return true;
    held_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address_), length_) == 0;
    if (!held_ && errno != EADDRINUSE) Disable();
    return held_ || fd_ < 0;
  }

 private:
  void Disable() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
  bool held_ = false;
  sockaddr_un address_{};
  socklen_t length_ = 0;
};

}  // namespace

// *folder stays: only the Windows twin replaces it.
int LockFolder(Folder* folder,  // NOLINT(readability-non-const-parameter)
               bool shared, std::chrono::milliseconds wait) {
  const auto give_up = std::chrono::steady_clock::now() + wait;
  WriterClaim claim(*folder);
  for (;;) {
    // A writer first claims the lock, then waits for the readers in it; a reader comes in only
    // while no writer claims it.
    // (A reader's claim is taken and let go at once: it only tells that no writer holds it.)
    if (shared ? WriterClaim(*folder).Take() : claim.Take()) {
      if (::flock(*folder, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB) == 0) return 0;
      if (errno != EWOULDBLOCK && errno != EINTR) return errno;
    }
    if (std::chrono::steady_clock::now() >= give_up) return EWOULDBLOCK;
    std::this_thread::sleep_for(kLockPoll);
  }
}

std::vector<std::pair<long, std::string>> LockHolders(Folder folder) {
  std::vector<std::pair<long, std::string>> holders;
  struct stat info {};
  if (::fstat(folder, &info) != 0) return holders;
  char key[64];
  std::snprintf(key, sizeof key, "%02x:%02x:%llu", major(info.st_dev), minor(info.st_dev),
                static_cast<unsigned long long>(info.st_ino));
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    if (line.find("->") != std::string::npos) continue;  // a waiter, not a holder
    std::istringstream fields(line);
    std::string number, type, advisory, mode, device;
    long pid = 0;
    if (!(fields >> number >> type >> advisory >> mode >> pid >> device) || device != key ||
        pid <= 0) {
      continue;
    }
    std::ifstream command("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string words((std::istreambuf_iterator<char>(command)), std::istreambuf_iterator<char>());
    while (!words.empty() && words.back() == '\0') words.pop_back();
    std::replace(words.begin(), words.end(), '\0', ' ');
    const std::size_t program_end = words.find(' ');
    const std::size_t slash = words.rfind('/', program_end);
    if (slash != std::string::npos) words.erase(0, slash + 1);
    if (std::none_of(holders.begin(), holders.end(),
                     [pid](const auto& holder) { return holder.first == pid; })) {
      holders.emplace_back(pid, words);
    }
  }
  return holders;
}

OutputKind OutputKindOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return OutputKind::kNone;
  const bool link = S_ISLNK(info.st_mode);
  if (link && ::stat(path.c_str(), &info) != 0) return OutputKind::kLink;
  if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) return OutputKind::kStream;
  if (path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0) {
    return S_ISDIR(info.st_mode) ? OutputKind::kFolder : OutputKind::kStream;
  }
  if (link) return OutputKind::kLink;
  if (S_ISREG(info.st_mode)) return OutputKind::kFile;
  if (S_ISDIR(info.st_mode)) return OutputKind::kFolder;
  return OutputKind::kOther;
}

int WriteToStream(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = WriteAll(fd, bytes);
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  return error;
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

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

long ProcessId() { return static_cast<long>(::getpid()); }

bool ProcessGone(long pid) {
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool IdentityOf(const std::string& path, unsigned long long* device, unsigned long long* inode) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  *device = info.st_dev;
  *inode = info.st_ino;
  return true;
}

}  // namespace pedprep::folder_calls
