#include "core/stop.h"

#include <optional>
#include <string>

#include "core/run_context.h"
#include "records/console.h"
#include "records/layout.h"
#include "records/values.h"

namespace pedprep {

namespace {

// The answer keeps at most this many characters; the rest of a longer line is dropped.
constexpr std::size_t kMaxAnswerLength = 128;

// The answer as the pause uses it: cut to its first 128 characters, then without
// trailing blanks and tabs.
std::string TrimAnswer(std::string answer) {
  if (answer.size() > kMaxAnswerLength) answer.resize(kMaxAnswerLength);
  std::size_t end = answer.find_last_not_of(" \t");
  answer.resize(end == std::string::npos ? 0 : end + 1);
  return answer;
}

}  // namespace

void Pause(RunContext& ctx) {
  if (ctx.batch) return;
  ctx.console.WriteLine(kPausePrompt);
  std::optional<std::string> line = ctx.console.ReadLine();
  // End of input counts as an empty answer, so a run without input never waits.
  std::string answer = TrimAnswer(line.value_or(std::string()));
  if (answer.size() >= 2 && ctx.console.InputIsTerminal()) ctx.shell.Run(answer);
}

namespace {

void WriteRecord(Console& console, const char* layout, const OutList& values = {}) {
  WriteFormatted(console, Layout::Parse(layout), values);
}

constexpr const char* kSampleSize = "' ERROR: max. sample size is N4096 '";

}  // namespace

void WriteStopMessage(Console& console, const StopReason& reason) {
  switch (reason.kind) {
    case StopKind::kUnknown:
    case StopKind::kNoCopySource:
      return;
    case StopKind::kHeaderTooManyAnimals:
    case StopKind::kLoopCopyRows:
    case StopKind::kParentCopyRows:
      return WriteRecord(console, kSampleSize);
    case StopKind::kHeaderNoAnimals:
      return WriteRecord(console, "' ERROR: no individuals in the passport file '");
    case StopKind::kHeaderBreeds:
      return WriteRecord(console, "' ERROR: max. number of races is 10 '");
    case StopKind::kOneParentKnown:
      WriteListDirected(console, {Str(" Error in data line"), I32(reason.line)});
      WriteListDirected(console, {Str(" Both parents should be observed or unobserved")});
      return;
    case StopKind::kBreedZeroWithoutParents:
      WriteListDirected(
          console,
          {Str(" The race is 0, but the parents are unobserved in data line"), I32(reason.line)});
      WriteListDirected(console, {Str(" ERROR, so stop.")});
      return;
    case StopKind::kFamilyNumbering:
      return WriteRecord(console,
                         "'                               ',/,"
                         "' ERROR of numeration, LINE',I5,/,"
                         "' Stop program; You must correct pasport data',/,"
                         "' *************************************  '",
                         {I32(reason.line)});
    case StopKind::kTooManyFamilies:
      return WriteRecord(console, "' ERROR: max. number of families is 2600 '");
    case StopKind::kPassportErrors:
      return WriteRecord(console,
                         "' ERRORS are present in pasport data',/,"
                         "' Stop program; nessesery correct errors',/,"
                         "' **************************************'");
    case StopKind::kUnresolvedBlood:
      for (int32_t line : reason.positions) {
        WriteListDirected(console, {Str(" BLOOD CAN NOT BE FOUND IN DATA LINE"), I32(line)});
      }
      return;
    case StopKind::kQueueOverflow:
      WriteListDirected(console, {Str("ERROR: K2 OVERFLOW " + std::to_string(reason.count))});
      return;
    case StopKind::kSearchExhausted:
      WriteListDirected(console, {Str("ERROR: (K1.GT.K2)")});
      return;
    case StopKind::kBackLinkExhausted:
      WriteListDirected(console, {Str("ERROR: (K1.GT.K2) 1")});
      return;
    case StopKind::kNoLoopAtParent:
      WriteListDirected(console, {Str("ERROR: (K1.GT.K2) 2")});
      return;
    case StopKind::kIndividualNotFound:
      WriteListDirected(console, {Str(" ERROR: individual not found"), I32(reason.number)});
      return;
    case StopKind::kLoopCopyLimit:
      return WriteRecord(console, "' ERROR: max. number of loop breaks is 4096 '");
    case StopKind::kCrossOverflow:
      WriteListDirected(console, {Str(" Error: icros overflow. More then 300 kids.")});
      return;
    case StopKind::kIncorrectMode:
      WriteListDirected(console, {Str(" INCORRECT MODE")});
      return;
    case StopKind::kNothingToDo:
      WriteListDirected(console, {Str("NOTHING TO DO")});
      return;
    case StopKind::kMarkerDefinition:
      return WriteRecord(console, "' ERROR: wrong marker definition '");
  }
}

void Stop(Console& console, StopReason reason, const std::function<void()>& details) {
  WriteStopMessage(console, reason);
  if (details) details();
  throw RunStopped{std::move(reason)};
}

void PauseAndStop(RunContext& ctx, StopReason reason) {
  WriteStopMessage(ctx.console, reason);
  Pause(ctx);
  throw RunStopped{std::move(reason)};
}

}  // namespace pedprep
