#include <chrono>
#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "core/run_context.h"
#include "core/run_files.h"
#include "core/stop.h"
#include "driver/run_driver.h"
#include "driver/run_record_writer.h"
#include "records/escape.h"

namespace pedprep {

namespace {

// How long a run waits for another run in the same folder to finish.
constexpr std::chrono::seconds kLockWait(5);

}  // namespace

// The whole run holds the folder's lock, from before it reads its first input until it has
// written its outputs (and paused): a second run in the folder waits for it, then gives up.
int RunInFolder(CommandContext& context, const std::string& folder, bool batch) {
  std::unique_ptr<FileSystem> files = context.env.open_folder(folder, false);
  if (!files->LockFolder(kLockWait)) {
    const std::string holder = files->LockHolder();
    context.err << "pedprep: " << EscapeControlBytes(holder.empty() ? "another pedprep" : holder)
                << " holds the lock on the folder "
                << EscapeControlBytes(folder.empty() ? "." : folder) << "; waited "
                << kLockWait.count() << " s and did nothing. Run again when it has finished.\n";
    return kExitStopped;
  }
  RecordingFolder recording(*files, PEDPREP_VERSION, RecordTime(context.env.clock()));
  RunContext run(context.env.console, recording, context.env.shell);
  run.batch = batch;
  const int status = RunPedprep(run);
  if (status == kExitSuccess) return status;
  // Standard output keeps the run's own text; the way onward goes to standard error.
  std::string passport;
  if (status == kExitInputError && !files->ReadFile(kPassportFile, &passport)) {
    const std::string named = folder.empty() ? "the current folder" : folder;
    context.err << "pedprep: " << named << " holds no " << kPassportFile
                << "; make one from a herd book with: pedprep import HERDBOOK -o "
                << (folder.empty() ? "." : folder) << "\n";
  } else if (status == kExitStopped) {
    context.err << "pedprep report" << (folder.empty() ? "" : " " + folder) << " explains why\n";
  }
  // kExitInputError: the INPUT ERROR line names the file, read or written, and the problem;
  // the report, which writes nothing, cannot tell more.
  return status;
}

void DefineRun(CommandLine& line, CommandContext& context) {
  struct Options {
    std::string folder;
    bool batch = false;
  };
  auto options = std::make_shared<Options>();
  Command& run = line.Add("run", "Run in FOLDER (default: the current folder).");
  run.Positional("FOLDER", &options->folder, "The folder holding PEDIGREE.PRN")
      .TypeName("")
      .ExistingDirectory();
  run.Flag("--batch", &options->batch,
           "No pause prompt, no waiting for input, never run a command");
  run.OnRun([options, &context] { return RunInFolder(context, options->folder, options->batch); });
}

}  // namespace pedprep
