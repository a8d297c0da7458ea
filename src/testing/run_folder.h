// Test support for whole runs: a complete, clean input folder in memory, a run on it, and
// the names of the files a successful run writes.
#ifndef PEDPREP_TESTING_RUN_FOLDER_H_
#define PEDPREP_TESTING_RUN_FOLDER_H_

#include <string>
#include <vector>

#include "driver/run_driver.h"
#include "records/file_system.h"
#include "testing/fakes.h"
#include "testing/test_run.h"

namespace pedprep::testing {

// The four files a successful run on CleanInputs() writes.
const std::vector<std::string>& CleanOutputNames();

// Input files of a run that passes every check: family 1 holds a full-sib loop (one
// loop-break copy, whose database individual has nation code 9, so the reconstruction adds
// parent copies), family 2 is loop-free; database pedigree, definition (marker file
// "MARKER.DAT", value 2) and marker data. Every record ends in CR LF.
std::string CleanPassport();
std::string CleanDatabase();
std::string CleanDefinition();
std::string CleanMarkers();

// Puts the four clean input files into `files` (replacing any of the same name).
void PutCleanInputs(MemoryFileSystem& files);

// The names in `files` that CleanOutputNames() lists.
std::vector<std::string> OutputsPresent(const MemoryFileSystem& files);

// A whole run on an in-memory folder that holds the clean inputs; a test replaces files and
// sets the pause answers before Run().
struct FolderRun : TestRun {
  FolderRun() { PutCleanInputs(files); }
  // RunPedprep on this run's context; returns its exit status.
  int Run(const Stages& stages = ProductStages()) { return RunPedprep(*ctx, stages); }
  // The count record of ped.dat ("" when it was not written).
  std::string TableCount() const;
};

}  // namespace pedprep::testing

#endif  // PEDPREP_TESTING_RUN_FOLDER_H_
