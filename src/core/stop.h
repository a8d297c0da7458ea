// The two ways a run ends early: stop, or pause then stop.
//
// A stage that stops describes why in a StopReason: its kind and where (family, data line,
// the numbers involved). Stop() writes the stop's message, formatted from the reason by
// WriteStopMessage (the one place that holds the messages' text), and unwinds to the run
// driver by throwing RunStopped with the reason; the driver then writes
// "Stop - Program terminated.", tells the run's observer the reason, and the run's exit
// status is 1 (a failed run). Readers of a run (the report, the drawing) take the reason
// from there, never from the console text.
#ifndef PEDPREP_CORE_STOP_H_
#define PEDPREP_CORE_STOP_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pedprep {

class Console;
struct RunContext;

enum class StopKind : uint8_t {
  kUnknown,  // a stop raised without a reason (tests)
  // The passport file's header.
  kHeaderTooManyAnimals,  // count: ND, above 24,096
  kHeaderNoAnimals,       // count: ND, 0 or below
  kHeaderBreeds,          // count: NRAC, outside 0..10
  // A passport record (line: its data line).
  kOneParentKnown,
  kBreedZeroWithoutParents,
  kFamilyNumbering,  // line: the first data line whose family number breaks the run 1, 2, ...
  // The passport checks.
  kTooManyFamilies,  // count: the families of the file
  kPassportErrors,   // findings: what the checks found
  // The blood step.
  kUnresolvedBlood,  // positions: the data lines whose fractions were not found
  // The structure analysis (family_index, family: the family under analysis).
  kQueueOverflow,       // count: which append met the full queue (1..4)
  kSearchExhausted,     // the search's queue ran out without a loop
  kNoLoopAtParent,      // a loop met at an individual who is no parent there, then no other
  kBackLinkExhausted,   // the queue ran out behind a back-link (peeling-test mode 1)
  kIndividualNotFound,  // number: the parent number that names no member
  kLoopCopyRows,        // a loop-break copy would take the store past 24,096 rows
  kLoopCopyLimit,       // the 4,097th loop-break copy
  kCrossOverflow,       // a nuclear family with more than 300 children (peeling test)
  kIncorrectMode,       // a peeling-test mode other than -1, 0, 1
  kNothingToDo,         // a loop search with every family peeled
  // The reconstruction (family_index: the family; line: the copy's position).
  kParentCopyRows,  // a parent copy would take the store past 24,096 rows
  kNoCopySource,    // a copy whose original the family no longer holds
  // The marker merge.
  kMarkerDefinition,
};

// One finding of the passport checks (TESTSEX), in the order they were written.
struct PassportFinding {
  enum class Kind : uint8_t {
    kFamilyNumber,  // the row at `position` does not carry family number `family_index`
    kNumeration,    // member `member` carries individual number `number`
    kFatherNumber,  // member `member` names a father number beyond the family
    kMotherNumber,  // ... a mother number beyond the family
    kSexCode,       // individual `number` has a sex code other than 1 or 2
    kSexRole,       // individual `number` is a parent in the role of the other sex
  };
  Kind kind = Kind::kFamilyNumber;
  int32_t family_index = 0;  // s of INS
  int32_t position = 0;      // the member's position in the store
  int32_t member = 0;        // its place within the family (1-based)
  int32_t number = 0;
};

struct StopReason {
  StopKind kind = StopKind::kUnknown;
  int32_t family_index = 0;  // s of INS, 0 = none
  int32_t family = 0;        // family number (MAS0), 0 = none
  int32_t line = 0;          // data line or store position, 0 = none
  int32_t count = 0;         // the count or code the kind names
  int32_t number = 0;        // the individual number the kind names
  std::vector<int32_t> positions = {};
  std::vector<PassportFinding> findings = {};
};

// What Stop() throws; the run driver catches it.
struct RunStopped {
  StopReason reason;
};

inline constexpr const char* kPausePrompt =
    "Pause - Please enter a blank line (to continue) or a DOS command.";
inline constexpr const char* kStopLine = "Stop - Program terminated.";

// In a batch run (ctx.batch) does nothing. Otherwise shows the pause prompt and reads one line (at
// most 128 characters kept; end of input is an empty answer). Trailing blanks and tabs are cut; an
// answer of two or more characters is run as a command before the pause ends, but only when it was
// typed at a terminal: a line from a pipe or a file is read and ignored.
void Pause(RunContext& ctx);

// The console lines that announce a stop of this reason (none for some kinds).
void WriteStopMessage(Console& console, const StopReason& reason);

// Writes the reason's message, then calls `details` (diagnostics that follow the message,
// may be empty), then throws RunStopped{reason}.
[[noreturn]] void Stop(Console& console, StopReason reason,
                       const std::function<void()>& details = {});
// Writes the reason's message, pauses, then throws RunStopped{reason}.
[[noreturn]] void PauseAndStop(RunContext& ctx, StopReason reason);

}  // namespace pedprep

#endif  // PEDPREP_CORE_STOP_H_
