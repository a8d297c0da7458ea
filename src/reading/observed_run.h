// The preparation run in memory on a folder's inputs, with an observer that records what the
// stages did, for `pedprep report` and `pedprep draw`.
//
// The run reads the folder and writes nothing to it: it builds no outputs (nobody reads
// them; RunContext::write_outputs), what it shows on its console is dropped (the tools take
// what the stages did from the observer, never from that text), it never pauses (batch).
#ifndef PEDPREP_READING_OBSERVED_RUN_H_
#define PEDPREP_READING_OBSERVED_RUN_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/pedigree_store.h"
#include "core/run_context.h"
#include "core/stop.h"
#include "records/console.h"
#include "records/file_system.h"
#include "records/input_folder.h"

namespace pedprep {

// A loop-break copy. Numbers are those of ped.dat when the run finished, else those of the
// structure analysis. Positions are final store positions (0 when the run stopped first).
struct LoopCopy {
  int32_t family = 0;
  int32_t copy = 0;
  int32_t original = 0;  // the copied individual (itself a copy when a copy was copied)
  int32_t ini_id = 0;
  int32_t father = 0;  // the nuclear family whose children received the copy (0 = unknown)
  int32_t mother = 0;
  int32_t copy_position = 0;
  int32_t original_position = 0;
};

// A parent copy of the reconstruction; numbers as in ped.dat. `position`: the copy's store
// position (0 when the run stopped before it was placed).
struct ParentCopy {
  int32_t family = 0;
  int32_t copy = 0;
  int32_t original = 0;
  int32_t ini_id = 0;
  int32_t made_for = 0;
  int32_t position = 0;
};

// A family of the pedigree as read and the loop-break copies it needs at least.
struct FamilyNeed {
  int32_t family = 0;  // family number
  int32_t animals = 0;
  int32_t copies = 0;  // E - V + C (reading/loop_count.h)
};

struct FamilyCounts {
  int32_t family = 0;
  int32_t read = 0;    // animals of the passport file
  int32_t loop = 0;    // loop-break copies
  int32_t parent = 0;  // parent copies
  int32_t rows = 0;    // rows at the end (ped.dat), or after the analysis when stopped
};

// The sums over the families (`family` 0).
FamilyCounts TotalCounts(const std::vector<FamilyCounts>& families);

// The rows of ids.csv by INI_ID (empty without one).
using IdTable = std::map<int32_t, IdsRow>;

// The console of a run in memory: drops what the run shows; no input (the run never pauses).
class DroppingConsole : public Console {
 public:
  void WriteLine(std::string_view /*line*/) override {}
  std::optional<std::string> ReadLine() override { return std::nullopt; }
  bool InputIsTerminal() const override { return false; }
};

// A run in memory runs no command.
class NoCommandRunner : public CommandRunner {
 public:
  void Run(const std::string& /*command*/) override {}
};

struct ObservedRun {
  ObservedRun(const ObservedRun&) = delete;
  ObservedRun& operator=(const ObservedRun&) = delete;
  ObservedRun() = default;

  int status = 0;                         // RunPedprep's exit status
  std::optional<InputError> input_error;  // what the run could not read or write (status 2)
  std::optional<StopReason> stop;         // why the run stopped, when status is 1
  bool structure_done = false;            // the structure analysis ran to its end

  std::vector<LoopCopy> loop_copies;  // in the order made
  std::vector<ParentCopy> parent_copies;
  std::vector<FamilyCounts> families;  // when the analysis ended (even stopped), by family
  std::vector<FamilyNeed> needs;       // by family, when the passport checks passed
  int32_t animals_read = 0;            // ND of the passport file

  // What the run passes over in silence.
  int32_t records_after_count = 0;              // non-blank PEDIGREE.PRN records after the ND-th
  bool markers_checked = false;                 // the marker matching ran
  std::vector<int32_t> unmatched_marker_ids;    // KOD of marker records matching no INI_ID
  std::vector<int32_t> animals_without_marker;  // INI_IDs with no marker record

  // The passport's records as the blood step left them: [p] for positions p = 1..ND in file
  // order, with their final breed fractions ([0] unused). Empty when the run stopped before
  // the blood step ended.
  std::vector<StoreRow> blood_rows;

  IdTable ids;

  // What the run worked on; `run` refers to the three before it.
  DroppingConsole console;
  NoCommandRunner shell;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<RunContext> run;  // the store as the run left it

  // Whether ids.csv marks the INI_ID as a dummy parent the import added.
  bool IsDummy(int32_t ini_id) const {
    auto it = ids.find(ini_id);
    return it != ids.end() && it->second.added == kAddedDummy;
  }
  // The year of birth ids.csv gives the INI_ID (none when empty or not a number).
  std::optional<int32_t> BirthYear(int32_t ini_id) const;
  // Whether ids.csv gives any year of birth.
  bool HasBirthYears() const;
  std::string Id(int32_t ini_id) const {
    auto it = ids.find(ini_id);
    return it == ids.end() ? std::string() : it->second.id;
  }
};

// Runs the product stages on `folder`'s inputs. A malformed ids.csv throws InputError (read
// of ids.csv, its line and the problem).
std::unique_ptr<ObservedRun> ObserveRun(FileSystem& folder);

// Whether a run on `folder`'s current inputs would write its outputs (false also when an
// input, ids.csv included, cannot be read).
bool RunFinishes(FileSystem& folder);

// ObserveRun, except that an input file the run cannot read (an InputError, or a run ended
// by one) is reported on `err` and gives nullptr.
std::unique_ptr<ObservedRun> ObserveRunOrReport(FileSystem& folder, std::ostream& err);

}  // namespace pedprep

#endif  // PEDPREP_READING_OBSERVED_RUN_H_
