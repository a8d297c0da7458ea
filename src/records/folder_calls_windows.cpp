// The Windows twin of folder_calls_posix.cpp. A Folder is a folder's handle (kernel handles
// fit an int: Windows documents that they may be truncated to 32 bits). Every entry of a
// folder is reached as "\\?\" + the folder's own final path (GetFinalPathNameByHandleW, so a
// folder renamed while held is still the one reached) + "\" + one name component, so that no
// device name, trailing dot or "/" changes what is named; a component that is no ordinary
// Windows name (see OrdinaryName) is refused with EINVAL. Windows error codes become the
// error numbers of the contract (ENOENT, EEXIST, EACCES, ENOTDIR, EISDIR, ELOOP, ENOSPC,
// EWOULDBLOCK, else EIO), so that file_system.cpp words them as on Linux.
//
//   write      CreateFileW(CREATE_NEW) never opens an existing entry, a link included;
//              WriteFile, FlushFileBuffers
//   rename     MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH): on the disk
//              when it returns, so SyncFolder has nothing left to do
//   read       a read-only mapping of the whole file
//   link       a reparse point (a symbolic link or a junction): never followed inside a
//              folder (FILE_FLAG_OPEN_REPARSE_POINT), reported as ELOOP or kLink
//   lock       the folder opened again with a share mode: a writer asks for write access and
//              shares only reading and deleting, a reader asks for read access and shares the
//              same, so writers exclude everyone and readers only writers; programs that list
//              or change the folder's files are not hindered (they open no folder for
//              writing). It ends when the handle closes or pedprep ends, and leaves no file
//              (LockFileEx locks byte ranges of files only).
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "records/folder_calls.h"
#include "records/wide_text.h"

namespace pedprep::folder_calls {
namespace {

HANDLE AsHandle(Folder folder) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(folder)); }
Folder AsFolder(HANDLE handle) { return static_cast<Folder>(reinterpret_cast<intptr_t>(handle)); }

int ErrorNumber(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return EINVAL;
    default:
      return EIO;
  }
}

bool IsDeviceName(std::string name) {
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (name == device) return true;
  }
  return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
         name[3] >= '0' && name[3] <= '9';
}

// A name component other Windows programs open as it is written: not "." or "..", no device
// name, no trailing dot or blank (which Windows drops elsewhere, so "ped.dat." would be
// ped.dat), none of \ / < > : " | ? * or a control character.
bool OrdinaryName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ' ||
      IsDeviceName(name)) {
    return false;
  }
  return std::none_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/<>:\"|?*", c) != nullptr;
  });
}

// "\\?\" + the folder's own path + "\", or empty when the folder has none.
std::wstring FolderPath(Folder folder) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(AsHandle(folder), path.data(),
                                                   static_cast<DWORD>(path.size()), 0);
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(length + 1);
  }
  if (path.rfind(L"\\\\?\\", 0) != 0) path.insert(0, L"\\\\?\\");
  if (path.back() != L'\\') path.push_back(L'\\');
  return path;
}

// FolderPath + name, or empty when the folder has no path or the name is no ordinary name
// (or no UTF-8).
std::wstring EntryPath(Folder folder, const std::string& name) {
  std::wstring wide_name;
  if (!OrdinaryName(name) || !WidenUtf8(name, &wide_name)) return std::wstring();
  const std::wstring path = FolderPath(folder);
  return path.empty() ? path : path + wide_name;
}

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
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens `path` as a folder with the access and sharing given; kNoFolder and *error (ELOOP for
// a link when `no_link`, ENOTDIR for a file) otherwise.
Folder OpenFolderHandle(const std::wstring& path, DWORD access, DWORD share, bool no_link,
                        int* error) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (no_link ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  Handle handle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
  if (!handle.valid()) {
    *error = ErrorNumber(GetLastError());
    return kNoFolder;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.get(), &info)) {
    *error = ErrorNumber(GetLastError());
    return kNoFolder;
  }
  if (no_link && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    *error = ELOOP;
    return kNoFolder;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    *error = ENOTDIR;
    return kNoFolder;
  }
  return AsFolder(handle.release());
}

}  // namespace

int ReadRegularFile(const std::string& path, std::uint64_t limit, std::string* contents,
                    std::uint64_t* size, bool pipes) {
  (void)pipes;
  std::wstring wide;
  if (!WidenUtf8(path, &wide)) return ENOENT;
  Handle file(CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return ErrorNumber(GetLastError());
  LARGE_INTEGER length;
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &length) ||
      length.QuadPart < 0) {
    return EINVAL;
  }
  if (static_cast<std::uint64_t>(length.QuadPart) > limit) {
    *size = static_cast<std::uint64_t>(length.QuadPart);
    return EFBIG;
  }
  contents->clear();
  if (length.QuadPart == 0) return 0;  // an empty file cannot be mapped
  Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.valid()) return ErrorNumber(GetLastError());
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return ErrorNumber(GetLastError());
  contents->assign(static_cast<const char*>(view), static_cast<std::size_t>(length.QuadPart));
  UnmapViewOfFile(view);
  return 0;
}

Folder OpenFolder(const std::string& path, int* error) {
  std::wstring wide;
  if (!WidenUtf8(path.empty() ? "." : path, &wide)) {
    *error = ENOENT;
    return kNoFolder;
  }
  return OpenFolderHandle(wide, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll, false,
                          error);
}

