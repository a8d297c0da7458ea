// What every stage of a run works on: the pedigree store and the injected console, folder
// and command runner. Stage-owned state (the structure workspace, the export state) lives
// with the stage that owns it, not here.
#ifndef PEDPREP_CORE_RUN_CONTEXT_H_
#define PEDPREP_CORE_RUN_CONTEXT_H_

#include "core/command_runner.h"
#include "core/pedigree_store.h"
#include "core/run_observer.h"
#include "core/stop.h"
#include "records/console.h"
#include "records/file_system.h"

namespace pedprep {

struct RunContext {
  RunContext(Console& console_in, FileSystem& files_in, CommandRunner& shell_in)
      : console(console_in), files(files_in), shell(shell_in) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // A batch run never pauses: no prompt, no waiting for input, no command run.
  bool batch = false;

  // A run in memory whose outputs nobody reads clears this: the last stage then builds and
  // writes no output file, while its checks, console text and stops stay those of a run
  // that writes.
  bool write_outputs = true;

  PedigreeStore store;

  // Told what the stages do (loop-break and parent copies, marker records); none in a normal
  // run.
  RunObserver* observer = nullptr;

  Console& console;
  FileSystem& files;
  CommandRunner& shell;
};

}  // namespace pedprep

#endif  // PEDPREP_CORE_RUN_CONTEXT_H_
