// What a run can tell an onlooker while it works, for the views of a run (the report, the
// drawing). The stages call the observer of their RunContext when one is set; a run without
// one pays a pointer test per event. An observer only looks: it never changes the store and
// writes nothing to the console or the folder.
#ifndef PEDPREP_CORE_RUN_OBSERVER_H_
#define PEDPREP_CORE_RUN_OBSERVER_H_

#include <cstdint>
#include <vector>

#include "core/stop.h"
#include "records/input_error.h"

namespace pedprep {

struct PedigreeStore;

// A loop-break copy made by the structure analysis. Numbers are those of the family during
// the analysis (the renumbering after it may change them). Positions are store positions
// once the analysis has inserted its copies (StructureAnalysed); they stay valid until the
// reconstruction, which keeps each family's rows in order and appends its copies after them.
// 0 = none (an unknown parent).
struct LoopCopyEvent {
  int32_t family_index = 0;  // s of INS
  int32_t family = 0;        // family number (MAS0)
  int32_t copied = 0;        // the copied individual's number
  int32_t ini_id = 0;        // its INI_ID, which the copy keeps
  int32_t father = 0;        // the nuclear family whose children receive the copy
  int32_t mother = 0;
  int32_t copy = 0;  // the copy's number
  int32_t copied_position = 0;
  int32_t father_position = 0;
  int32_t mother_position = 0;
  int32_t copy_position = 0;
};

// A parent copy made by the reconstruction: a copy of `original`, made as father or mother
// of individual `made_for`. Numbers are final (those of ped.dat).
struct ParentCopyEvent {
  int32_t family_index = 0;  // s of INS
  int32_t family = 0;        // family number (MAS0)
  int32_t copy = 0;
  int32_t original = 0;
  int32_t ini_id = 0;  // the original's INI_ID, which the copy keeps
  int32_t made_for = 0;
};

class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // The passport file is read and has passed its checks: `store` holds the pedigree as read,
  // INS built, before any breed fraction or copy.
  virtual void PedigreeRead(const PedigreeStore& /*store*/) {}
  // The blood step has found every fraction: PRACE(1..ND, 1..NRAC) of `store` are final and
  // positions 1..ND still hold the passport's records in file order (no copy is made yet).
  virtual void BloodFractionsFound(const PedigreeStore& /*store*/) {}
  // The structure analysis opens family s of INS.
  virtual void FamilyAnalysisStarted(int32_t /*family_index*/, int32_t /*family*/) {}
  virtual void LoopCopyMade(const LoopCopyEvent& /*copy*/) {}
  // The structure analysis ends, normally or (`stopped`) by a stop: every copy made so far
  // is in the store at the position its LoopCopyMade gave.
  virtual void StructureAnalysed(const PedigreeStore& /*store*/, bool /*stopped*/) {}
  virtual void ParentCopyMade(const ParentCopyEvent& /*copy*/) {}
  // The marker merge read its records: their identifiers in file order, before they are
  // matched to the positions of `store`.
  virtual void MarkerRecordsRead(const PedigreeStore& /*store*/,
                                 const std::vector<int32_t>& /*identifiers*/) {}
  // The run stops, for `reason`; its stop line has been written.
  virtual void Stopped(const StopReason& /*reason*/) {}
  // The run ends on an input file it cannot read or an output it cannot write (exit status
  // 2); its INPUT ERROR line (error.Report()) has been written.
  virtual void InputFailed(const InputError& /*error*/) {}
};

}  // namespace pedprep

#endif  // PEDPREP_CORE_RUN_OBSERVER_H_
