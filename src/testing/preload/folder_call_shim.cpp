// Preloaded into the pedprep program by the whole-program tests (LD_PRELOAD): it sees the
// calls that change a folder's entries or flush a file, as the program makes them.
//
//   PEDPREP_SHIM_LOG=FILE   appends one line per call: "fsync NAME", "rename FROM TO",
//                           "unlink NAME" (NAME: the last component of the name used)
//   PEDPREP_SHIM_KILL=N     the N-th rename or unlink (counted from 1) raises SIGKILL
//                           before it is made, as a power cut or a kill -9 would stop it
//   PEDPREP_SHIM_FAIL=N     the N-th rename or unlink is not made and fails with EIO
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int changes = 0;

std::string LastComponent(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? path : slash + 1;
}

void Log(const std::string& line) {
  const char* file = std::getenv("PEDPREP_SHIM_LOG");
  if (file == nullptr) return;
  const int fd = ::open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const std::string text = line + "\n";
  (void)!::write(fd, text.data(), text.size());
  ::close(fd);
}

// Counts one change of a folder's entries; the one named by PEDPREP_SHIM_KILL never happens.
// False (errno EIO) for the one named by PEDPREP_SHIM_FAIL, which is not to be made.
bool Change(const std::string& line) {
  ++changes;
  const char* kill_at = std::getenv("PEDPREP_SHIM_KILL");
  if (kill_at != nullptr && std::atoi(kill_at) == changes) {
    Log("killed at " + line);
    std::raise(SIGKILL);
  }
  const char* fail_at = std::getenv("PEDPREP_SHIM_FAIL");
  if (fail_at != nullptr && std::atoi(fail_at) == changes) {
    Log("failed " + line);
    errno = EIO;
    return false;
  }
  Log(line);
  return true;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int rename(const char* from, const char* to) {
  if (!Change("rename " + LastComponent(from) + " " + LastComponent(to))) return -1;
  return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

int renameat(int from_dir, const char* from, int to_dir, const char* to) {
  if (!Change("rename " + LastComponent(from) + " " + LastComponent(to))) return -1;
  return Next<int (*)(int, const char*, int, const char*)>("renameat")(from_dir, from, to_dir, to);
}

int unlink(const char* name) {
  if (!Change("unlink " + LastComponent(name))) return -1;
  return Next<int (*)(const char*)>("unlink")(name);
}

int unlinkat(int dir, const char* name, int flags) {
  if (!Change("unlink " + LastComponent(name))) return -1;
  return Next<int (*)(int, const char*, int)>("unlinkat")(dir, name, flags);
}

int fsync(int fd) {
  char link[64];
  char path[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t got = ::readlink(link, path, sizeof path - 1);
  if (got > 0) {
    path[got] = '\0';
    Log("fsync " + LastComponent(path));
  }
  return Next<int (*)(int)>("fsync")(fd);
}

}  // extern "C"
