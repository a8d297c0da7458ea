#include "testing/fakes.h"

#include "records/input_error.h"

namespace pedprep {

bool MemoryFileSystem::ReadFile(const std::string& name, std::string* contents) {
  auto it = files.find(name);
  if (it == files.end()) return false;
  *contents = it->second;
  return true;
}

bool MemoryFileSystem::RemoveFile(const std::string& name) {
  if (unwritable.count(name) != 0) throw InputError("remove", name, 0, "Permission denied", "");
  return files.erase(name) > 0;
}

void MemoryFileSystem::WriteFiles(const std::vector<OutputFile>& out) {
  (void)ReplaceFiles(out, {});
}

std::vector<std::string> MemoryFileSystem::ReplaceFiles(const std::vector<OutputFile>& out,
                                                        const std::vector<std::string>& removals) {
  for (const OutputFile& file : out) {
    if (unwritable.count(file.name) != 0 || file.name.empty() ||
        file.name.find('\0') != std::string::npos) {
      throw InputError("create", file.name, 0, "Permission denied", "");
    }
  }
  std::vector<std::string> removed;
  for (const std::string& name : removals) {
    if (RemoveFile(name)) removed.push_back(name);
  }
  for (const OutputFile& file : out) files[file.name] = file.bytes;
  return removed;
}

void CapturingConsole::WriteLine(std::string_view line) {
  output += line;
  output += '\n';
}

std::optional<std::string> CapturingConsole::ReadLine() {
  if (answers_used >= answers.size()) return std::nullopt;
  return answers[answers_used++];
}

}  // namespace pedprep
