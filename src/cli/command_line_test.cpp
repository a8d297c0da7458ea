#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/commands.h"
#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "records/csv.h"
#include "reports/founders_report.h"
#include "testing/build_paths.h"
#include "testing/fakes.h"

namespace pedprep {
namespace {

// A folder of the in-memory world, handed out by CommandEnvironment::open_folder.
class FolderView : public FileSystem {
 public:
  explicit FolderView(MemoryFileSystem& folder) : folder_(folder) {}
  bool ReadFile(const std::string& name, std::string* contents) override {
    return folder_.ReadFile(name, contents);
  }
  void WriteFiles(const std::vector<OutputFile>& files) override { folder_.WriteFiles(files); }
  bool RemoveFile(const std::string& name) override { return folder_.RemoveFile(name); }

 private:
  MemoryFileSystem& folder_;
};

// Takes `room` bytes, then fails, as a full disk does.
class FullDisk : public std::streambuf {
 public:
  explicit FullDisk(std::size_t room) : room_(room) {}

 protected:
  int_type overflow(int_type c) override {
    if (room_ == 0) return traits_type::eof();
    --room_;
    return traits_type::not_eof(c);
  }

 private:
  std::size_t room_;
};

class CommandLineTest : public ::testing::Test {
 protected:
  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "pedprep");
    std::ostringstream text, err;
    FullDisk full(out_room_);
    std::ostream out(out_room_ == 0 ? static_cast<std::streambuf*>(text.rdbuf()) : &full);
    CommandEnvironment env(console_, shell_, [this](const std::string& folder, bool) {
      return std::make_unique<FolderView>(folders_[folder]);
    });
    const int status = RunCommandLine(static_cast<int>(args.size()), args.data(), out, err, env);
    out_ = text.str();
    err_ = err.str();
    return status;
  }

  std::size_t out_room_ = 0;  // 0: standard output takes everything
  std::map<std::string, MemoryFileSystem> folders_;
  CapturingConsole console_;
  RecordingCommandRunner shell_;
  std::string out_, err_;
};

const char* const kHerdbook =
    "animal,father,mother,sex,breed\nDE01,,,M,A\nDE02,,,F,B\nDE03,DE01,DE02,F,\n";
const std::string kUsage =
    "usage: pedprep [COMMAND] [ARGS...]  (commands: run, import, show, report, draw, animals, "
    "mate, kinship, help)\n"
    "Try 'pedprep --help' for more information.\n";
const std::string kImportUsage =
    "usage: pedprep import [OPTIONS] HERDBOOK ...\n"
    "Try 'pedprep import --help' for more information.\n";

