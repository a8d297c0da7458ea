// The files of an input folder for a run, made from a prepared pedigree (bytes only; the
// caller writes them all-or-nothing). Every record ends with CR LF.
//
//   PEDIGREE.PRN           2I5 header ND NRAC; seven text lines; ND records 7I5:
//                          family individual father mother breed sex ini_id
//   DEF.DAT                five records: title, marker file name, two notes (each at most
//                          20 bytes, left-aligned), ITR (I2)
//   database/pedigree.dat  I5 NDAT; NDAT records 6I5: id sire dam breed nation sex
//                          (record k is initial identifier k)
//   database/markers.dat   header I5,20I3: N NTR 1 2 .. NTR; N records 20I5: ini_id and
//                          NTR values (a record of more than 20 fields goes on in the next)
//   ids.csv                RFC 4180: ini_id,id,family,individual,added,note and, when the
//                          herd book has a birth column, born (the year, empty if unknown)
// Example (two founders and their son, breeds A and B):
//       3    2
//   ...seven text lines...
//       1    1    0    0    1    1    1
//       1    2    0    0    2    2    2
//       1    3    1    2    0    1    3
#ifndef PEDPREP_IMPORT_INPUT_FOLDER_WRITER_H_
#define PEDPREP_IMPORT_INPUT_FOLDER_WRITER_H_

#include <string>
#include <vector>

#include "import/pedigree_builder.h"
#include "records/file_system.h"

namespace pedprep {

struct FolderTexts {
  std::string herdbook_name;                // shown in the title lines
  std::vector<std::string> marker_names;    // marker columns, in order (at most 20)
  std::string marker_file = "MARKERS.BIN";  // at most 20 bytes
  int select = 1;                           // ITR, 1..20
};

// File names in the order they are returned.
extern const char* const kImportedFiles[5];

std::vector<OutputFile> InputFolderFiles(const PreparedPedigree& pedigree,
                                         const FolderTexts& texts);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_INPUT_FOLDER_WRITER_H_
