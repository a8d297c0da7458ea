// DiskFileSystem on Windows: the contract of file_system.h with the Windows API. Names are
// UTF-8 inside and UTF-16 at the API (wide_text.h); "/" and "\" both separate folders.
//
//   write        CreateFileW(CREATE_NEW) of the temporary (an existing entry, a link
//                included, is never opened), WriteFile, FlushFileBuffers
//   replace      MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), which
//                returns when the rename is on the disk (no folder flush needed)
//   read         a read-only mapping of the whole file (CreateFileMappingW, MapViewOfFile)
//   leftovers    FindFirstFileW; a writer's process is gone when OpenProcess finds none or
//                it has an exit code
//   lock         a named mutex per folder (see LockFolder)
//
// A relative name (a run's own files, the marker file named in DEF.DAT) must be an ordinary
// Windows name in every component: no device name (CON, NUL, COM1, ... with or without an
// extension), no trailing dot or blank (Windows drops them, so "ped.dat." would name
// ped.dat), none of < > : " | ? * or a control character. Otherwise it is refused as an
// invalid file name, so no such name reaches another file or a device.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>

#include "records/file_system.h"
#include "records/input_error.h"
#include "records/wide_text.h"

namespace pedprep {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsAbsolute(const std::string& name) {
  return (!name.empty() && IsSeparator(name[0])) ||
         (name.size() >= 2 && name[1] == ':' &&
          ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')));
}

bool IsDeviceName(std::string component) {
  component = component.substr(0, component.find('.'));
  while (!component.empty() && component.back() == ' ') component.pop_back();
  for (char& c : component) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  static constexpr const char* kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (component == device) return true;
  }
  return component.size() == 4 &&
         (component.compare(0, 3, "COM") == 0 || component.compare(0, 3, "LPT") == 0) &&
         component[3] >= '0' && component[3] <= '9';
}

// See the file's comment: a relative name Windows takes as it is written.
bool OrdinaryRelativeName(const std::string& name) {
  std::size_t begin = 0;
  while (begin <= name.size()) {
    std::size_t end = begin;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    const std::string component = name.substr(begin, end - begin);
    if (component != "." && component != "..") {
      if (component.empty() || component.back() == '.' || component.back() == ' ' ||
          IsDeviceName(component)) {
        return false;
      }
      for (char c : component) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) {
          return false;
        }
      }
    }
    begin = end + 1;
  }
  return true;
}

// The words for a Windows error code: for the errors a folder commonly meets, the words the
// Linux build uses (so both builds' messages are the same); otherwise the system's text
// without its closing period.
std::string ErrorText(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
      return std::strerror(EACCES);
    case ERROR_DIRECTORY:
      return std::strerror(ENOTDIR);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::strerror(EEXIST);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    default:
      break;
  }
  return WindowsErrorText(error);
}

std::wstring Wide(const std::string& path) {
  std::wstring wide;
  (void)WidenUtf8(path, &wide);
  return wide;
}

// The handle closes when this goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A path not found because a file stands where a folder of it should be is ERROR_DIRECTORY
// (Linux: "Not a directory"); otherwise ERROR_PATH_NOT_FOUND.
DWORD ExplainMissingFolder(const std::string& path) {
  for (std::size_t at = path.find_last_of("/\\"); at != std::string::npos && at > 0;
       at = path.find_last_of("/\\", at - 1)) {
    const DWORD attributes = GetFileAttributesW(Wide(path.substr(0, at)).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_PATH_NOT_FOUND : ERROR_DIRECTORY;
    }
  }
  return ERROR_PATH_NOT_FOUND;
}

// Creates a new temporary for `path` and writes `bytes` to it completely, flushed to the
// disk. Returns 0 or the failing step's error; sets *temporary once the file exists and
// *create_failed when it could not be created.
DWORD WriteTemporary(const std::string& path, const std::string& bytes, std::string* temporary,
                     bool* create_failed) {
  std::random_device device;
  HANDLE file = INVALID_HANDLE_VALUE;
  std::string name;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
    char tag[32];
    std::snprintf(tag, sizeof tag, ".%lu-%08x", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned>(device()));
    name = path + tag + kTemporarySuffix;
    file = CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    *create_failed = true;
    return error == ERROR_PATH_NOT_FOUND ? ExplainMissingFolder(path) : error;
  }
  Handle handle(file);
  *temporary = name;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD wrote = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr)) return GetLastError();
    if (wrote == 0) return ERROR_WRITE_FAULT;
    done += wrote;
  }
  if (!FlushFileBuffers(file)) return GetLastError();
  return 0;
}

