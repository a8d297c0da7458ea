// The one guard of every file the user names for a command's output (report -o, draw -o,
// import --problems): such a file is never a file of a run's folder, never an input of the
// command, never inside a folder the command writes, however it is named (through "..",
// symbolic or hard links: files are compared by device and inode). A name of a character
// device or a named pipe ("/dev/null", a FIFO, "/dev/stdout") is written directly and "-" is
// standard output; any other file is written whole under a temporary name and renamed into
// place; a symbolic link or another special file at the name is refused, never replaced.
#ifndef PEDPREP_CORE_OUTPUT_GUARD_H_
#define PEDPREP_CORE_OUTPUT_GUARD_H_

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "records/file_system.h"

namespace pedprep {

class OutputGuard {
 public:
  // `named_files`: the files as the user names them (relative to the current folder);
  // `command`: who reads the inputs, for messages ("the import").
  OutputGuard(FileSystem& named_files, std::string command)
      : named_(named_files), command_(std::move(command)) {}

  // Keeps the files of the run's folder `folder` (named `folder_name` in messages): its inputs
  // and outputs, its run record, ids.csv and the marker file its DEF.DAT names, existing or
  // not (a name in the folder is compared ignoring case).
  void KeepFolderFiles(FileSystem& folder, const std::string& folder_name);
  // Keeps every file inside `folder`, at any depth.
  void KeepFolder(FileSystem& folder, const std::string& folder_name);
  // Keeps an input of the command, as the user named it.
  void KeepInput(const std::string& name);

  // "" when the output `name` may be written; otherwise why not ("it is h/DEF.DAT, a file of
  // the run's folder").
  std::string Refusal(const std::string& name);

  // Writes `bytes` to `name` as above ("-" to `out`). Throws InputError("write", name, 0,
  // reason, "") when it is refused or cannot be written; nothing is changed then.
  void Write(const std::string& name, const std::string& bytes, std::ostream& out);

 private:
  struct Kept {
    FileSystem* folder;
    std::string name;
    bool whole;
  };
  std::string FolderFileRefusal(const Kept& kept, const std::string& name,
                                const FileIdentity* target);

  FileSystem& named_;
  std::string command_;
  std::vector<Kept> folders_;
  std::vector<std::string> inputs_;
};

// The files of a run's folder as OutputGuard keeps them, the marker file `folder`'s DEF.DAT
// names among them.
std::vector<std::string> RunFolderFiles(FileSystem& folder);

}  // namespace pedprep

#endif  // PEDPREP_CORE_OUTPUT_GUARD_H_
