#include "core/run_files.h"

#include <vector>

#include "records/text_case.h"

namespace pedprep {
namespace {

// The folder's own files, lower case: writing the marker file under one of these names would
// destroy an input, the id map or the run record, or replace another output.
constexpr std::string_view kRunFiles[] = {"pedigree.prn",
                                          "def.dat",
                                          "database/pedigree.dat",
                                          "database/markers.dat",
                                          "ped.dat",
                                          "pedigree",
                                          "id.pe",
                                          "pedprep.run",
                                          "ids.csv"};

}  // namespace

std::string MarkerFileNameProblem(std::string_view name) {
  if (name.empty()) return "the marker file name is empty";
  if (name.find('\0') != std::string_view::npos) return "the marker file name holds a zero byte";
  if (name.front() == '/' || name.front() == '\\') return "the marker file name is absolute";
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') {
      return "the marker file name holds a control byte";
    }
  }
  if (name.back() == '/' || name.back() == '\\') return "the marker file name names a folder";

  std::vector<std::string> components(1);
  for (char c : name) {
    if (c == '/' || c == '\\') {
      components.emplace_back();
    } else {
      components.back() += AsciiLower(c);
    }
  }
  std::string normalized;
  for (const std::string& component : components) {
    if (component == "..") return "the marker file name leads out of the folder (\"..\")";
    if (component.empty() || component == ".") continue;
    if (!normalized.empty()) normalized += '/';
    normalized += component;
  }
  if (normalized == "database" || normalized.empty()) {
    return "the marker file name names a folder";
  }
  for (std::string_view own : kRunFiles) {
    if (normalized == own) return "the marker file name is that of an input or output of the run";
  }
  return "";
}

}  // namespace pedprep
