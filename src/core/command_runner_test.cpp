#include "core/command_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pedprep {
namespace {

// Programs every machine of the platform has: one that copies a file to its output, its
// command interpreter, and one that keeps running (ping waits a second between its 30 tries).
#if defined(_WIN32)
const std::vector<std::string> kType = {"cmd.exe", "/c", "type"};
const std::vector<std::string> kExit3 = {"cmd.exe", "/c", "exit 3"};
const std::vector<std::string> kHang = {"cmd.exe", "/c", "ping -n 30 127.0.0.1 >NUL"};
const std::string kLineEnd = "\r\n";
#else
const std::vector<std::string> kType = {"cat"};
const std::vector<std::string> kExit3 = {"sh", "-c", "exit 3"};  // reads none of its input
const std::vector<std::string> kHang = {"sleep", "30"};
const std::string kLineEnd = "\n";
#endif

// A megabyte out through the pipe (a megabyte in, unread, blocks nothing), an exit status,
// a program that is not there, and one ended at the time limit.
TEST(RunProcessTest, OutputExitStatusAbsenceAndTimeLimit) {
  std::string text;
  for (int k = 0; text.size() < (1 << 20); ++k) text += "line " + std::to_string(k) + kLineEnd;
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "pedprep-run-process";
  std::ofstream(file, std::ios::binary) << text;
  std::vector<std::string> type = kType;
  type.push_back(file.string());
  ProcessResult typed = RunProcess(type, text, 20);
  std::filesystem::remove(file);
  EXPECT_EQ(typed.end, ProcessResult::End::kExited);
  EXPECT_EQ(typed.exit_status, 0);
  EXPECT_TRUE(typed.output == text) << typed.output.size() << " bytes of " << text.size();

  ProcessResult failed = RunProcess(kExit3, text, 20);
  EXPECT_EQ(failed.end, ProcessResult::End::kExited);
  EXPECT_EQ(failed.exit_status, 3);
  EXPECT_EQ(failed.output, "");

  EXPECT_EQ(RunProcess({"no-such-program-pedprep-test"}, "", 5).end, ProcessResult::End::kNotFound);

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunProcess(kHang, "", 1).end, ProcessResult::End::kTimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace pedprep
