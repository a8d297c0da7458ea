// The straightforward implementations of the stages that have an indexed one: plain scans
// as each stage is defined, and a fresh analysis of a family after every loop break. They
// exist to prove the indexed stages equal (tests, fuzzers, pedprep_reference); the product
// does not link them.
#ifndef PEDPREP_REFERENCE_REFERENCE_STAGES_H_
#define PEDPREP_REFERENCE_REFERENCE_STAGES_H_

#include "driver/run_driver.h"

namespace pedprep {

const Stages& ReferenceStages();

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_REFERENCE_STAGES_H_