Folder OpenSubfolder(Folder folder, const std::string& name, bool create, int* error) {
  const std::wstring path = EntryPath(folder, name);
  if (path.empty()) {
    *error = EINVAL;
    return kNoFolder;
  }
  if (create && !CreateDirectoryW(path.c_str(), nullptr) &&
      GetLastError() != ERROR_ALREADY_EXISTS) {
    *error = ErrorNumber(GetLastError());
    return kNoFolder;
  }
  return OpenFolderHandle(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll, true, error);
}

void CloseFolder(Folder folder) {
  if (folder != kNoFolder) CloseHandle(AsHandle(folder));
}

EntryKind KindOf(Folder folder, const std::string& name) {
  const std::wstring path = EntryPath(folder, name);
  const DWORD attributes =
      path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kNone;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return EntryKind::kLink;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::kFolder;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return EntryKind::kOther;
  return EntryKind::kFile;
}

int WriteNewFile(Folder folder, const std::string& name, std::string_view bytes, bool* created) {
  *created = false;
  const std::wstring path = EntryPath(folder, name);
  if (path.empty()) return EINVAL;
  Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return ErrorNumber(GetLastError());
  *created = true;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD wrote = 0;
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr)) {
      return ErrorNumber(GetLastError());
    }
    if (wrote == 0) return EIO;
    done += wrote;
  }
  return FlushFileBuffers(file.get()) ? 0 : ErrorNumber(GetLastError());
}

int RenameEntry(Folder folder, const std::string& from, const std::string& to) {
  const std::wstring source = EntryPath(folder, from);
  const std::wstring target = EntryPath(folder, to);
  if (source.empty() || target.empty()) return EINVAL;
  if ((GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return EISDIR;
  }
  return MoveFileExW(source.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : ErrorNumber(GetLastError());
}

int RemoveEntry(Folder folder, const std::string& name) {
  const std::wstring path = EntryPath(folder, name);
  if (path.empty()) return EINVAL;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ErrorNumber(GetLastError());
  // A link to a folder is removed as a folder entry; a folder itself is not removed.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return EISDIR;
    return RemoveDirectoryW(path.c_str()) ? 0 : ErrorNumber(GetLastError());
  }
  return DeleteFileW(path.c_str()) ? 0 : ErrorNumber(GetLastError());
}

void SyncFolder(Folder folder) { (void)folder; }

std::vector<std::string> ListFolder(Folder folder) {
  std::vector<std::string> names;
  std::wstring pattern = FolderPath(folder);
  if (pattern.empty()) return names;
  pattern.push_back(L'*');
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(NarrowToUtf8(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

int LockFolder(Folder* folder, bool shared, std::chrono::milliseconds wait) {
  const DWORD access = shared ? FILE_READ_DATA : FILE_WRITE_DATA;
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_DELETE;
  const auto give_up = std::chrono::steady_clock::now() + wait;
  for (;;) {
    HANDLE locked = ReOpenFile(AsHandle(*folder), access | FILE_READ_ATTRIBUTES, share,
                               FILE_FLAG_BACKUP_SEMANTICS);
    if (locked != INVALID_HANDLE_VALUE) {
      CloseHandle(AsHandle(*folder));
      *folder = AsFolder(locked);
      return 0;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) return ErrorNumber(GetLastError());
    if (std::chrono::steady_clock::now() >= give_up) return EWOULDBLOCK;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::vector<std::pair<long, std::string>> LockHolders(Folder folder) {
  (void)folder;
  return {};
}

OutputKind OutputKindOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(kSeparators);
  if (IsDeviceName(slash == std::string::npos ? path : path.substr(slash + 1))) {
    return OutputKind::kStream;
  }
  std::wstring wide;
  if (!WidenUtf8(path, &wide)) return OutputKind::kNone;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return OutputKind::kNone;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return OutputKind::kLink;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return OutputKind::kFolder;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return OutputKind::kStream;
  return OutputKind::kFile;
}

int WriteToStream(const std::string& path, std::string_view bytes) {
  std::wstring wide;
  if (!WidenUtf8(path, &wide)) return EINVAL;
  Handle file(CreateFileW(wide.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return ErrorNumber(GetLastError());
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD wrote = 0;
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
      return ErrorNumber(GetLastError());
    }
    done += wrote;
  }
  return 0;
}

bool IsAbsolute(const std::string& path) {
  const bool letter = path.size() >= 2 && path[1] == ':' &&
                      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter || (!path.empty() && (path[0] == '/' || path[0] == '\\'));
}

int MakeParentFolders(const std::string& path) {
  std::size_t start = 1;
  if (path.size() >= 2 && path[1] == ':') start = 3;  // after "C:\"
  if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') &&
      (path[1] == '/' || path[1] == '\\')) {
    // \\server\share\: the share is no folder to make.
    start = path.find_first_of(kSeparators, 2);
    if (start == std::string::npos) return 0;
    start = path.find_first_of(kSeparators, start + 1);
    if (start == std::string::npos) return 0;
  }
  for (std::size_t at = path.find_first_of(kSeparators, start); at != std::string::npos;
       at = path.find_first_of(kSeparators, at + 1)) {
    std::wstring folder;
    if (!WidenUtf8(path.substr(0, at), &folder)) return EINVAL;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ENOTDIR;
      continue;
    }
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return ErrorNumber(GetLastError());
    }
  }
  return 0;
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool ProcessGone(long pid) {
  if (pid <= 0) return false;
  Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
  if (!process.valid()) return GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  return GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
}

bool IdentityOf(const std::string& path, unsigned long long* device, unsigned long long* inode) {
  std::wstring wide;
  if (!WidenUtf8(path.empty() ? "." : path, &wide)) return false;
  Handle handle(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) return false;
  *device = info.dwVolumeSerialNumber;
  *inode = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace pedprep::folder_calls
