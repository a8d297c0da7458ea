#include "import/import_problem.h"

#include "records/escape.h"

namespace pedprep {

bool IsCapacity(ProblemKind kind) { return kind >= ProblemKind::kTooManyAnimals; }

const char* ProblemPlural(ProblemKind kind) {
  switch (kind) {
    case ProblemKind::kMissingColumn:
      return "missing columns";
    case ProblemKind::kNoHeader:
      return "no header";
    case ProblemKind::kFieldCount:
      return "rows with another number of fields";
    case ProblemKind::kEmptyId:
      return "empty ids";
    case ProblemKind::kIdIsMissingCode:
      return "ids that are codes for unknown animals";
    case ProblemKind::kUnknownSex:
      return "unknown sex codes";
    case ProblemKind::kNotInteger:
      return "values not integers";
    case ProblemKind::kOutOfRange:
      return "values out of range";
    case ProblemKind::kNotYear:
      return "values without a year";
    case ProblemKind::kNotDate:
      return "impossible dates";
    case ProblemKind::kConflictingDuplicate:
      return "conflicting duplicate rows";
    case ProblemKind::kUsedAsSireAndDam:
      return "animals used as sire and as dam";
    case ProblemKind::kSexConflict:
      return "sex conflicts";
    case ProblemKind::kAncestryCycle:
      return "ancestry cycles";
    case ProblemKind::kNoSex:
      return "animals without sex";
    case ProblemKind::kNoBreed:
      return "founders without breed";
    case ProblemKind::kKeepIdUnknown:
      return "ids not in the herd book";
    case ProblemKind::kBreedMapLine:
      return "lines without two labels";
    default:
      return "";
  }
}

std::string FormatProblem(const ImportProblem& problem) {
  if (problem.line == 0) return EscapeControlBytes(problem.file + ": " + problem.message);
  return EscapeControlBytes(problem.file + ":" + std::to_string(problem.line) + ": " +
                            problem.message);
}

}  // namespace pedprep
