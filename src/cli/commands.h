// The commands of pedprep. Each Define function adds one command to the command line: its
// arguments (cli/arguments.h) and the action that runs it with the parsed values and returns
// the exit status. A new command is one more Define function here, its own
// <command>_command.cpp, and one call in MakeCommandLine; the help, the manual page and the
// shell completion follow from its definitions.
#ifndef PEDPREP_CLI_COMMANDS_H_
#define PEDPREP_CLI_COMMANDS_H_

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "cli/arguments.h"
#include "cli/command_line.h"
#include "reading/folder_check.h"
#include "records/file_system.h"

namespace pedprep {

// What the actions write to and reach the outside world through; outlives the command line.
struct CommandContext {
  std::ostream& out;
  std::ostream& err;
  CommandEnvironment& env;
};

// pedprep's command line: every command defined, `help [COMMAND]` last. The actions write to
// and reach the world through `context`, which must outlive the command line.
std::unique_ptr<CommandLine> MakeCommandLine(CommandContext& context);

// The run of the product stages in `folder` ("" = the current folder).
int RunInFolder(CommandContext& context, const std::string& folder, bool batch);

// The optional FOLDER of show, report, animals and draw: an existing folder, "" = the current
// one.
Argument& AddRunFolder(Command& command, std::string* folder);

// The folder's name in titles: as given, but for the current folder ("", ".", "..", "x/..")
// the base name of the folder it stands for ("herd1"), never "."; as given when there is none.
std::string FolderTitle(const std::string& folder);

// The one way show, report, animals and draw start on a folder: opens `folder`, holds it
// against its run record as `look` asks (reading/folder_check.h, messages on context.err
// naming `command`) and, when the command may go on, returns `body`'s exit status for the
// opened folder; otherwise kExitStopped.
int LookAtFolder(CommandContext& context, const std::string& folder, const std::string& command,
                 FolderLook look, const std::function<int(FileSystem&)>& body);

// `body` writing to standard output. CSV bound for a terminal has its control bytes escaped
// as the text views have them (line ends kept), so that no id acts on the terminal; CSV to a
// file or a pipe stays as it is.
int ToStandardOutput(CommandContext& context, bool csv,
                     const std::function<int(std::ostream&)>& body);

// `run [FOLDER] [--batch]`.
void DefineRun(CommandLine& line, CommandContext& context);
// `import HERDBOOK [options]`.
void DefineImport(CommandLine& line, CommandContext& context);
// `show [FOLDER] [--csv]`.
void DefineShow(CommandLine& line, CommandContext& context);
// `report [FOLDER] [--csv | --html [-o FILE]] [--reference FILE | --reference-born-from YEAR]`.
void DefineReport(CommandLine& line, CommandContext& context);
// `draw [FOLDER] --family N [--core] [-o FILE]`.
void DefineDraw(CommandLine& line, CommandContext& context);
// `animals [FOLDER] [--csv]`.
void DefineAnimals(CommandLine& line, CommandContext& context);
// `mate [FOLDER] --sire ID --dam ID | --pairs FILE | --dam ID --sires FILE | --sire ID
// --dams FILE | --plan --sires FILE --dams FILE [--max-per-sire N] [--csv]`.
void DefineMate(CommandLine& line, CommandContext& context);
// `kinship [FOLDER] [--candidates FILE | --born-from YEAR] [--native BREED] [--csv]`.
void DefineKinship(CommandLine& line, CommandContext& context);

}  // namespace pedprep

#endif  // PEDPREP_CLI_COMMANDS_H_
