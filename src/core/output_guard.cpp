#include "core/output_guard.h"

#include <algorithm>

#include "core/run_files.h"
#include "records/escape.h"
#include "records/input_error.h"

namespace pedprep {
namespace {

#if defined(_WIN32)
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif
// Folders above an output compared with a kept folder.
constexpr int kMaxFolderDepth = 256;

std::string Joined(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The folder holding `name` ("." for a bare name) and its last component.
std::pair<std::string, std::string> Split(const std::string& name) {
  const std::size_t slash = name.find_last_of(kSeparators);
  if (slash == std::string::npos) return {".", name};
  return {name.substr(0, slash == 0 ? 1 : slash), name.substr(slash + 1)};
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

// The marker file record 2 of `folder`'s DEF.DAT names, when the run would accept the name.
std::string MarkerFileOf(FileSystem& folder) {
  std::string definition;
  if (!folder.ReadFile(kDefinitionFile, &definition)) return "";
  const std::size_t first_end = definition.find_first_of("\r\n");
  if (first_end == std::string::npos) return "";
  std::size_t begin = first_end + 1;
  if (definition[first_end] == '\r' && begin < definition.size() && definition[begin] == '\n') {
    ++begin;
  }
  const std::size_t end = std::min(definition.find_first_of("\r\n", begin), definition.size());
  const std::string marker = TrimFileName(definition.substr(begin, end - begin));
  return MarkerFileNameProblem(marker).empty() ? marker : "";
}

}  // namespace

std::vector<std::string> RunFolderFiles(FileSystem& folder) {
  std::vector<std::string> files = {kPassportFile,   kDefinitionFile,    kDatabasePedigreeFile,
                                    kMarkerDataFile, kPedigreeTableFile, kPedigreeBinaryFile,
                                    kIdentifierFile, kRunRecordFile,     kIdsFile};
  const std::string marker = MarkerFileOf(folder);
  if (!marker.empty()) files.push_back(marker);
  return files;
}

void OutputGuard::KeepFolderFiles(FileSystem& folder, const std::string& folder_name) {
  folders_.push_back({&folder, folder_name, false});
}

void OutputGuard::KeepFolder(FileSystem& folder, const std::string& folder_name) {
  folders_.push_back({&folder, folder_name, true});
}

void OutputGuard::KeepInput(const std::string& name) {
  if (!name.empty() && name != "-") inputs_.push_back(name);
}

std::string OutputGuard::FolderFileRefusal(const Kept& kept, const std::string& name,
                                           const FileIdentity* target) {
  const std::string shown = kept.name.empty() ? "." : kept.name;
  FileIdentity folder;
  if (!kept.folder->Identify("", &folder)) return "";
  const auto [above, base] = Split(name);
  if (kept.whole) {
    std::string up = above;
    FileIdentity previous;
    for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
      FileIdentity here;
      if (!named_.Identify(up, &here) || (depth > 0 && here == previous)) break;
      if (here == folder) return "it lies inside the output folder " + shown;
      previous = here;
      up += "/..";
    }
    return "";
  }
  FileIdentity holder;
  const bool held = named_.Identify(above, &holder);
  for (const std::string& file : RunFolderFiles(*kept.folder)) {
    FileIdentity identity;
    const auto [file_folder, file_base] = Split(file);
    FileIdentity file_holder;
    const bool same_file =
        target != nullptr && kept.folder->Identify(file, &identity) && identity == *target;
    // A file of the folder not there yet, or named in another letter case.
    const bool same_name =
        held && SameIgnoringCase(base, file_base) &&
        kept.folder->Identify(file_folder == "." ? "" : file_folder, &file_holder) &&
        file_holder == holder;
    if (same_file || same_name)
      return "it is " + Joined(kept.name, file) + ", a file of the folder " + shown;
  }
  return "";
}

std::string OutputGuard::Refusal(const std::string& name) {
  if (name == "-") return "";
  FileIdentity target;
  const bool exists = named_.Identify(name, &target);
  for (const std::string& input : inputs_) {
    FileIdentity other;
    if (exists && named_.Identify(input, &other) && other == target) {
      return "it is " + input + ", an input of " + command_;
    }
  }
  for (const Kept& kept : folders_) {
    const std::string refusal = FolderFileRefusal(kept, name, exists ? &target : nullptr);
    if (!refusal.empty()) return refusal;
  }
  return "";
}

void OutputGuard::Write(const std::string& name, const std::string& bytes, std::ostream& out) {
  if (name == "-") {
    out << bytes;
    out.flush();
    if (!out) throw InputError("write", "standard output", 0, "it cannot be written", "");
    return;
  }
  const std::string refusal = Refusal(name);
  if (!refusal.empty()) {
    throw InputError("write", name, 0, EscapeControlBytes(refusal) + "; nothing written", "");
  }
  switch (named_.TargetOf(name)) {
    case TargetKind::kStream:
      named_.WriteStream(name, bytes);
      return;
    case TargetKind::kLink:
      throw InputError("write", name, 0,
                       "it is a symbolic link; name the file it points to (nothing written)", "");
    case TargetKind::kOther:
      throw InputError("write", name, 0, "it is a special file; nothing written", "");
    case TargetKind::kNone:
    case TargetKind::kFile:
    case TargetKind::kFolder:
      break;
  }
  named_.WriteFiles({{name, bytes}});
}

}  // namespace pedprep
