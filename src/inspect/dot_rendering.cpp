#include "inspect/dot_rendering.h"

#include "core/command_runner.h"

namespace pedprep {

std::string RenderWithDot(const std::string& dot, const std::string& format, int timeout_seconds,
                          std::string* image) {
  ProcessResult result = RunProcess({"dot", "-T" + format}, dot, timeout_seconds);
  image->clear();
  switch (result.end) {
    case ProcessResult::End::kNotFound:
      return "the Graphviz program dot is not installed; install it with: sudo apt-get install "
             "graphviz";
    case ProcessResult::End::kNotStarted:
      return "cannot start dot: " + result.problem;
    case ProcessResult::End::kTimedOut:
      return "dot did not finish within " + std::to_string(timeout_seconds) +
             " s (--timeout); draw less with --around, --copy or --core";
    case ProcessResult::End::kSignalled:
      return "dot was ended by signal " + std::to_string(result.signal);
    case ProcessResult::End::kExited:
      break;
  }
  if (result.exit_status != 0) {
    std::string said = result.errors.substr(0, result.errors.find('\n'));
    return "dot failed (exit status " + std::to_string(result.exit_status) + ")" +
           (said.empty() ? "" : ": " + said);
  }
  *image = std::move(result.output);
  return "";
}

}  // namespace pedprep
