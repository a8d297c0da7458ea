#include "import/import_command.h"

#include <memory>

#include "cli/commands.h"
#include "core/exit_status.h"
#include "records/escape.h"

namespace pedprep {
namespace {

constexpr std::size_t kMaxMarkerFileName = 20;

std::string CheckMarkerFileName(const std::string& name) {
  return name.empty() || name.size() > kMaxMarkerFileName || name.find(' ') != std::string::npos
             ? "a file name of 1 to 20 characters without blanks"
             : "";
}

// The separator --delimiter names into *delimiter (TAB or kBlankSeparated for the words);
// "" or what is wrong.
std::string ReadDelimiter(const std::string& value, char* delimiter) {
  if (value == "tab" || value == "TAB" || value == "Tab") {
    *delimiter = '\t';
  } else if (value == "space" || value == "SPACE" || value == "Space") {
    *delimiter = kBlankSeparated;
  } else if (value.size() == 1 && value != "\r" && value != "\n" && value != "\"") {
    *delimiter = value[0];  // a line end or a quote cannot separate fields
  } else {
    return "one character, tab or space";
  }
  return "";
}

// --generations into a number or auto; "" or what is wrong.
std::string ReadGenerations(const std::string& value, int* generations, bool* automatic) {
  *automatic = value == "auto";
  if (*automatic) return "";
  if (!value.empty() && value.size() <= 6 &&
      value.find_first_not_of("0123456789") == std::string::npos) {
    *generations = std::stoi(value);
    return "";
  }
  return "a number of generations (0 or more) or auto";
}

std::string CheckEncoding(const std::string& value) {
  TextEncoding encoding = TextEncoding::kDetect;
  return ParseTextEncoding(value, &encoding) ? ""
                                             : "one of utf-8, utf-16le, utf-16be, latin1, cp1252";
}

std::string KnownNames(HerdbookColumn column) {
  std::string names;
  for (const std::string& name : KnownColumnNames(column))
    names += (names.empty() ? "" : ", ") + name;
  return names;
}

// What the command line gives besides ImportOptions, turned into them when the command runs.
struct ImportArguments {
  ImportOptions options;
  std::string delimiter;
  std::string default_sex;
  std::string generations;
  std::string encoding;
  int largest_families = -1;
};

// The herd books, the output folder, the separator and the columns.
void DefineColumnOptions(Command& command, ImportArguments& parsed) {
  ImportOptions& o = parsed.options;
  command
      .Positional("HERDBOOK", &o.herdbooks,
                  "Delimited text with a header row, one or more read as one book: id, sire, "
                  "dam; sex, breed, nation optional")
      .Required();
  command.Option("-o,--output", &o.output_folder, "Folder to write (created if missing)")
      .TypeName("FOLDER")
      .ShowDefault();
  command
      .Option("--delimiter", &parsed.delimiter,
              "Field separator: one character, 'tab', or 'space' (runs of blanks, no quoting); "
              "default: detected from each header (TAB ; , | or blanks)")
      .TypeName("CHAR")
      .Check([](const std::string& value) {
        char delimiter = 0;
        return ReadDelimiter(value, &delimiter);
      });
  const char* const descriptions[kNamedColumns] = {"Column of the animal's id",
                                                   "Column of the sire's id",
                                                   "Column of the dam's id",
                                                   "Column of the sex",
                                                   "Column of the breed",
                                                   "Column of the nation code",
                                                   "Column of the year or date of birth"};
  for (int c = 0; c < kNamedColumns; ++c) {
    const auto column = static_cast<HerdbookColumn>(c);
    command
        .Option(kColumnOptions[c], &o.columns[c],
                std::string(descriptions[c]) + ": header name (case and blanks ignored) or " +
                    "number (1 = first); default: " + KnownNames(column))
        .TypeName("COLUMN");
  }
}

// The codes of unknown values, sexes and breeds, the markers and the encoding.
void DefineCodeOptions(Command& command, ImportArguments& parsed) {
  ImportOptions& o = parsed.options;
  command
      .Option("--missing", &o.missing,
              "More codes of an unknown value, e.g. unknown,unk (repeatable)")
      .TypeName("CODE,...");
  command.Flag("--parents-as-named", &o.parents_as_named,
               "Keep parents named like codes for unknown (unknown, unk, n/a, ...) as animals");
  command
      .Option("--sex-codes", &o.sex_codes,
              "More sex codes, e.g. m=M,w=F (repeatable; M, F, male, female, 1, 2 stay)")
      .TypeName("CODE=M|F,...");
  command
      .Option("--breed-map", &o.breed_map_file,
              "File of two columns: breed label in the book, label to use")
      .TypeName("FILE");
  command.Option("--rename-breed", &o.rename_breeds, "Breed label to use instead (repeatable)")
      .TypeName("LABEL=LABEL");
  command.Option("--marker", &o.markers, "Marker column, in order (repeatable, up to 20)")
      .TypeName("COLUMN")
      .AtMost(kMaxMarkerColumns, "marker columns");
  command
      .Option("--encoding", &parsed.encoding,
              "Encoding of the herd books, keep file and breed map; default: UTF-8, UTF-16 "
              "(with a byte-order mark or detected), else Windows-1252 with a warning")
      .TypeName("utf-8|utf-16le|utf-16be|latin1|cp1252")
      .Check(CheckEncoding);
  command
      .Option("--recode", &o.recodes,
              "Replace a marker column's value before the checks, e.g. cancer:0=2 keeps a 0 "
              "class (repeatable)")
      .TypeName("COLUMN:FROM=TO");
}

// Which animals are kept.
void DefineSelectionOptions(Command& command, ImportArguments& parsed) {
  ImportOptions& o = parsed.options;
  command.Option("--keep", &o.keep_file, "File of ids (one a line): keep these and their ancestors")
      .TypeName("FILE");
  command
      .Option("--born-from", &o.born_from,
              "Keep the animals born in this year or later, and their ancestors (with --keep: "
              "these too)")
      .TypeName("YEAR")
      .Range(1, 9999);
  command
      .Option("--born-to", &o.born_to,
              "Keep the animals born in this year or earlier, and their ancestors (with "
              "--born-from: in between)")
      .TypeName("YEAR")
      .Range(1, 9999);
  command
      .Option("--largest-families", &parsed.largest_families,
              "Keep only the N largest families of the herd book (of equal size the first)")
      .TypeName("N")
      .AtLeast(1);
  command.Flag("--drop-isolated", &o.drop_isolated,
               "Leave out animals without parent and offspring in the herd book (before "
               "--largest-families chooses)");
  command
      .Option("--generations", &parsed.generations,
              "Generations of ancestors kept with --keep; auto: the most that fit the run")
      .TypeName("N|auto")
      .Check([](const std::string& value) {
        int generations = 0;
        bool automatic = false;
        return ReadGenerations(value, &generations, &automatic);
      })
      .Needs("--keep")
      .Needs("--born-from")
      .Needs("--born-to");
  command
      .Option("--descendants", &o.descendants,
              "Generations of descendants kept with --keep (with their other parents)")
      .TypeName("N")
      .AtLeast(0)
      .Needs("--keep")
      .Needs("--born-from")
      .Needs("--born-to");
}

// Repairs, defaults and what is written.
void DefineOutputOptions(Command& command, ImportArguments& parsed) {
  ImportOptions& o = parsed.options;
  command.Flag("--repair", &o.repair,
               "Cut own-parent links and one link of each ancestry cycle; a sex "
               "contradicting the role as sire or dam gives way (listed in the summary)");
  command.Option("--default-sex", &parsed.default_sex, "M or F for animals of unknown sex")
      .TypeName("M|F")
      .Choices({"M", "F"});
  command.Option("--default-breed", &o.default_breed, "Breed of founders without one")
      .TypeName("NAME");
  command
      .Option("--dummy-breed", &o.dummy_breed,
              "Breed of the dummy parents added (default: each its child's breed)")
      .TypeName("NAME");
  command.Option("--select", &o.select, "Which marker value the run takes (ITR, 1..20)")
      .TypeName("K")
      .Range(1, 20)
      .ShowDefault();
  command.Option("--marker-file", &o.marker_file, "Marker file the run writes (DEF.DAT)")
      .TypeName("NAME")
      .Check(CheckMarkerFileName, "NAME")
      .ShowDefault();
  command.Flag("--prefix-ids", &o.prefix_ids,
               "Ids of each herd book become BOOK:ID (BOOK: file name without extension)");
  command.Flag("--breed-by-book", &o.breed_by_book,
               "A row without a breed gets its herd book's file name (without extension)");
  command.Option("--problems", &o.problems_file, "Write every problem as CSV: file,line,id,problem")
      .TypeName("FILE");
  command.Flag("--force", &o.force,
               "Replace an existing input folder and remove an earlier run's outputs");
}

void DefineNotes(Command& command) {
  command.Note("Columns",
               "found by their header names in any letter case, or named with --id, --sire, "
               "--dam, --sex, --breed, --nation, --born. The animal: " +
                   KnownNames(kIdColumn) + "; the sire: " + KnownNames(kSireColumn) +
                   "; the dam: " + KnownNames(kDamColumn) +
                   "; optional: " + KnownNames(kSexColumn) + "; " + KnownNames(kBreedColumn) +
                   "; " + KnownNames(kNationColumn) + " (-127..127); " + KnownNames(kBornColumn) +
                   " (a year, or a date with one); the --marker columns (the --select one "
                   "-127..127, the others "
                   "-9999..99999). Other columns are ignored.");
  command.Note("Missing values",
               "an empty field, 0, NA, * and . (in any letter case) and every --missing CODE "
               "mean unknown. A parent without a row of its own named like a code for unknown "
               "(unknown, unk, n/a, none, null, ?, -, 00, ...) is a problem: name the code "
               "with --missing, or keep such parents with --parents-as-named.");
  command.Note("Sex codes",
               "M, male or 1 for males; F, female or 2 for females (any letter case), and the "
               "codes given with --sex-codes.");
  command.Note("Added animals",
               "a parent named without a row of its own is added as a founder with the breed "
               "of the first row naming it; an animal with one known parent gets a dummy "
               "founder as the other, of its child's breed unless --dummy-breed names one.");
}

// The options as RunImport takes them: the texts the command line checked, read.
ImportOptions& TakeArguments(ImportArguments& parsed) {
  ImportOptions& options = parsed.options;
  if (!parsed.delimiter.empty()) ReadDelimiter(parsed.delimiter, &options.delimiter);
  if (!parsed.default_sex.empty()) {
    options.default_sex = parsed.default_sex == "M" ? Sex::kMale : Sex::kFemale;
  }
  if (!parsed.encoding.empty()) ParseTextEncoding(parsed.encoding, &options.encoding);
  options.largest_families = parsed.largest_families;
  if (!parsed.generations.empty()) {
    ReadGenerations(parsed.generations, &options.generations, &options.generations_auto);
  }
  return options;
}

}  // namespace

void DefineImport(CommandLine& line, CommandContext& context) {
  auto parsed = std::make_shared<ImportArguments>();
  Command& command =
      line.Add("import", "Write an input folder (and ids.csv) from one or more herd book tables.");
  DefineColumnOptions(command, *parsed);
  DefineCodeOptions(command, *parsed);
  DefineSelectionOptions(command, *parsed);
  DefineOutputOptions(command, *parsed);
  DefineNotes(command);
  command.OnRun([parsed, &context] {
    const ImportOptions& options = TakeArguments(*parsed);
    std::unique_ptr<FileSystem> input = context.env.OpenNamedFiles();
    const std::string folder = options.output_folder == "." ? "" : options.output_folder;
    std::unique_ptr<FileSystem> output = context.env.open_folder(folder, true);
    const int status = RunImport(options, context.out, context.err, *input, *output);
    context.out.flush();
    if (status == kExitSuccess && !context.out) {
      const std::string shown = EscapeControlBytes(folder.empty() ? "." : folder);
      context.err << "pedprep import: " << shown
                  << " was written, but its summary could not be shown; see the folder with: "
                     "pedprep show "
                  << shown << "\n";
    }
    return status;
  });
}

}  // namespace pedprep