// True when `text` is DIGITS "-" 8 hex digits, as WriteTemporary makes it; *pid the process.
bool ParseTemporaryTag(const std::string& text, unsigned long* pid) {
  const std::size_t dash = text.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 10 || text.size() != dash + 9) return false;
  *pid = 0;
  for (std::size_t i = 0; i < dash; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *pid = *pid * 10 + static_cast<unsigned long>(text[i] - '0');
  }
  return std::all_of(text.begin() + static_cast<long>(dash) + 1, text.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool ProcessGone(unsigned long pid) {
  Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process.valid()) return GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  return GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
}

std::size_t LastSeparator(const std::string& path) {
  const std::size_t at = path.find_last_of("/\\");
  return at;
}

std::string FolderOf(const std::string& path) {
  const std::size_t at = LastSeparator(path);
  return at == std::string::npos ? "." : path.substr(0, at == 0 ? 1 : at);
}

// Removes the leftover temporaries of `path` (see DiskFileSystem). Best effort.
void RemoveLeftovers(const std::string& path) {
  const std::size_t at = LastSeparator(path);
  const std::string base = at == std::string::npos ? path : path.substr(at + 1);
  const std::string folder = FolderOf(path);
  const std::string suffix = kTemporarySuffix;
  WIN32_FIND_DATAW found;
  Handle search(FindFirstFileW(Wide(folder + "\\*").c_str(), &found));
  if (!search.valid()) return;
  std::vector<std::string> leftovers;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const std::string name = NarrowToUtf8(found.cFileName);
    if (name.size() < base.size() + suffix.size() || name.compare(0, base.size(), base) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::string middle = name.substr(base.size(), name.size() - base.size() - suffix.size());
    unsigned long pid = 0;
    if (middle.empty() ||
        (middle[0] == '.' && ParseTemporaryTag(middle.substr(1), &pid) && ProcessGone(pid))) {
      leftovers.push_back(folder + "\\" + name);
    }
  } while (FindNextFileW(search.get(), &found));
  for (const std::string& leftover : leftovers) (void)DeleteFileW(Wide(leftover).c_str());
}

// Creates the missing folders above `path`; 0 or the failing step's error.
DWORD MakeParentFolders(const std::string& path) {
  std::size_t start = 1;
  if (path.size() >= 2 && path[1] == ':') start = 3;  // after "C:\"
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // \\server\share\: the share is no folder to make.
    start = path.find_first_of("/\\", 2);
    start = start == std::string::npos ? path.size() : path.find_first_of("/\\", start + 1);
    if (start == std::string::npos) return 0;
  }
  for (std::size_t at = path.find_first_of("/\\", start); at != std::string::npos;
       at = path.find_first_of("/\\", at + 1)) {
    const std::wstring folder = Wide(path.substr(0, at));
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ERROR_DIRECTORY;
      continue;
    }
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return GetLastError();
    }
  }
  return 0;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string DiskFileSystem::Path(const std::string& name) const {
  if (root_.empty() || name.empty() || IsAbsolute(name)) return name;
  return IsSeparator(root_.back()) ? root_ + name : root_ + "\\" + name;
}

// lock_fd_ holds the folder's mutex handle (a kernel handle fits an int: Windows keeps them
// below 2^24 and documents that they may be truncated to 32 bits).
DiskFileSystem::~DiskFileSystem() {
  if (lock_fd_ >= 0) {
    const HANDLE mutex = reinterpret_cast<HANDLE>(static_cast<intptr_t>(lock_fd_));
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
}

bool DiskFileSystem::ReadFile(const std::string& given_name, std::string* contents) {
  std::wstring wide;
  if (given_name.empty() || !WidenUtf8(Path(given_name), &wide)) return false;
  if (!IsAbsolute(given_name) && !OrdinaryRelativeName(given_name)) return false;
  Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return false;
  const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
  if (bytes > kMaxReadSize) {
    throw InputError("read", given_name, 0,
                     "the file holds " + std::to_string(bytes) + " bytes, more than the " +
                         std::to_string(kMaxReadSize) + " pedprep reads",
                     "");
  }
  contents->clear();
  if (bytes == 0) return true;  // an empty file cannot be mapped
  Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.valid()) return false;
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return false;
  contents->assign(static_cast<const char*>(view), static_cast<std::size_t>(bytes));
  UnmapViewOfFile(view);
  return true;
}

