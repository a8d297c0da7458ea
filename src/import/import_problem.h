// The faults found in herd books and in the pedigree they make, and their words.
#ifndef PEDPREP_IMPORT_IMPORT_PROBLEM_H_
#define PEDPREP_IMPORT_IMPORT_PROBLEM_H_

#include <cstdint>
#include <string>

namespace pedprep {

// What is wrong. Problems of one kind in one `group` and one file are summed up past their
// first few lines; kFile and the capacities of the run are never summed up.
enum class ProblemKind : int8_t {
  kFile,  // the file as a whole: not text, malformed quoting, no animals
  kMissingColumn,
  kNoHeader,
  kFieldCount,
  kEmptyId,
  kIdIsMissingCode,
  kUnknownSex,
  kNotInteger,
  kOutOfRange,
  kNotYear,
  kNotDate,
  kMissingWord,  // a parent named without a row whose name reads like a code for unknown
  kConflictingDuplicate,
  kUsedAsSireAndDam,
  kSexConflict,
  kAncestryCycle,
  kNoSex,
  kNoBreed,
  kKeepIdUnknown,
  kBreedMapLine,
  kBreedLegend,  // the breed names do not fit the note lines of PEDIGREE.PRN
  // The capacities of the run (line 0, after every other problem).
  kTooManyAnimals,
  kTooManyFamilies,
  kTooManyBreeds,
  kTooManyCopies,
  kTooManyRows,  // animals and their expected copies
};
bool IsCapacity(ProblemKind kind);
// The kind counted in a sum ("values out of range"); "" for kinds never summed up.
const char* ProblemPlural(ProblemKind kind);

// A fault in the data, reported as "FILE:LINE: message" (just "FILE: message" when line is 0).
// Problems of one `group` (the same kind in the same column, e.g. "marker \"yob\"") and one
// file are shown for their first few lines and then summed up as "N more " + ProblemPlural.
struct ImportProblem {
  std::string file;
  long line = 0;
  std::string message;
  std::string id;     // the animal concerned ("" for none)
  std::string group;  // "" when the kind needs no column to name it
  ProblemKind kind = ProblemKind::kFile;
};
// The problem as one line; control bytes (a line end inside an id, escape sequences) are
// shown as \xHH so that a problem never spans lines or drives the terminal.
std::string FormatProblem(const ImportProblem& problem);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_IMPORT_PROBLEM_H_
