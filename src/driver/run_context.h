// Everything one run works on: the pedigree store, the structure workspace, the export
// state and the injected console, folder and command runner. Every stage receives it.
#ifndef PEDPREP_DRIVER_RUN_CONTEXT_H_
#define PEDPREP_DRIVER_RUN_CONTEXT_H_

#include "driver/run_control.h"
#include "driver/store.h"
#include "export/export_state.h"
#include "records/console.h"
#include "records/file_system.h"
#include "structure/workspace.h"

namespace pedprep {

struct RunContext {
  RunContext(Console& console_in, FileSystem& files_in, CommandRunner& shell_in)
      : console(console_in), files(files_in), shell(shell_in) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // Run the straightforward versions of the stages that have a fast one (FINDBLOOD, STRYU
  // in mode 0, RECONSTRUCTION, the marker matching): the same results, only slower. Used to
  // prove the fast stages equal on whole runs; a normal run leaves it false.
  bool reference_stages = false;

  PedigreeStore store;
  StructureWorkspace workspace;
  ExportState exports;

  Console& console;
  FileSystem& files;
  CommandRunner& shell;
};

}  // namespace pedprep

#endif  // PEDPREP_DRIVER_RUN_CONTEXT_H_