TEST_F(CommandLineTest, UsageErrorsRunNothing) {
  folders_[""].files["hb.csv"] = kHerdbook;
  struct Case {
    std::vector<const char*> args;
    std::string problem;
    std::string usage;  // what follows the problem
  };
  const std::vector<Case> cases = {
      {{"bogus"}, "unknown command bogus", kUsage},
      {{"--batch"}, "unknown option --batch", kUsage},
      {{"import"}, "HERDBOOK is required", kImportUsage},
      {{"import", "hb.csv", "--select"}, "--select: 1 required K missing", kImportUsage},
      {{"import", "hb.csv", "--select", "21"}, "--select: 21 is not in 1..20", kImportUsage},
      {{"import", "hb.csv", "--default-sex", "X"},
       "--default-sex: X is not one of M|F",
       kImportUsage},
      {{"import", "hb.csv", "--delimiter", "\r"},
       "--delimiter: one character, tab or space",
       kImportUsage},
      {{"import", "hb.csv", "--generations", "2"},
       "--generations requires --keep or --born-from or --born-to",
       kImportUsage},
      {{"import", "hb.csv", "--descendants", "2"},
       "--descendants requires --keep or --born-from or --born-to",
       kImportUsage},
      {{"improt", "hb.csv"}, "unknown command improt (did you mean import?)", kUsage},
      {{"import", "hb.csv", "--defualt-sex", "F"},
       "unknown option --defualt-sex (did you mean --default-sex?)",
       kImportUsage},
      {{"import", "hb.csv", "--marker-file", "A_NAME_OF_22_BYTES.XX"},
       "--marker-file: a file name of 1 to 20 characters without blanks",
       kImportUsage},
      {{"report", "--reference-born-from", "0"},
       "--reference-born-from: 0 is not in 1..9999",
       "usage: pedprep report [OPTIONS] [FOLDER]\n"
       "Try 'pedprep report --help' for more information.\n"},
      {{"run", "/no/such/folder"},
       "FOLDER: Directory does not exist: /no/such/folder",
       "usage: pedprep run [OPTIONS] [FOLDER]\nTry 'pedprep run --help' for more information.\n"},
      {{"help", "bogus"},
       "COMMAND: bogus is not one of run|import|show|report|draw|animals|mate|kinship|help",
       "usage: pedprep help [OPTIONS] [COMMAND]\n"
       "Try 'pedprep help --help' for more information.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), 64);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "pedprep: " + c.problem + "\n" + c.usage);
  }
  const std::string file = (pedprep::testing::SourceDir() / "README.md").string();
  EXPECT_EQ(Run({"run", file.c_str()}), 64);
  EXPECT_EQ(err_.substr(0, err_.find('\n')),
            "pedprep: FOLDER: " + file +
                " is a file, not a folder: give the folder that holds the run's files");
  EXPECT_EQ(Run({"draw"}), 64);  // what to draw is checked after parsing
  EXPECT_EQ(err_.rfind("pedprep draw: give one of --family N, --around ID, --ancestors", 0), 0u);
  EXPECT_EQ(console_.output, "");
  EXPECT_EQ(folders_[""].files.size(), 1u);
}

// An unknown option is named before any value or folder is read, in every command, with or
// without a folder, and an option's value is never taken for one.
TEST_F(CommandLineTest, EveryCommandNamesAnUnknownOption) {
  folders_[""].files["hb.csv"] = kHerdbook;
  std::ostringstream out, err;
  CommandEnvironment env(console_, shell_, [](const std::string&, bool) {
    return std::make_unique<MemoryFileSystem>();
  });
  CommandContext context{out, err, env};
  const std::unique_ptr<CommandLine> line = MakeCommandLine(context);
  for (const Command& command : line->commands()) {
    const char* name = command.name().c_str();
    const std::string usage = "\nusage: pedprep " + command.name();
    for (const std::vector<const char*>& args : {std::vector<const char*>{name, "--sort", "F"},
                                                 {name, ".", "--sort", "F"},
                                                 {name, "-s", "F"}}) {
      SCOPED_TRACE(::testing::PrintToString(args));
      EXPECT_EQ(Run(args), 64);
      const std::string option = args[args.size() - 2];
      EXPECT_EQ(err_.substr(0, err_.find('\n') + usage.size()),
                "pedprep: unknown option " + option + usage);
    }
    EXPECT_EQ(Run({name, "--hepl"}), 64);
    EXPECT_EQ(err_.substr(0, err_.find('\n')),
              "pedprep: unknown option --hepl (did you mean --help?)");
  }
  // Values that look like options stay values.
  EXPECT_EQ(Run({"import", "hb.csv", "--missing", "-", "--missing=--", "--sort"}), 64);
  EXPECT_EQ(err_.substr(0, err_.find('\n')), "pedprep: unknown option --sort");
  Run({"import", "hb.csv", "--", "--sort"});  // after "--" a herd book
  EXPECT_EQ(err_.find("unknown option"), std::string::npos) << err_;
  EXPECT_EQ(console_.output, "");
}

// Titles name the current folder by its own name, never ".".
TEST(FolderTitleTest, CurrentFolderByItsName) {
  const std::string here = std::filesystem::current_path().filename().string();
  EXPECT_EQ(FolderTitle(""), here);
  EXPECT_EQ(FolderTitle("."), here);
  EXPECT_EQ(FolderTitle("./"), here);
  EXPECT_EQ(FolderTitle("x/.."), here);
  EXPECT_EQ(FolderTitle("runs/herd 1"), "runs/herd 1");
}

// Option values with fixed choices are taken in any letter case and mean the listed value.
TEST_F(CommandLineTest, ChoicesInAnyLetterCase) {
  folders_[""].files["hb.tsv"] =
      "animal\tfather\tmother\tsex\tbreed\nS\t\t\tM\tA\nD\t\t\tF\tB\nX\tS\tD\t\t\n";
  struct Case {
    std::vector<const char*> args;
    std::string sex;  // the sex code PEDIGREE.PRN gives X (of unknown sex in the book)
  };
  const std::vector<Case> cases = {
      {{"--delimiter", "Tab", "--default-sex", "m"}, "1"},
      {{"--delimiter", "TAB", "--default-sex", "F"}, "2"},
      {{"--delimiter", "tab", "--default-sex", "f"}, "2"},
      {{"--default-sex", "M"}, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::vector<const char*> args = {"import", "hb.tsv", "-o", "out", "--force"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(Run(args), 0) << err_;
    const std::string& prn = folders_["out"].files["PEDIGREE.PRN"];
    EXPECT_NE(prn.find("\r\n    1    3    1    2    0    " + c.sex + "    3\r\n"),
              std::string::npos)
        << prn;
  }
}

// `help [COMMAND]` prints what `[COMMAND] --help` does; no help shows the parser's own
// notation (validators, "TYPE:TYPE").
TEST_F(CommandLineTest, HelpCommandEqualsHelpOption) {
  const std::vector<std::vector<const char*>> cases = {{},         {"run"},  {"import"},  {"show"},
                                                       {"report"}, {"draw"}, {"animals"}, {"help"}};
  for (const auto& command : cases) {
    SCOPED_TRACE(command.empty() ? "(program)" : command[0]);
    std::vector<const char*> with_option = command;
    with_option.push_back("--help");
    ASSERT_EQ(Run(with_option), 0);
    const std::string help = out_;
    std::vector<const char*> with_command = {"help"};
    with_command.insert(with_command.end(), command.begin(), command.end());
    ASSERT_EQ(Run(with_command), 0);
    EXPECT_EQ(out_, help);
    for (const char* artefact : {":{", "FILE:FILE", ":NAME", "=MARKERS", "TEXT:", ":INT"}) {
      EXPECT_EQ(help.find(artefact), std::string::npos) << artefact << " in\n" << help;
    }
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  }
  ASSERT_EQ(Run({"help", "IMPORT"}), 0);  // choices in any letter case
  EXPECT_NE(out_.find("Usage: pedprep import [OPTIONS] HERDBOOK ...\n"), std::string::npos);
  // The import's help lists what the herd book may hold.
  EXPECT_NE(out_.find("  --default-sex M|F "), std::string::npos) << out_;
  EXPECT_NE(out_.find("MARKERS.BIN)"), std::string::npos) << out_;
  for (const char* listed : {"Columns:", "fatherid", "mother_id", "Missing values:", "NA, *",
                             "Sex codes:", "female or 2"}) {
    EXPECT_NE(out_.find(listed), std::string::npos) << listed << " not in\n" << out_;
  }
  EXPECT_EQ(err_, "");
}

TEST_F(CommandLineTest, HelpAndVersionOnStandardOutput) {
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(out_, std::string("pedprep ") + PEDPREP_VERSION + "\n");
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_EQ(out_.rfind("pedprep prepares", 0), 0u) << out_;
  EXPECT_NE(out_.find("Subcommands:\n  run "), std::string::npos) << out_;
  EXPECT_EQ(Run({"import", "--help"}), 0);
  EXPECT_NE(out_.find("Usage: pedprep import [OPTIONS] HERDBOOK"), std::string::npos) << out_;
  EXPECT_EQ(err_, "");
  EXPECT_EQ(console_.output, "");
}

TEST_F(CommandLineTest, ImportThenRunInTheFolder) {
  folders_[""].files["hb.csv"] = kHerdbook;
  const std::string out_dir = std::filesystem::temp_directory_path().string();
  ASSERT_EQ(Run({"import", "hb.csv", "-o", out_dir.c_str(), "--delimiter", ","}), 0) << err_;
  EXPECT_NE(out_.find("animals kept: 3\n"), std::string::npos) << out_;
  EXPECT_EQ(folders_[out_dir].files.size(), 5u);

  EXPECT_EQ(Run({"run", out_dir.c_str(), "--batch"}), 0);
  EXPECT_EQ(console_.output.find("Pause"), std::string::npos) << console_.output;
  EXPECT_NE(console_.output.find("ALL RIGHT"), std::string::npos) << console_.output;
  EXPECT_EQ(folders_[out_dir].files.count("MARKERS.BIN"), 1u);
  EXPECT_EQ(console_.answers_used, 0u);

  // Without arguments: the run in the current folder, with its pause.
  folders_[""] = folders_[out_dir];
  console_.output.clear();
  EXPECT_EQ(Run({}), 0);
  EXPECT_NE(console_.output.find("ALL RIGHT"), std::string::npos) << console_.output;
  EXPECT_NE(console_.output.find("Pause"), std::string::npos) << console_.output;
}

// The founder figures' conventions reproduce the published figures of two studbooks imported
// from their source tables: fe of the dorcas gazelles' target animals with half-founders
// rescaled, Ne of the whole Cuvier's gazelle pedigree with the shallow animals counted.
TEST_F(CommandLineTest, FounderConventionsReproducePublishedFigures) {
  const std::filesystem::path data = pedprep::testing::SharedDataDir() / "eeza-ungulates/source";
  PEDPREP_NEED_SHARED_DATA(data);
  for (const auto& [table, conventions, target_only, fe, ne] :
       {std::tuple{"dorcas.tsv", FounderConventions{HalfFounders::kRescale, false}, true, 13.386468,
                   39.321250},
        std::tuple{"atlas.tsv", FounderConventions{HalfFounders::kPhantom, true}, false, 3.453980,
                   8.184803}}) {
    std::ifstream in(data / table, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    folders_[""].files[table] = text.str();
    ASSERT_EQ(Run({"import", table, "-o", table, "--default-sex", "M", "--default-breed", "g"}), 0);
    ReferenceChoice choice{"reference.txt", "", {}, conventions};
    for (const CsvRow& row : ParseCsv(text.str(), '\t', table)) {
      if (row.line > 1 && (!target_only || row.fields[8] == "1")) {
        choice.file_text += row.fields[0] + "\n";
      }
    }
    FolderView folder(folders_[table]);
    const std::unique_ptr<ObservedRun> run = ObserveRun(folder);
    const RunFacts facts(*run);
    PopulationFigures figures;
    ASSERT_EQ(ComputePopulation(facts, choice, &figures), "");
    EXPECT_NEAR(figures.overall.Fe().value_or(0), fe, 5e-7) << table;
    EXPECT_NEAR(figures.overall.Ne().value_or(0), ne, 5e-7) << table;
  }
}

// Every source table of the shared data: the import command it needs; where the import
// refuses for a capacity of the run, the remedies it names are followed until the import
// succeeds, and then a batch run ends with the success line.
TEST_F(CommandLineTest, SharedTablesImportAndRun) {
  const std::filesystem::path data = pedprep::testing::SharedDataDir();
  PEDPREP_NEED_SHARED_DATA(data / "darwin-wedgwood");
  for (const char* name : {"darwin-wedgwood/source/darwin.tsv", "minnbreast/source/minnbreast.tsv",
                           "hinterwald/source/PedigWithErrors.tsv",
                           "eeza-ungulates/source/arrui.tsv", "eeza-ungulates/source/atlas.tsv",
                           "eeza-ungulates/source/dama.tsv", "eeza-ungulates/source/dorcas.tsv"}) {
    std::ifstream in(data / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    folders_[""].files[name] = text.str();
  }
  struct Case {
    std::vector<std::string> args;
    int remedies;           // refusals followed
    std::string first_err;  // the first refusal starts so
  };
  const std::vector<Case> cases = {
      {{"darwin-wedgwood/source/darwin.tsv", "--missing", "unknown", "--missing", "unk",
        "--default-sex", "M", "--default-breed", "other"},
       0,
       ""},
      {{"eeza-ungulates/source/dama.tsv", "--delimiter", "Tab", "--default-sex", "f",
        "--default-breed", "dama"},
       0,
       ""},
      // The four studbooks number their animals from 1 each: one call, ids told apart by book.
      {{"eeza-ungulates/source/dama.tsv", "eeza-ungulates/source/dorcas.tsv",
        "eeza-ungulates/source/atlas.tsv", "eeza-ungulates/source/arrui.tsv", "--prefix-ids",
        "--breed-by-book", "--default-sex", "F", "--marker", "survival15", "--marker", "yob",
        "--recode", "survival15:0=2"},
       0,
       ""},
      {{"minnbreast/source/minnbreast.tsv", "--default-sex", "F", "--default-breed", "1"},
       1,
       "minnbreast/source/minnbreast.tsv: 28,081 animals, at most 24,096; choose fewer animals "
       "with --keep FILE or --born-from YEAR, with --generations auto\n"
       "minnbreast/source/minnbreast.tsv: 8,428 families, at most 2,600; 8,000 of them are "
       "single animals without parent or offspring: --drop-isolated leaves them out; keep the "
       "largest with --largest-families 2600\n"},
      // The whole book needs more loop-break copies than the run has.
      {{"hinterwald/source/PedigWithErrors.tsv", "--missing", "unbek0", "--repair",
        "--default-breed", "unknown", "--rename-breed", "Gelbvieh=other", "--rename-breed",
        "Jersey=other", "--rename-breed", "Galloway=other", "--rename-breed",
        "Blonde_d_Aquitaine=other"},
       1,
       "hinterwald/source/PedigWithErrors.tsv: at least 4,643 loop-break copies expected, at "
       "most 4,096; the most copies: family 2 (4,642 copies, 8,769 animals)"},
  };
  const std::string folder = std::filesystem::temp_directory_path().string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    std::vector<std::string> args = {"import", "-o", folder, "--force"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    int followed = 0;
    for (;;) {
      folders_[folder] = MemoryFileSystem();
      std::vector<const char*> argv;
      for (const std::string& arg : args) argv.push_back(arg.c_str());
      const int status = Run(argv);
      if (status == 0) break;
      ASSERT_EQ(status, 1) << err_;
      if (followed++ == 0) {
        EXPECT_EQ(err_.substr(0, c.first_err.size()), c.first_err);
      }
      ASSERT_LE(followed, c.remedies) << err_;
      // Every remedy named, with a year in the middle of the book's.
      auto named = [this](const char* text) { return err_.find(text) != std::string::npos; };
      std::vector<std::string> more;
      if (named("with --largest-families 2600")) more = {"--largest-families", "2600"};
      if (named("--born-from YEAR, with --generations auto")) {
        more.insert(more.end(), {"--born-from", "1990", "--generations", "auto"});
      } else if (named("with --generations auto")) {
        more.insert(more.end(), {"--generations", "auto"});
      }
      ASSERT_FALSE(more.empty()) << err_;
      args.insert(args.end(), more.begin(), more.end());
    }
    console_.output.clear();
    EXPECT_EQ(Run({"run", folder.c_str(), "--batch"}), 0);
    EXPECT_NE(console_.output.find("ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED\n"
                                   "Stop - Program terminated.\n"),
              std::string::npos)
        << console_.output;
  }
}

// Ten breeds with names of 30 characters, blanks among them, reach every tool whole.
TEST_F(CommandLineTest, LongBreedNamesReachEveryTool) {
  std::string book = "id,sire,dam,sex,breed\n";
  std::vector<std::string> names;
  for (int k = 0; k < 10; ++k) {
    names.push_back("Breed " + std::string(1, static_cast<char>('A' + k)) + " " +
                    std::string(22, static_cast<char>('a' + k)));
    const std::string n = std::to_string(k);
    book += "S" + n + ",,,M," + names.back() + "\nD" + n + ",,,F," + names.back() + "\nC" + n +
            ",S" + n + ",D" + n + ",F,\n";
    // One family of all breeds, without loops: S(k-1) also mates D(k).
    if (k > 0) book += "E" + n + ",S" + std::to_string(k - 1) + ",D" + n + ",M,\n";
  }
  folders_[""].files["hb.csv"] = book;
  const std::string dir = std::filesystem::temp_directory_path().string();
  ASSERT_EQ(Run({"import", "hb.csv", "-o", dir.c_str()}), 0) << err_;
  ASSERT_EQ(Run({"run", dir.c_str(), "--batch"}), 0);
  for (const std::vector<const char*>& args :
       {std::vector<const char*>{"animals", dir.c_str(), "--csv"},
        {"report", dir.c_str()},
        {"draw", dir.c_str(), "--family", "1", "--color", "breed"}}) {
    SCOPED_TRACE(args[0]);
    EXPECT_EQ(Run(args), 0) << err_;
    for (const std::string& name : names) EXPECT_NE(out_.find(name), std::string::npos) << name;
  }
}

// show, report and draw on the folder of an imported herd book; none writes to the folder.
TEST_F(CommandLineTest, ShowReportAndDrawTheFolder) {
  folders_[""].files["hb.csv"] =
      "animal,father,mother,sex,breed\nS,,,M,A\nD,,,F,B\nX,S,D,M,\nY,S,D,F,\nZ,X,Y,M,\n";
  const std::string dir = std::filesystem::temp_directory_path().string();
  const char* hb = dir.c_str();
  ASSERT_EQ(Run({"import", "hb.csv", "-o", hb, "--delimiter", ","}), 0) << err_;
  const std::size_t inputs = folders_[dir].files.size();

  EXPECT_EQ(Run({"report", hb, "--csv"}), 0) << err_;
  EXPECT_EQ(out_, "kind,family,copy,position,original,ini_id,id\r\nloop,1,6,6,4,4,Y\r\n");
  EXPECT_EQ(Run({"animals", hb, "--csv"}), 0) << err_;
  EXPECT_EQ(
      out_.substr(0, out_.find('\n')),
      "position,family,individual,id,ini_id,copy_of,generation,inbreeding,A,B,ecg,complete\r");
  EXPECT_NE(out_.find("\r\n5,1,5,Z,5,,2,0.250000,0.5000,0.5000,2.0000,2\r\n6,1,6,Y,4,4,1,"),
            std::string::npos)
      << out_;
  EXPECT_EQ(Run({"draw", hb, "--family", "1", "--core"}), 0) << err_;
  EXPECT_NE(out_.find("  p6 [label=\"Y\\n6 (pos 6)\", shape=ellipse, style=\"dashed\"];\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(Run({"draw", hb, "--family", "1", "-o", "f.txt"}), 64);
  EXPECT_EQ(err_.substr(0, err_.find('\n')),
            "pedprep: --output: a file name ending in .dot, .svg, .png or .pdf");
  EXPECT_EQ(Run({"show", hb}), 1);  // not run yet: nothing to show
  EXPECT_EQ(err_, "pedprep show: " + dir + " holds no outputs of a run; run pedprep run " + dir +
                      " first\n");
  EXPECT_EQ(folders_[dir].files.size(), inputs);

  ASSERT_EQ(Run({"run", hb, "--batch"}), 0);
  EXPECT_EQ(Run({"show", hb, "--csv"}), 0) << err_;
  EXPECT_EQ(out_.substr(0, out_.find('\n')),
            "position,family,individual,father,mother,prob,sex,ini_id,marker,nation,id\r");
  EXPECT_NE(out_.find("\r\n6,1,6,0,0,1,2,4,0,0,Y\r\n"), std::string::npos) << out_;

  // Standard output that fills up: no success for a table cut short.
  out_room_ = 20;
  for (const std::vector<const char*>& args :
       std::vector<std::vector<const char*>>{{"show", hb},
                                             {"show", hb, "--csv"},
                                             {"report", hb},
                                             {"report", hb, "--csv"},
                                             {"animals", hb},
                                             {"draw", hb, "--family", "1"}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    EXPECT_EQ(Run(args), 2);
    EXPECT_EQ(err_, "pedprep: cannot write standard output; what it shows is incomplete\n");
  }
}

// A folder named with umlauts and blanks, typed in UTF-8, reaches every command that takes a
// folder (on Windows through the wide-character names, not the ANSI code page).
TEST_F(CommandLineTest, EveryCommandTakesAFolderWithUmlauts) {
  namespace fs = std::filesystem;
  const fs::path top = fs::temp_directory_path() / fs::path(u8"pedprep Z\u00fccht");
  const fs::path where = top / fs::path(u8"Herde 1") / fs::path(u8"Lauf");
  fs::create_directories(where);
  const std::u8string name = where.u8string();
  const std::string dir(name.begin(), name.end());
  const char* f = dir.c_str();
  folders_[""].files["hb.csv"] =
      "animal,father,mother,sex,breed\nS,,,M,A\nD,,,F,B\nX,S,D,M,\nY,S,D,F,\nZ,X,Y,M,\n";
  EXPECT_EQ(Run({"import", "hb.csv", "-o", f, "--delimiter", ","}), 0) << err_;
  for (const std::vector<const char*>& args :
       std::vector<std::vector<const char*>>{{"run", f, "--batch"},
                                             {"show", f},
                                             {"report", f},
                                             {"animals", f},
                                             {"draw", f, "--family", "1"},
                                             {"mate", f, "--sire", "X", "--dam", "Y"},
                                             {"kinship", f}}) {
    SCOPED_TRACE(args.front());
    EXPECT_EQ(Run(args), 0) << err_;
  }
  fs::remove_all(top);
}

// The run record ties the outputs to the inputs: a byte changed in any of them, an output
// gone or one from another run stops show, report and draw, naming the file; a failed run
// points to the report, and a folder without a passport file to the import.
TEST_F(CommandLineTest, RunRecordTiesOutputsToInputs) {
  folders_[""].files["hb.csv"] = kHerdbook;
  const std::string dir = std::filesystem::temp_directory_path().string();
  const char* const st_name = dir.c_str();
  ASSERT_EQ(Run({"import", "hb.csv", "-o", st_name}), 0) << err_;
  ASSERT_EQ(Run({"run", st_name, "--batch"}), 0);
  MemoryFileSystem& st = folders_[dir];
  const std::string record = st.files.at("PEDPREP.RUN");
  for (const char* name :
       {"PEDIGREE.PRN", "DEF.DAT", "database/pedigree.dat", "database/markers.dat", "ids.csv",
        "ped.dat", "PEDIGREE", "ID.PE", "MARKERS.BIN"}) {
    EXPECT_NE(record.find(std::string(" ") + name + "\n"), std::string::npos) << name;
  }
  EXPECT_EQ(Run({"show", st_name}), 0) << err_;
  EXPECT_EQ(Run({"report", st_name}), 0) << err_;
  EXPECT_EQ(Run({"draw", st_name, "--family", "1"}), 0) << err_;
  ASSERT_EQ(Run({"run", st_name, "--batch"}), 0);  // twice unchanged
  EXPECT_EQ(Run({"show", st_name}), 0) << err_;

  const std::map<std::string, std::string> ran = st.files;
  // show refuses; report notes it and tells what a run on the current inputs does; draw
  // refuses where that run finishes (the next run mends the folder) and draws its stop else.
  struct Case {
    const char* file;
    bool remove;
    std::string finding;
    int report;  // report's exit status
    int draw;
  };
  for (const Case& c : {
           Case{"PEDIGREE.PRN", false,
                "PEDIGREE.PRN changed after the run that wrote these outputs", 2, 2},
           Case{"ids.csv", false, "ids.csv changed after the run that wrote these outputs", 2, 2},
           Case{"ID.PE", false, "ID.PE changed after the run that wrote it", 0, 1},
           Case{"MARKERS.BIN", true, "MARKERS.BIN, an output of the last run, is missing", 0, 1},
       }) {
    SCOPED_TRACE(c.file);
    st.files = ran;
    if (c.remove) {
      st.files.erase(c.file);
    } else {
      st.files[c.file][0] ^= 1;
    }
    const std::string again = "; run pedprep run " + dir + " again\n";
    const std::string note =
        ": note: " + c.finding + "; what follows is of a run on the current inputs\n";
    EXPECT_EQ(Run({"show", st_name}), 1);
    EXPECT_EQ(err_, "pedprep show: " + c.finding + again);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(Run({"report", st_name}), c.report);
    EXPECT_EQ(err_.substr(0, err_.find('\n') + 1), "pedprep report" + note);
    EXPECT_EQ(Run({"draw", st_name, "--family", "1"}), c.draw);
    EXPECT_EQ(err_.substr(0, err_.find('\n') + 1),
              "pedprep draw" + (c.draw == 1 ? ": " + c.finding + again : note));
    EXPECT_EQ(Run({"animals", st_name}), c.draw);
    EXPECT_EQ(err_.substr(0, err_.find('\n') + 1),
              "pedprep animals" + (c.draw == 1 ? ": " + c.finding + again : note));
  }

  // A sire's sex edited after a good run: the run stops, and report explains that stop.
  st.files = ran;
  std::string& passport = st.files["PEDIGREE.PRN"];
  const std::size_t sire = passport.find("\r\n    1    1    0    0    1    1    1\r\n");
  ASSERT_NE(sire, std::string::npos) << passport;
  passport[sire + 2 + 29] = '2';
  EXPECT_EQ(Run({"run", st_name, "--batch"}), 1);
  EXPECT_EQ(Run({"report", st_name}), 0);
  EXPECT_NE(err_.find("note: PEDIGREE.PRN changed"), std::string::npos) << err_;
  EXPECT_NE(out_.find("DE01"), std::string::npos) << out_;
  EXPECT_NE(out_.find("sex"), std::string::npos) << out_;
  EXPECT_EQ(Run({"draw", st_name, "--family", "1"}), 0) << err_;

  st.files = ran;
  st.files.erase("PEDPREP.RUN");
  EXPECT_EQ(Run({"show", st_name}), 0);
  EXPECT_EQ(err_, "pedprep show: warning: " + dir +
                      " holds outputs but no PEDPREP.RUN, so they cannot be "
                      "tied to the inputs\n");

  // A failed run leaves the earlier record with the earlier outputs and points onward.
  st.files = ran;
  st.files["PEDIGREE.PRN"].replace(0, 5, "    0");
  EXPECT_EQ(Run({"run", st_name, "--batch"}), 1);
  EXPECT_EQ(err_, "pedprep report " + dir + " explains why\n");
  EXPECT_EQ(st.files.at("PEDPREP.RUN"), ran.at("PEDPREP.RUN"));
  EXPECT_EQ(Run({"report", st_name, "--check"}), 1);
  EXPECT_EQ(out_ + err_, "");
  st.files["PEDIGREE.PRN"] = ran.at("PEDIGREE.PRN");
  st.files["DEF.DAT"].clear();  // an input error
  EXPECT_EQ(Run({"report", st_name, "--check"}), 1);
  EXPECT_EQ(out_ + err_, "");
  EXPECT_EQ(Run({"run", (dir + "/").c_str(), "--batch"}), 2);
  EXPECT_EQ(err_, "pedprep: " + dir +
                      "/ holds no PEDIGREE.PRN; make one from a herd book with: "
                      "pedprep import HERDBOOK -o " +
                      dir + "/\n");
  EXPECT_EQ(Run({"report", (dir + "/").c_str()}), 2);  // the way onward as the run says it
  EXPECT_NE(err_.find("\npedprep report: " + dir +
                      "/ holds no PEDIGREE.PRN; make one from a herd book with: pedprep import "
                      "HERDBOOK -o " +
                      dir + "/\n"),
            std::string::npos)
      << err_;
}

}  // namespace
}  // namespace pedprep
