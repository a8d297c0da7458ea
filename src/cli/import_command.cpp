#include "import/import_command.h"

#include <memory>

#include "cli/commands.h"

namespace pedprep {
namespace {

constexpr std::size_t kMaxMarkerFileName = 20;

std::string CheckMarkerFileName(const std::string& name) {
  return name.empty() || name.size() > kMaxMarkerFileName || name.find(' ') != std::string::npos
             ? "a file name of 1 to 20 characters without blanks"
             : "";
}

}  // namespace

void DefineImport(CommandLine& line, CommandContext& context) {
  struct Parsed {
    ImportOptions options;
    std::string delimiter;
    std::string default_sex;
  };
  auto parsed = std::make_shared<Parsed>();
  ImportOptions& o = parsed->options;
  Command& import =
      line.Add("import", "Write an input folder (and ids.csv) from a herd book table.");
  import
      .Positional("HERDBOOK", &o.herdbook,
                  "Delimited text with a header row: id, sire, dam; sex, breed, nation optional")
      .Required();
  import.Option("-o,--output", &o.output_folder, "Folder to write (created if missing)")
      .TypeName("FOLDER")
      .ShowDefault();
  import.Option("--delimiter", &parsed->delimiter, "',', ';' or 'tab' (default: detected)")
      .Choices({",", ";", "tab"})
      .TypeName("CHAR");
  import.Option("--missing", &o.missing, "Another code of an unknown value (repeatable)")
      .TypeName("CODE");
  import.Option("--marker", &o.markers, "Marker column, in order (repeatable, up to 20)")
      .TypeName("COLUMN")
      .AtMost(kMaxMarkerColumns, "marker columns");
  import.Option("--keep", &o.keep_file, "File of ids (one a line): keep these and their ancestors")
      .TypeName("FILE");
  import.Option("--generations", &o.generations, "Generations of ancestors kept with --keep")
      .TypeName("N")
      .AtLeast(0)
      .Needs("--keep");
  import.Option("--default-sex", &parsed->default_sex, "M or F for animals of unknown sex")
      .TypeName("M|F")
      .Choices({"M", "F"});
  import.Option("--default-breed", &o.default_breed, "Breed of founders without one")
      .TypeName("NAME");
  import.Option("--select", &o.select, "Which marker value the run takes (ITR, 1..20)")
      .TypeName("K")
      .Range(1, 20)
      .ShowDefault();
  import.Option("--marker-file", &o.marker_file, "Marker file the run writes (DEF.DAT)")
      .TypeName("NAME")
      .Check(CheckMarkerFileName, "NAME")
      .ShowDefault();
  import.Flag("--force", &o.force, "Replace an existing input folder");
  import.Note("Columns",
              "found by their header names in any letter case: id (or animal, individual, "
              "indiv), sire (or father, fatherid, father_id), dam (or mother, motherid, "
              "mother_id); optional: sex, breed, nation (-127..127) and the --marker columns "
              "(-127..127). Other columns are ignored.");
  import.Note("Missing values",
              "an empty field, 0, NA, * and . (in any letter case) and every --missing CODE "
              "mean unknown.");
  import.Note("Sex codes", "M, male or 1 for males; F, female or 2 for females (any letter case).");
  import.OnRun([parsed, &context] {
    ImportOptions& options = parsed->options;
  const std::string& d = parsed->delimiter;
  options.delimiter = d.empty() ? 0 : (d == "tab" || d == "TAB" || d == "\t") ? '\t' : d[0];
  if (!parsed->default_sex.empty()) {
    options.default_sex =
        parsed->default_sex == "M" || parsed->default_sex == "m" ? Sex::kMale : Sex::kFemale;
  }
  std::unique_ptr<FileSystem> input = context.env.open_folder("", false);
  std::unique_ptr<FileSystem> output =
      context.env.open_folder(options.output_folder == "." ? "" : options.output_folder, true);
  return RunImport(options, context.out, context.err, *input, *output);
});
}  // namespace pedprep

}  // namespace pedprep
