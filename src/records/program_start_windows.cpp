#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "records/program_start.h"
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <cstdio>

#include "records/wide_text.h"

namespace pedprep {

std::vector<std::string> StartProgram(int argc, char** argv) {
  for (FILE* stream : {stdin, stdout, stderr}) (void)_setmode(_fileno(stream), _O_BINARY);
  // The console shows UTF-8 (messages name files with umlauts) and types it to the pause.
  (void)SetConsoleOutputCP(CP_UTF8);
  (void)SetConsoleCP(CP_UTF8);
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(NarrowToUtf8(wide[i]));
  LocalFree(static_cast<HLOCAL>(wide));
  return arguments;
}

}  // namespace pedprep
