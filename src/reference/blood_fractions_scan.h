// Blood fractions by plain family scans: the straightforward form of FINDBLOOD that the
// indexed version must match bit for bit (PRACE and console text). Quadratic per pass in the
// family size; meant for checking, not for real herds.
#ifndef PEDPREP_REFERENCE_BLOOD_FRACTIONS_SCAN_H_
#define PEDPREP_REFERENCE_BLOOD_FRACTIONS_SCAN_H_

namespace pedprep {

struct RunContext;

void ReferenceFINDBLOOD(RunContext& ctx);

}  // namespace pedprep

#endif  // PEDPREP_REFERENCE_BLOOD_FRACTIONS_SCAN_H_
