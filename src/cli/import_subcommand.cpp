#include <memory>

#include "cli/commands.h"
#include "import/import_command.h"

namespace pedprep {
namespace {

constexpr std::size_t kMaxMarkers = 20;
constexpr std::size_t kMaxMarkerFileName = 20;

}  // namespace

void RegisterImport(CLI::App& app, CommandContext& context) {
  struct Parsed {
    ImportOptions options;
    std::string delimiter;
    std::string default_sex;
  };
  auto parsed = std::make_shared<Parsed>();
  ImportOptions& o = parsed->options;
  CLI::App* import =
      app.add_subcommand("import", "Write an input folder (and ids.csv) from a herd book table.");
  import
      ->add_option("HERDBOOK", o.herdbook,
                   "Delimited text with a header row: id, sire, dam; sex, breed, nation "
                   "optional")
      ->required();
  import->add_option("-o,--output", o.output_folder, "Folder to write (created if missing)")
      ->type_name("FOLDER")
      ->capture_default_str();
  import->add_option("--delimiter", parsed->delimiter, "',', ';' or 'tab' (default: detected)")
      ->check(CLI::IsMember({",", ";", "tab"}, CLI::ignore_case))
      ->type_name("CHAR");
  import->add_option("--missing", o.missing, "Another code of an unknown value (repeatable)")
      ->type_name("CODE")
      ->allow_extra_args(false);
  import->add_option("--marker", o.markers, "Marker column, in order (repeatable, up to 20)")
      ->type_name("COLUMN")
      ->allow_extra_args(false);
  auto* keep = import
                   ->add_option("--keep", o.keep_file,
                                "File of ids (one a line): keep these and their ancestors")
                   ->type_name("FILE");
  import->add_option("--generations", o.generations, "Generations of ancestors kept with --keep")
      ->type_name("N")
      ->check(CLI::NonNegativeNumber)
      ->needs(keep);
  import->add_option("--default-sex", parsed->default_sex, "M or F for animals of unknown sex")
      ->type_name("M|F")
      ->check(CLI::IsMember({"M", "F"}, CLI::ignore_case));
  import->add_option("--default-breed", o.default_breed, "Breed of founders without one")
      ->type_name("NAME");
  import->add_option("--select", o.select, "Which marker value the run takes (ITR, 1..20)")
      ->type_name("K")
      ->check(CLI::Range(1, 20))
      ->capture_default_str();
  import->add_option("--marker-file", o.marker_file, "Marker file the run writes (DEF.DAT)")
      ->type_name("NAME")
      ->check(
          [](const std::string& name) {
            return name.empty() || name.size() > kMaxMarkerFileName || name.find(' ') != std::string::npos
                       ? std::string("a file name of 1 to 20 characters without blanks")
                       : std::string();
},
          "NAME")
      ->capture_default_str();
import->add_flag("--force", o.force, "Replace an existing input folder");
  import->callback([parsed, &context] {
    ImportOptions& options = parsed->options;
  if (options.markers.size() > kMaxMarkers) {
    throw CLI::ValidationError("--marker", "at most 20 marker columns");
  }
  const std::string& d = parsed->delimiter;
  options.delimiter = d.empty() ? 0 : (d == "tab" || d == "TAB" || d == "\t") ? '\t' : d[0];
  if (!parsed->default_sex.empty()) {
    options.default_sex =
        parsed->default_sex == "M" || parsed->default_sex == "m" ? Sex::kMale : Sex::kFemale;
  }
  std::unique_ptr<FileSystem> input = context.env.open_folder("", false);
  std::unique_ptr<FileSystem> output =
      context.env.open_folder(options.output_folder == "." ? "" : options.output_folder, true);
  context.status = RunImport(options, context.out, context.err, *input, *output);
  }  // namespace pedprep
);
}

}  // namespace pedprep
