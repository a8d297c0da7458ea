#include "testing/loop_folders.h"

#include <string>
#include <vector>

#include "testing/run_folder.h"
#include "testing/test_run.h"

namespace pedprep::testing {

MemoryFileSystem LoopFolder() {
  MemoryFileSystem folder;
  PutCleanInputs(folder);
  folder.files["PEDIGREE.PRN"] = PassportText(7, 2,
                                              {{1, 1, 0, 0, 1, 1, 1},
                                               {1, 2, 0, 0, 2, 2, 2},
                                               {1, 3, 1, 2, 0, 1, 3},
                                               {1, 4, 1, 2, 0, 2, 4},
                                               {1, 5, 3, 4, 0, 1, 5},
                                               {1, 6, 0, 0, 1, 2, 6},
                                               {1, 7, 5, 6, 0, 2, 7}});
  std::string database = "    7\r\n";
  for (int id = 1; id <= 7; ++id) {
    database +=
        "    " + std::to_string(id) + "    0    0    1    " + (id == 4 ? "9" : "1") + "    1\r\n";
  }
  folder.files["database/pedigree.dat"] = database;
  folder.files["ids.csv"] = "ini_id,id,family,individual,added\r\n1,\"SIRE \"\"A\"\"\",1,1,0\r\n";
  return folder;
}

MemoryFileSystem TwoLoopFolder() {
  MemoryFileSystem folder = LoopFolder();
  const std::vector<PassportRow> rows = {
      {1, 1, 0, 0, 1, 1, 1}, {1, 2, 0, 0, 2, 2, 2},   {1, 3, 1, 2, 0, 1, 3},  {1, 4, 1, 2, 0, 2, 4},
      {1, 5, 3, 4, 0, 1, 5}, {1, 6, 1, 2, 0, 2, 6},   {1, 7, 5, 6, 0, 2, 7},  {1, 8, 0, 0, 1, 1, 8},
      {1, 9, 8, 7, 0, 1, 9}, {1, 10, 3, 4, 0, 2, 10}, {1, 11, 5, 6, 0, 1, 11}};
  folder.files["PEDIGREE.PRN"] = PassportText(11, 2, rows);
  std::string database = "   11\r\n";
  for (int id = 1; id <= 11; ++id) {
    database += "    " + std::to_string(id) + "    0    0    1    1    1\r\n";
  }
  folder.files["database/pedigree.dat"] = database;
  return folder;
}

}  // namespace pedprep::testing
