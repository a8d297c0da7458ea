// Why an observed run stops and what the user can do about it, in plain words, for every tool
// that tells it (report, animals, draw, mate, the HTML page), and the small ways those texts
// show ids and numbers.
#ifndef PEDPREP_INSPECT_STOP_EXPLANATION_H_
#define PEDPREP_INSPECT_STOP_EXPLANATION_H_

#include <cstdint>
#include <string>

namespace pedprep {

struct ObservedRun;

// Why and where the observed run stops, in plain words (without a final period); "" when it
// finishes.
std::string StopExplanation(const ObservedRun& run);

// What the user can do about the stop ("What to do" and its lines), "" when there is nothing
// to say or the run finishes.
std::string WayForwardText(const ObservedRun& run);

// A herd-book id as the texts print it: control bytes escaped (the CSV keeps them).
std::string ShownId(const ObservedRun& run, int32_t ini_id);

// `value` with its thousands grouped by commas: 24,096.
std::string Grouped(long value);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_STOP_EXPLANATION_H_
