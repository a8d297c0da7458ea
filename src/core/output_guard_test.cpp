#include "core/output_guard.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
TEST(OutputGuardTest, PosixOnly) {
  GTEST_SKIP() << "runs the program through the POSIX shell, with links and named pipes";
}
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "testing/build_paths.h"

namespace pedprep {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// What a path is and holds, links not followed: a changed kind or content shows a write.
std::string Looks(const fs::path& path) {
  const fs::file_status status = fs::symlink_status(path);
  if (fs::is_symlink(status)) return "link to " + fs::read_symlink(path).string();
  if (fs::is_character_file(status)) return "device";
  return fs::exists(status) ? "file " + Slurp(path) : "nothing";
}

// Every command with an output option, at every kind of name of a file it must not write:
// the output is refused (or written directly to a device) and the target stays as it was.
TEST(OutputGuardTest, NoCommandWritesOverWhatItReadsOrTheFolder) {
  char name[] = "/tmp/pedprep-guard-XXXXXX";
  const fs::path dir = mkdtemp(name);
  fs::copy(testing::SourceDir() / "example", dir / "f", fs::copy_options::recursive);
  const std::string program = testing::ProgramPath();
  auto run = [&](const std::string& arguments) {
    const std::string command =
        "cd '" + dir.string() + "' && '" + program + "' " + arguments + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(run("run f --batch"), 0);
  fs::copy_file(dir / "f/herdbook.csv", dir / "f/ids.csv");
  fs::copy_file(dir / "f/herdbook.csv", dir / "map.csv");
  fs::create_symlink("f/ped.dat", dir / "link.html");
  fs::create_symlink("f/DEF.DAT", dir / "link.dot");
  fs::create_symlink("elsewhere.csv", dir / "dangling.csv");
  fs::create_hard_link(dir / "f/PEDPREP.RUN", dir / "hard.html");
  fs::create_hard_link(dir / "f/PEDIGREE.PRN", dir / "hard.dot");
  fs::create_hard_link(dir / "f/ids.csv", dir / "book.csv");
  const std::string import = "import f/herdbook.csv --marker GT1 -o g ";
  struct Case {
    std::string arguments;
    std::string target;  // must look as before
    int status;
  } cases[] = {
      {"report f --html -o f/PEDIGREE.PRN", "f/PEDIGREE.PRN", 2},
      {"report f --html -o f/database/../DEF.DAT", "f/DEF.DAT", 2},
      {"report f --html -o f/database/Pedigree.DAT", "f/database/pedigree.dat", 2},
      {"report f --html -o f/MARKER.DAT", "f/MARKER.DAT", 2},
      {"report f --html -o ./f/ids.csv", "f/ids.csv", 2},
      {"report f --html -o link.html", "f/ped.dat", 2},
      {"report f --html -o hard.html", "f/PEDPREP.RUN", 2},
      {"report f --html -o f/ID.PE", "f/ID.PE", 2},
      {"report f --html --reference map.csv -o map.csv", "map.csv", 2},
      {"draw f --family 1 -o link.dot", "link.dot", 2},
      {"draw f --family 1 -o hard.dot", "f/PEDIGREE.PRN", 2},
      {import + "--problems f/herdbook.csv", "f/herdbook.csv", 2},
      {import + "--breed-map map.csv --problems map.csv", "map.csv", 2},
      {import + "--problems dangling.csv", "dangling.csv", 2},
      {import + "--problems /dev/null", "/dev/null", 0},
      {"import f/ids.csv --marker GT1 -o f --force", "f/ids.csv", 2},
      {"import book.csv --marker GT1 -o f --force", "f/ids.csv", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const fs::path target = c.target[0] == '/' ? fs::path(c.target) : dir / c.target;
    const std::string before = Looks(target);
    EXPECT_EQ(run(c.arguments), c.status) << Slurp(dir / "err.txt");
    EXPECT_EQ(Looks(target), before);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pedprep
#endif
