#include "records/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "records/folder_calls.h"
#include "records/input_error.h"

namespace pedprep {
namespace {

namespace calls = folder_calls;

// A name holding a zero byte would silently name a different (shorter) file.
bool UsableName(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

std::string ErrnoText(int error) { return std::strerror(error); }

// Open folders, closed when it ends.
class HeldFolders {
 public:
  HeldFolders() = default;
  HeldFolders(const HeldFolders&) = delete;
  HeldFolders& operator=(const HeldFolders&) = delete;
  ~HeldFolders() {
    for (const calls::Folder folder : folders_) calls::CloseFolder(folder);
  }
  calls::Folder Hold(calls::Folder folder) {
    folders_.push_back(folder);
    return folder;
  }

 private:
  std::vector<calls::Folder> folders_;
};

// Writes `bytes` to a new temporary for `base` in `folder` (see DiskFileSystem). Returns 0
// or the errno of the failing step; sets *temporary to the name once the file exists, and
// *create_failed when it could not be created.
int WriteTemporary(calls::Folder folder, const std::string& base, const std::string& bytes,
                   std::string* temporary, bool* create_failed) {
  std::random_device device;
  int error = EEXIST;
  // 32 random bits per try: a second try is already rare.
  for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
    char tag[32];
    std::snprintf(tag, sizeof tag, ".%ld-%08x", calls::ProcessId(),
                  static_cast<unsigned>(device()));
    const std::string name = base + tag + kTemporarySuffix;
    bool created = false;
    error = calls::WriteNewFile(folder, name, bytes, &created);
    if (created) {
      *temporary = name;
      return error;
    }
  }
  *create_failed = true;
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

// Removes the leftover temporaries of `base` in `folder` (see DiskFileSystem). Best effort:
// what cannot be removed stays and does not stop the write.
void RemoveLeftovers(calls::Folder folder, const std::string& base) {
  const std::string suffix = kTemporarySuffix;
  for (const std::string& name : calls::ListFolder(folder)) {
    if (name.size() < base.size() + suffix.size() || name.compare(0, base.size(), base) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::string middle = name.substr(base.size(), name.size() - base.size() - suffix.size());
    long pid = 0;
    if (middle.empty() || (middle[0] == '.' && ParseTemporaryTag(middle.substr(1), &pid) &&
                           calls::ProcessGone(pid))) {
      // Not a folder: a folder of that name is not a leftover.
      if (calls::KindOf(folder, name) != calls::EntryKind::kFolder) {
        (void)calls::RemoveEntry(folder, name);
      }
    }
  }
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(calls::kSeparators);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The components of a relative name, "" and "." left out.
std::vector<std::string> Components(const std::string& name) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  while (begin <= name.size()) {
    std::size_t end = name.find_first_of(calls::kSeparators, begin);
    if (end == std::string::npos) end = name.size();
    std::string part = name.substr(begin, end - begin);
    if (!part.empty() && part != ".") parts.push_back(std::move(part));
    begin = end + 1;
  }
  return parts;
}

}  // namespace

std::string DiskFileSystem::Path(const std::string& name) const {
  if (root_.empty() || name.empty() || calls::IsAbsolute(name)) return name;
  return root_.back() == '/' ? root_ + name : root_ + "/" + name;
}

DiskFileSystem::~DiskFileSystem() { calls::CloseFolder(lock_fd_); }

int DiskFileSystem::OpenHolder(const std::string& name, bool create, std::string* base,
                               std::string* why) {
  why->clear();
  int error = 0;
  if (rule_ == NameRule::kAsGiven || calls::IsAbsolute(name)) {
    const std::string path = Path(name);
    if (create && create_folders_ && (error = calls::MakeParentFolders(path)) != 0) {
      *why = ErrnoText(error);
      return calls::kNoFolder;
    }
    const std::size_t slash = path.find_last_of(calls::kSeparators);
    *base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base->empty() || *base == "." || *base == "..") {
      *why = "invalid file name";
      return calls::kNoFolder;
    }
    const calls::Folder folder = calls::OpenFolder(FolderOf(path), &error);
    if (folder == calls::kNoFolder && (create || error != ENOENT)) *why = ErrnoText(error);
    return folder;
  }
  std::vector<std::string> parts = Components(name);
  if (parts.empty() || std::strchr(calls::kSeparators, name.back()) != nullptr) {
    *why = "invalid file name";
    return calls::kNoFolder;
  }
  for (const std::string& part : parts) {
    if (part == "..") {
      *why = "the name leads out of the folder";
      return calls::kNoFolder;
    }
  }
  const std::string root = root_.empty() ? "." : root_;
  if (create && create_folders_ && (error = calls::MakeParentFolders(root + "/x")) != 0) {
    *why = ErrnoText(error);
    return calls::kNoFolder;
  }
  calls::Folder folder = calls::OpenFolder(root, &error);
  for (std::size_t i = 0; i + 1 < parts.size() && folder != calls::kNoFolder; ++i) {
    const calls::Folder inner =
        calls::OpenSubfolder(folder, parts[i], create && create_folders_, &error);
    const bool link = inner == calls::kNoFolder && (error == ELOOP || error == ENOTDIR) &&
                      calls::KindOf(folder, parts[i]) == calls::EntryKind::kLink;
    calls::CloseFolder(folder);
    folder = inner;
    if (link) {
      *why = parts[i] + " is a symbolic link (links are not followed)";
      return calls::kNoFolder;
    }
  }
  if (folder == calls::kNoFolder && (create || error != ENOENT)) *why = ErrnoText(error);
  *base = parts.back();
  return folder;
}

bool DiskFileSystem::ReadFile(const std::string& given_name, std::string* contents) {
  if (!UsableName(given_name)) return false;
  std::uint64_t size = 0;
  const int error = calls::ReadRegularFile(Path(given_name), kMaxReadSize, contents, &size,
                                           rule_ == NameRule::kAsGiven);
  if (error == EFBIG) {
    throw InputError("read", given_name, 0,
                     "the file holds " + std::to_string(size) + " bytes, more than the " +
                         std::to_string(kMaxReadSize) + " pedprep reads",
                     "");
  }
  return error == 0;
}

bool FileSystem::FileSize(const std::string& name, std::uint64_t* size) {
  std::string bytes;
  if (!ReadFile(name, &bytes)) return false;
  *size = bytes.size();
  return true;
}

bool DiskFileSystem::FileSize(const std::string& name, std::uint64_t* size) {
  if (!UsableName(name)) return false;
  std::string bytes;
  // Read with no room: an empty file is read, any other tells its size.
  const int error = calls::ReadRegularFile(Path(name), 0, &bytes, size);
  if (error == 0) *size = 0;
  return error == 0 || error == EFBIG;
}

std::string FileSystem::ReadProblem(const std::string& name) {
  (void)name;
  return ErrnoText(ENOENT);
}

std::string DiskFileSystem::ReadProblem(const std::string& name) {
  if (!UsableName(name)) return "not a usable file name";
  int error = 0;
  const calls::Folder folder = calls::OpenFolder(Path(name), &error);
  if (folder != calls::kNoFolder) {
    calls::CloseFolder(folder);
    return ErrnoText(EISDIR);
  }
  std::string bytes;
  std::uint64_t size = 0;
  error = calls::ReadRegularFile(Path(name), 0, &bytes, &size);
  if (error == EINVAL) {
    return rule_ == NameRule::kAsGiven ? "neither a regular file nor a pipe" : "not a regular file";
  }
  return error == 0 || error == EFBIG ? "cannot be read" : ErrnoText(error);
}

bool DiskFileSystem::Lock(std::chrono::milliseconds wait, bool shared) {
  if (lock_fd_ >= 0) return true;
  const std::string folder = root_.empty() ? "." : root_;
  int error = 0;
  if (create_folders_) (void)calls::MakeParentFolders(folder + "/x");
  calls::Folder fd = calls::OpenFolder(folder, &error);
  if (fd == calls::kNoFolder) return true;
  error = calls::LockFolder(&fd, shared, wait);
  if (error == 0) {
    lock_fd_ = fd;
    return true;
  }
  calls::CloseFolder(fd);
  return error != EWOULDBLOCK;  // a file system without locks
}

bool DiskFileSystem::LockFolder(std::chrono::milliseconds wait) { return Lock(wait, false); }

bool DiskFileSystem::LockFolderForReading(std::chrono::milliseconds wait) {
  return Lock(wait, true);
}

std::string DiskFileSystem::LockHolder() {
  int error = 0;
  const calls::Folder folder = calls::OpenFolder(root_.empty() ? "." : root_, &error);
  if (folder == calls::kNoFolder) return "";
  std::string text;
  const long self = calls::ProcessId();
  for (const auto& [pid, command] : calls::LockHolders(folder)) {
    if (pid == self) continue;
    if (!text.empty()) text += ", ";
    text += (command.empty() ? "process " : command + " (process ") + std::to_string(pid) +
            (command.empty() ? "" : ")");
  }
  calls::CloseFolder(folder);
  return text;
}

TargetKind FileSystem::TargetOf(const std::string& name) {
  switch (KindOf(name)) {
    case EntryKind::kNone:
      return TargetKind::kNone;
    case EntryKind::kFile:
      return TargetKind::kFile;
    case EntryKind::kFolder:
      return TargetKind::kFolder;
    case EntryKind::kOther:
      break;
  }
  return TargetKind::kOther;
}

void FileSystem::WriteStream(const std::string& name, const std::string& bytes) {
  (void)bytes;
  throw InputError("write", name, 0, "this folder holds no devices", "");
}

TargetKind DiskFileSystem::TargetOf(const std::string& name) {
  if (!UsableName(name)) return TargetKind::kNone;
  switch (calls::OutputKindOf(Path(name))) {
    case calls::OutputKind::kNone:
      return TargetKind::kNone;
    case calls::OutputKind::kFile:
      return TargetKind::kFile;
    case calls::OutputKind::kFolder:
      return TargetKind::kFolder;
    case calls::OutputKind::kStream:
      return TargetKind::kStream;
    case calls::OutputKind::kLink:
      return TargetKind::kLink;
    case calls::OutputKind::kOther:
      break;
  }
  return TargetKind::kOther;
}

void DiskFileSystem::WriteStream(const std::string& name, const std::string& bytes) {
  if (!UsableName(name)) throw InputError("write", name, 0, "invalid file name", "");
  const int error = calls::WriteToStream(Path(name), bytes);
  if (error != 0) throw InputError("write", name, 0, ErrnoText(error), "");
}

bool DiskFileSystem::Identify(const std::string& name, FileIdentity* identity) {
  const std::string path = name.empty() ? (root_.empty() ? "." : root_) : Path(name);
  return calls::IdentityOf(path, &identity->device, &identity->inode);
}

void DiskFileSystem::WriteFiles(const std::vector<OutputFile>& files) {
  (void)ReplaceFiles(files, {});
}

std::vector<std::string> DiskFileSystem::ReplaceFiles(const std::vector<OutputFile>& files,
                                                      const std::vector<std::string>& removals) {
  // A name given twice is written once, with its last contents.
  std::vector<const OutputFile*> unique;
  for (std::size_t i = 0; i < files.size(); ++i) {
    bool later = false;
    for (std::size_t j = i + 1; j < files.size(); ++j) later |= files[j].name == files[i].name;
    if (!later) unique.push_back(&files[i]);
  }

  HeldFolders held;
  std::vector<calls::Folder> holders;  // of unique[i]
  std::vector<std::string> bases;
  std::vector<std::string> temporaries;
  auto remove_temporaries = [&] {
    for (std::size_t i = 0; i < temporaries.size(); ++i) {
      (void)calls::RemoveEntry(holders[i], temporaries[i]);
    }
  };
  auto fail = [&](const char* operation, const std::string& name, const std::string& why) {
    remove_temporaries();
    throw InputError(operation, name, 0, why, "");
  };
  for (const OutputFile* file : unique) {
    if (!UsableName(file->name)) fail("create", file->name, "invalid file name");
    std::string base;
    std::string why;
    const calls::Folder folder = OpenHolder(file->name, true, &base, &why);
    if (folder == calls::kNoFolder) fail("create", file->name, why);
    holders.push_back(held.Hold(folder));
    bases.push_back(base);
    RemoveLeftovers(folder, base);
    std::string temporary;
    bool create_failed = false;
    const int error = WriteTemporary(folder, base, file->bytes, &temporary, &create_failed);
    if (!temporary.empty()) temporaries.push_back(temporary);
    if (error != 0) fail(create_failed ? "create" : "write", file->name, ErrnoText(error));
  }
  // A folder in the way would make its rename fail after earlier files were replaced.
  for (std::size_t i = 0; i < unique.size(); ++i) {
    if (calls::KindOf(holders[i], bases[i]) == calls::EntryKind::kFolder) {
      fail("create", unique[i]->name, ErrnoText(EISDIR));
    }
  }
  std::vector<std::string> removed;
  try {
    for (const std::string& name : removals) {
      if (RemoveFile(name)) removed.push_back(name);
    }
  } catch (const InputError&) {
    remove_temporaries();
    throw;
  }
  for (std::size_t i = 0; i < unique.size(); ++i) {
    const int error = calls::RenameEntry(holders[i], temporaries[i], bases[i]);
    if (error != 0) {
      for (std::size_t k = i; k < temporaries.size(); ++k) {
        (void)calls::RemoveEntry(holders[k], temporaries[k]);
      }
      throw InputError("write", unique[i]->name, 0, ErrnoText(error), "");
    }
  }
  for (const calls::Folder folder : holders) calls::SyncFolder(folder);
  return removed;
}

bool FileSystem::RemoveFile(const std::string& name) {
  throw InputError("remove", name, 0, "this folder cannot remove files", "");
}

EntryKind FileSystem::KindOf(const std::string& name) {
  std::string bytes;
  return ReadFile(name, &bytes) ? EntryKind::kFile : EntryKind::kNone;
}

EntryKind DiskFileSystem::KindOf(const std::string& name) {
  std::string base;
  std::string why;
  if (!UsableName(name)) return EntryKind::kNone;
  const calls::Folder folder = OpenHolder(name, false, &base, &why);
  if (folder == calls::kNoFolder) return why.empty() ? EntryKind::kNone : EntryKind::kOther;
  const calls::EntryKind kind = calls::KindOf(folder, base);
  calls::CloseFolder(folder);
  switch (kind) {
    case calls::EntryKind::kNone:
      return EntryKind::kNone;
    case calls::EntryKind::kFile:
      return EntryKind::kFile;
    case calls::EntryKind::kFolder:
      return EntryKind::kFolder;
    case calls::EntryKind::kLink:
    case calls::EntryKind::kOther:
      break;
  }
  return EntryKind::kOther;
}

bool DiskFileSystem::RemoveFile(const std::string& name) {
  std::string base;
  std::string why;
  if (!UsableName(name)) return false;
  const calls::Folder folder = OpenHolder(name, false, &base, &why);
  if (folder == calls::kNoFolder) {
    if (why.empty()) return false;  // no such folder
    throw InputError("remove", name, 0, why, "");
  }
  HeldFolders held;
  held.Hold(folder);
  const calls::EntryKind kind = calls::KindOf(folder, base);
  if (kind == calls::EntryKind::kNone || kind == calls::EntryKind::kFolder) return false;
  const int error = calls::RemoveEntry(folder, base);
  if (error == 0) return true;
  if (error == ENOENT) return false;
  throw InputError("remove", name, 0, ErrnoText(error), "");
}

std::vector<std::string> FileSystem::ReplaceFiles(const std::vector<OutputFile>& files,
                                                  const std::vector<std::string>& removals) {
  std::vector<std::string> removed;
  for (const std::string& name : removals) {
    if (RemoveFile(name)) removed.push_back(name);
  }
  WriteFiles(files);
  return removed;
}

EntryKind KindOfNamedPath(const std::string& path) {
  if (!UsableName(path)) return EntryKind::kNone;
  int error = 0;
  const calls::Folder folder = calls::OpenFolder(path, &error);
  if (folder != calls::kNoFolder) {
    calls::CloseFolder(folder);
    return EntryKind::kFolder;
  }
  unsigned long long device = 0;
  unsigned long long inode = 0;
  if (!calls::IdentityOf(path, &device, &inode)) return EntryKind::kNone;
  std::string bytes;
  std::uint64_t size = 0;
  error = calls::ReadRegularFile(path, 0, &bytes, &size);
  return error == 0 || error == EFBIG ? EntryKind::kFile : EntryKind::kOther;
}

std::string TrimFileName(const std::string& name) {
  std::size_t begin = name.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  std::size_t end = name.find_last_not_of(' ');
  return name.substr(begin, end - begin + 1);
}

}  // namespace pedprep
