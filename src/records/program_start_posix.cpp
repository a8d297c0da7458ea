#include "records/program_start.h"

namespace pedprep {

std::vector<std::string> StartProgram(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace pedprep
