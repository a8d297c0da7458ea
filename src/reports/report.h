// `pedprep report`: what the preparation does to a folder's inputs, told in words and
// numbers, from the run itself made in memory (nothing is written to the folder).
//
// Text output (`out`), in sections:
//   the outcome: "The run finishes: ped.dat holds N rows." or "The run stops: REASON." with
//     the family and animal concerned, in plain words derived from the run's stop messages;
//   Families: per family and in total the animals read, loop-break copies, parent copies of
//     the reconstruction and rows at the end;
//   Inbreeding and breed composition per family: over the animals read, the mean and the
//     largest inbreeding coefficient and the mean fraction of each breed (figures/animal_table.h);
//   Loop-break copies: family, copy, its store position (what `pedprep draw --copy` takes),
//     the copied animal (number, ini_id, herd-book id from ids.csv) and the parents whose
//     children received the copy; then the copies per copied animal; Parent copies: family,
//     copy, position, original (number, ini_id, id), made for;
//   Capacities: rows of 24,096, copies of 4,096, families of 2,600;
//   Passed over in silence: PEDIGREE.PRN records after the header's count, marker records
//     whose identifier matches no animal, animals without a marker record.
// Numbers are those of ped.dat when the run finishes, else those of the loop breaking.
//
// Positions are empty when the run stops before the copies get their places.
//
// CSV output: RFC 4180 records (CR LF), header kind,family,copy,position,original,ini_id,id,
// one row per copy, kind "loop" or "parent"; when the run stops, one line on `err` says why.
#ifndef PEDPREP_REPORTS_REPORT_H_
#define PEDPREP_REPORTS_REPORT_H_

#include <ostream>
#include <string>

#include "records/file_system.h"
#include "reports/founders_report.h"

namespace pedprep {

class RunFacts;

// Returns 0 when the report was written (also when it tells that the run stops); 1 when the
// reference population cannot be chosen (a line on `err`, nothing on `out`); 70 when the run's
// copies cannot be matched to the animals read (a fault inside pedprep, one line on `err`, as
// animals and mate tell it). The text ends with the founders section (reports/founders_report.h)
// over the `reference` population.
int RunReport(const RunFacts& facts, bool csv, std::ostream& out, std::ostream& err,
              const ReferenceChoice& reference = {});

// For scripts: runs the preparation in memory and writes nothing; returns kExitSuccess when the
// run would finish and kExitStopped when it would stop or refuse its input.
int RunReportCheck(FileSystem& folder);

}  // namespace pedprep

#endif  // PEDPREP_REPORTS_REPORT_H_
