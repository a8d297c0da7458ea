#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/stop.h"
#include "records/csv.h"

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

 private:
  MemoryFileSystem& folder_;
};

class CommandLineTest : public ::testing::Test {
 protected:
  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "pedprep");
    std::ostringstream out, err;
    CommandEnvironment env(console_, shell_, [this](const std::string& folder, bool) {
      return std::make_unique<FolderView>(folders_[folder]);
    });
    const int status = RunCommandLine(static_cast<int>(args.size()), args.data(), out, err, env);
    out_ = out.str();
    err_ = err.str();
    return status;
  }

  std::map<std::string, MemoryFileSystem> folders_;
  CapturingConsole console_;
  RecordingCommandRunner shell_;
  std::string out_, err_;
};

const char* const kHerdbook =
    "animal,father,mother,sex,breed\nDE01,,,M,A\nDE02,,,F,B\nDE03,DE01,DE02,F,\n";
const std::string kUsage =
    "usage: pedprep [COMMAND] [ARGS...]  (commands: run, import, show, report, draw, animals; "
    "pedprep COMMAND --help)\n";

TEST_F(CommandLineTest, UsageErrorsRunNothing) {
  folders_[""].files["hb.csv"] = kHerdbook;
  struct Case {
    std::vector<const char*> args;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {{"bogus"}, "The following argument was not expected: bogus"},
      {{"--batch"}, "The following argument was not expected: --batch"},
      {{"import"}, "HERDBOOK is required"},
      {{"import", "hb.csv", "--select"}, "--select: 1 required K:INT in [1 - 20] missing"},
      {{"import", "hb.csv", "--select", "21"}, "--select: Value 21 not in range 1 to 20"},
      {{"import", "hb.csv", "--default-sex", "X"}, "--default-sex: X not in {M,F}"},
      {{"import", "hb.csv", "--generations", "2"}, "--generations requires --keep"},
      {{"import", "hb.csv", "--marker-file", "A_NAME_OF_22_BYTES.XX"},
       "--marker-file: a file name of 1 to 20 characters without blanks"},
      {{"run", "/no/such/folder"}, "FOLDER: Directory does not exist: /no/such/folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    EXPECT_EQ(Run(c.args), 64);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "pedprep: " + c.problem + "\n" + kUsage);
  }
  EXPECT_EQ(console_.output, "");
  EXPECT_EQ(folders_[""].files.size(), 1u);
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

// Every source table of the shared data: the import command it needs and, where the import
// succeeds, a batch run that ends with the success line.
TEST_F(CommandLineTest, SharedTablesImportAndRun) {
  const char* env = std::getenv("PEDPREP_SHARED_DATA");
  const std::filesystem::path data =
      env != nullptr ? env : std::filesystem::path(PEDPREP_SOURCE_DIR) / "../shared/data";
  if (!std::filesystem::exists(data / "darwin-wedgwood")) GTEST_SKIP() << "no " << data;
  auto load = [this, &data](const std::string& name) {
    std::ifstream in(data / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return folders_[""].files[name] = text.str();
  };
  // minnbreast: the offspring in the first 200 families, with their ancestors.
  std::string keep;
  for (const CsvRow& row : ParseCsv(load("minnbreast/source/minnbreast.tsv"), '\t', "m")) {
    if (row.line > 1 && std::stoi(row.fields[4]) <= 200 && row.fields[2] != "0") {
      keep += row.fields[0] + "\n";
    }
  }
  folders_[""].files["minnbreast.keep"] = keep;
  struct Case {
    std::vector<const char*> args;
    int status;
    std::string err_start;
  };
  const std::vector<Case> cases = {
      {{"darwin-wedgwood/source/darwin.tsv", "--missing", "unknown", "--missing", "unk",
        "--default-sex", "M", "--default-breed", "other"},
       0,
       ""},
      {{"eeza-ungulates/source/arrui.tsv", "--default-sex", "F", "--default-breed", "arrui"},
       0,
       ""},
      {{"eeza-ungulates/source/atlas.tsv", "--default-sex", "F", "--default-breed", "atlas"},
       0,
       ""},
      {{"eeza-ungulates/source/dama.tsv", "--default-sex", "F", "--default-breed", "dama"}, 0, ""},
      {{"eeza-ungulates/source/dorcas.tsv", "--default-sex", "F", "--default-breed", "dorcas"},
       0,
       ""},
      {{"minnbreast/source/minnbreast.tsv", "--keep", "minnbreast.keep", "--default-sex", "F",
        "--default-breed", "1"},
       0,
       ""},
      // The table holds faults no option repairs: they are reported, nothing is written.
      {{"hinterwald/source/PedigWithErrors.tsv", "--missing", "unbek0", "--default-sex", "F",
        "--default-breed", "Hinterwaelder"},
       1,
       "hinterwald/source/PedigWithErrors.tsv:891: animal 276000802875148 is its own ancestor: "
       "276000802875148 -> 276000890878480 -> 276000802938197 -> 276000802918754 -> "
       "276000802875148\n"
       "hinterwald/source/PedigWithErrors.tsv:1150: animal 276000811476506 is its own parent: "
       "276000811476506 -> 276000811476506\n"
       "hinterwald/source/PedigWithErrors.tsv:1678: animal 276000810087663 has sex F but is a "
       "sire\n"
       "hinterwald/source/PedigWithErrors.tsv: 12 breeds among the founders, at most 10: "
       "Blonde_d_Aquitaine, Braunvieh, Fleckvieh, Galloway, Gelbvieh, Hinterwaelder, "
       "Holstein_Rbt, Holstein_Sbt, Jersey, Limousin, Sonstige_Kreuzungen, Vorderwaelder\n"
       "pedprep import: 4 problems, nothing written\n"},
  };
  const std::string folder = std::filesystem::temp_directory_path().string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    if (c.args[0] != std::string("minnbreast/source/minnbreast.tsv")) load(c.args[0]);
    std::vector<const char*> args = {"import", "-o", folder.c_str(), "--force"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    folders_[folder] = MemoryFileSystem();
    EXPECT_EQ(Run(args), c.status);
    EXPECT_EQ(err_.substr(0, c.err_start.size()), c.err_start);
    if (c.status != 0) continue;
    console_.output.clear();
    EXPECT_EQ(Run({"run", folder.c_str(), "--batch"}), 0);
    EXPECT_NE(console_.output.find("ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED\n"
                                   "Stop - Program terminated.\n"),
              std::string::npos)
        << console_.output;
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
  EXPECT_EQ(out_, "kind,family,copy,original,ini_id,id\r\nloop,1,6,4,4,Y\r\n");
  EXPECT_EQ(Run({"animals", hb, "--csv"}), 0) << err_;
  EXPECT_EQ(out_.substr(0, out_.find('\n')),
            "position,family,individual,id,ini_id,copy_of,generation,inbreeding,A,B\r");
  EXPECT_NE(out_.find("\r\n5,1,5,Z,5,,2,0.250000,0.5000,0.5000\r\n6,1,6,Y,4,4,1,"),
            std::string::npos)
      << out_;
  EXPECT_EQ(Run({"draw", hb, "--family", "1", "--core"}), 0) << err_;
  EXPECT_NE(out_.find("  n6 [label=\"Y\\n6\", shape=ellipse, style=dashed];\n"), std::string::npos)
      << out_;
  EXPECT_EQ(Run({"draw", hb, "--family", "1", "-o", "f.txt"}), 64);
  EXPECT_EQ(err_.substr(0, err_.find('\n')),
            "pedprep: --output: a file name ending in .dot, .svg or .png");
  EXPECT_EQ(Run({"show", hb}), 2);  // not run yet: no PEDIGREE
  EXPECT_EQ(folders_[dir].files.size(), inputs);

  ASSERT_EQ(Run({"run", hb, "--batch"}), 0);
  EXPECT_EQ(Run({"show", hb, "--csv"}), 0) << err_;
  EXPECT_EQ(out_.substr(0, out_.find('\n')),
            "position,family,individual,father,mother,prob,sex,ini_id,marker,nation,id\r");
  EXPECT_NE(out_.find("\r\n6,1,6,0,0,1,2,4,0,0,Y\r\n"), std::string::npos) << out_;
}

}  // namespace
}  // namespace pedprep
