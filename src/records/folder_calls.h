// The operating system's calls on folders that DiskFileSystem makes, in one place: a folder
// is held open and every file is reached from it by one name component, so that no symbolic
// link on the way is followed. Another platform replaces folder_calls.cpp alone.
//
// Results: a Folder is a held-open folder or kNoFolder; the int results are 0 or the error
// number (errno) of the failing step.
#ifndef PEDPREP_RECORDS_FOLDER_CALLS_H_
#define PEDPREP_RECORDS_FOLDER_CALLS_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pedprep::folder_calls {

using Folder = int;
inline constexpr Folder kNoFolder = -1;

// Reads the regular file `path` (links followed; never waiting on a named pipe) into
// *contents. 0 when read; EFBIG when it holds more than `limit` bytes (*size: how many,
// nothing kept); EINVAL when it is no regular file, another error number when it cannot be
// read. With `pipes` a pipe (a named one, or /dev/fd/N of a shell's "<(...)") is read too,
// to its end, waiting for its writer as any reader of a pipe does (POSIX only).
int ReadRegularFile(const std::string& path, std::uint64_t limit, std::string* contents,
                    std::uint64_t* size, bool pipes = false);

// Opens the folder `path` as the user named it (links followed); kNoFolder and *error when
// it cannot be opened.
Folder OpenFolder(const std::string& path, int* error);
// Opens the entry `name` (one name component) of `folder` as a folder, never through a
// symbolic link; with `create` a missing one is made first. kNoFolder and *error (ELOOP or
// ENOTDIR for a link or a file) when it cannot be opened.
Folder OpenSubfolder(Folder folder, const std::string& name, bool create, int* error);
void CloseFolder(Folder folder);

enum class EntryKind { kNone, kFile, kFolder, kLink, kOther };
// What `name` in `folder` is, a link not followed.
EntryKind KindOf(Folder folder, const std::string& name);

// Creates the new file `name` in `folder` (never an existing entry, never through a link)
// and writes `bytes` to it, flushed to the disk. EEXIST when the name is taken.
int WriteNewFile(Folder folder, const std::string& name, std::string_view bytes, bool* created);
int RenameEntry(Folder folder, const std::string& from, const std::string& to);
// Removes the entry `name` (a link itself, never what it points to; not a folder).
int RemoveEntry(Folder folder, const std::string& name);
// Flushes the folder's entries (renames into it) to the disk; failures are not reported.
void SyncFolder(Folder folder);
// The names in `folder` (without "." and ".."); empty when it cannot be listed.
std::vector<std::string> ListFolder(Folder folder);

// Takes an flock on `folder` (shared or exclusive), waiting up to `wait` while another
// process holds a conflicting one. 0 when taken, EWOULDBLOCK after the wait, another error
// number where the file system has no locks.
// *folder may be replaced by another handle of the same folder that holds the lock (Windows).
int LockFolder(Folder* folder, bool shared, std::chrono::milliseconds wait);

// The characters that separate the folders of a path; whether `path` is absolute (on Windows
// also "C:..." and "\\server\...").
#if defined(_WIN32)
inline constexpr const char* kSeparators = "/\\";
#else
inline constexpr const char* kSeparators = "/";
#endif
bool IsAbsolute(const std::string& path);

// Creates the missing folders above `path` (the user's path, links followed); 0 or the error
// number of the failing step (ENOTDIR where a file stands in the way).
int MakeParentFolders(const std::string& path);

// This process's id; whether process `pid` no longer exists.
long ProcessId();
bool ProcessGone(long pid);

// What a file the user named as an output is: kNone, kFile or kFolder (never through a link
// at the end); kStream for a character device or a named pipe, also reached through links, and
// for any entry under /dev/ or /proc/ (/dev/stdout); kLink for another symbolic link; kOther
// for another special file.
enum class OutputKind { kNone, kFile, kFolder, kStream, kLink, kOther };
OutputKind OutputKindOf(const std::string& path);
// Writes `bytes` to the existing stream `path` (opened for appending, never created); 0 or
// the error number.
int WriteToStream(const std::string& path, std::string_view bytes);

// The process ids holding a lock on `folder` and, for each, its command line (arguments
// separated by blanks; "" when it cannot be seen). Empty where the system does not tell.
std::vector<std::pair<long, std::string>> LockHolders(Folder folder);

// The device and inode of what `path` names (links followed); false when there is nothing.
bool IdentityOf(const std::string& path, unsigned long long* device, unsigned long long* inode);

}  // namespace pedprep::folder_calls

#endif  // PEDPREP_RECORDS_FOLDER_CALLS_H_