// The folder's lock is a named mutex ("Global\pedprep-folder-" with the folder's volume
// serial number and file index): LockFileEx locks ranges of files, not folders, and a lock
// file would be left behind. The mutex leaves nothing on the disk and is released by Windows
// when the process ends, however it ends (the next owner sees it abandoned, which is taken).
bool DiskFileSystem::LockFolder(std::chrono::milliseconds wait) {
  if (lock_fd_ >= 0) return true;
  const std::string folder = root_.empty() ? "." : root_;
  Handle handle(CreateFileW(Wide(folder).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) return true;
  wchar_t name[96];
  std::swprintf(name, sizeof name / sizeof name[0], L"Global\\pedprep-folder-%08lx-%08lx%08lx",
                static_cast<unsigned long>(info.dwVolumeSerialNumber),
                static_cast<unsigned long>(info.nFileIndexHigh),
                static_cast<unsigned long>(info.nFileIndexLow));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  if (mutex == nullptr) return true;  // nothing to lock with
  const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(wait.count()));
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return waited != WAIT_TIMEOUT;
  }
  lock_fd_ = static_cast<int>(reinterpret_cast<intptr_t>(mutex));
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
  auto fail = [&temporaries](const char* operation, const std::string& name,
                             const std::string& why) {
    for (const std::string& t : temporaries) (void)DeleteFileW(Wide(t).c_str());
    throw InputError(operation, name, 0, why, "");
  };
  for (const OutputFile* file : unique) {
    std::wstring wide;
    if (file->name.empty() || !WidenUtf8(Path(file->name), &wide) ||
        (!IsAbsolute(file->name) && !OrdinaryRelativeName(file->name))) {
      fail("create", file->name, "invalid file name");
    }
    const std::string path = Path(file->name);
    const DWORD folder_error = create_folders_ ? MakeParentFolders(path) : 0;
    if (folder_error != 0) fail("create", file->name, ErrorText(folder_error));
    RemoveLeftovers(path);
    std::string temporary;
    bool create_failed = false;
    const DWORD error = WriteTemporary(path, file->bytes, &temporary, &create_failed);
    if (!temporary.empty()) temporaries.push_back(temporary);
    if (error != 0) fail(create_failed ? "create" : "write", file->name, ErrorText(error));
  }
  // A folder in the way would make its rename fail after earlier files were replaced.
  for (const OutputFile* file : unique) {
    if (IsFolder(Path(file->name))) fail("create", file->name, std::strerror(EISDIR));
  }
  for (std::size_t i = 0; i < unique.size(); ++i) {
    if (!MoveFileExW(Wide(temporaries[i]).c_str(), Wide(Path(unique[i]->name)).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const DWORD error = GetLastError();
      temporaries.erase(temporaries.begin(), temporaries.begin() + static_cast<long>(i));
      fail("write", unique[i]->name, ErrorText(error));
    }
  }
}

std::string DiskFileSystem::ReadProblem(const std::string& name) {
  std::wstring wide;
  if (name.empty() || !WidenUtf8(Path(name), &wide) ||
      (!IsAbsolute(name) && !OrdinaryRelativeName(name))) {
    return "not a usable file name";
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ErrorText(GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::strerror(EISDIR);
  Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return ErrorText(GetLastError());
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return "not a regular file";
  return "cannot be read";
}

bool DiskFileSystem::RemoveFile(const std::string& name) {
  if (!IsAbsolute(name) && !OrdinaryRelativeName(name)) return false;
  const std::string path = Path(name);
  if (IsFolder(path)) return false;  // no file
  if (DeleteFileW(Wide(path).c_str())) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
  throw InputError("remove", name, 0, ErrorText(error), "");
}

}  // namespace pedprep
