#include "testing/run_folder.h"

#include "testing/fakes.h"
#include "testing/test_run.h"

namespace pedprep::testing {

const std::vector<std::string>& CleanOutputNames() {
  static const std::vector<std::string> names = {"ped.dat", "PEDIGREE", "ID.PE", "MARKER.DAT"};
  return names;
}

std::string CleanPassport() {
  return PassportText(8, 2,
                      {{1, 1, 0, 0, 1, 1, 1},
                       {1, 2, 0, 0, 2, 2, 2},
                       {1, 3, 1, 2, 0, 1, 3},
                       {1, 4, 1, 2, 0, 2, 4},
                       {1, 5, 3, 4, 0, 1, 5},
                       {2, 1, 0, 0, 2, 1, 6},
                       {2, 2, 0, 0, 1, 2, 7},
                       {2, 3, 1, 2, 0, 2, 8}});
}

std::string CleanDatabase() {
  std::string text = "    8\r\n";
  for (int id = 1; id <= 8; ++id) {
    const int nation = id <= 5 ? 9 : 1;
    text +=
        "    " + std::to_string(id) + "    0    0    1    " + std::to_string(nation) + "    1\r\n";
  }
  return text;
}

std::string CleanDefinition() {
  return "Test herd book\r\nMARKER.DAT\r\nsecond of three loci\r\nnotes\r\n 2\r\n";
}

std::string CleanMarkers() {
  return "    3  3  1  2  3\r\n"
         "    1   10   11   12\r\n"
         "    5   50   51   52\r\n"
         "    7   70   71   72\r\n";
}

void PutCleanInputs(MemoryFileSystem& files) {
  files.files["PEDIGREE.PRN"] = CleanPassport();
  files.files["database/pedigree.dat"] = CleanDatabase();
  files.files["DEF.DAT"] = CleanDefinition();
  files.files["database/markers.dat"] = CleanMarkers();
}

std::vector<std::string> OutputsPresent(const MemoryFileSystem& files) {
  std::vector<std::string> present;
  for (const std::string& name : CleanOutputNames()) {
    if (files.files.count(name) != 0) present.push_back(name);
  }
  return present;
}

std::string FolderRun::TableCount() const {
  auto it = files.files.find("ped.dat");
  return it == files.files.end() ? "" : it->second.substr(0, it->second.find('\r'));
}

}  // namespace pedprep::testing
