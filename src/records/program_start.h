// What the program sets up before it reads its command line: the same bytes on every
// platform. Linux needs nothing (program_start_posix.cpp); on Windows
// (program_start_windows.cpp) the standard streams are put in binary mode, so that a "\n"
// written is one byte as on Linux and a CR LF read keeps its CR (the console's line reader
// cuts it), the console shows UTF-8, and the arguments are taken from the wide command line
// as UTF-8, so that names with umlauts reach the file system unchanged.
#ifndef PEDPREP_RECORDS_PROGRAM_START_H_
#define PEDPREP_RECORDS_PROGRAM_START_H_

#include <string>
#include <vector>

namespace pedprep {

// Prepares the standard streams and returns the program's arguments (argv[0] first) in UTF-8.
std::vector<std::string> StartProgram(int argc, char** argv);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_PROGRAM_START_H_
