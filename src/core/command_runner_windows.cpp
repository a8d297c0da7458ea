// The Windows twin of command_runner_posix.cpp: the pause's command in cmd.exe, and RunProcess
// through CreateProcessW with pipes, inside a job object that ends the program when its time
// is up and when pedprep ends (the job's last handle closes with pedprep).
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>

#include "core/command_runner.h"
#include "records/wide_text.h"

namespace pedprep {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  void Close() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }
  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }

 private:
  HANDLE handle_;
};

// One argument as CommandLineToArgvW and the C runtime take it apart again: quoted when it
// holds a blank, a tab or a quote (or is empty), backslashes before a quote doubled.
std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(2 * backslashes, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

// Reads `pipe` to its end into *text.
void ReadAll(HANDLE pipe, std::string* text) {
  char buffer[1 << 16];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) text->append(buffer, got);
}

// Writes `bytes` to `pipe` until done or the reader has gone.
void WriteAll(HANDLE pipe, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 16));
    if (!WriteFile(pipe, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return;
    done += wrote;
  }
}

}  // namespace

void ShellCommandRunner::Run(const std::string& command) {
  // Whatever the run has shown so far must be on the screen before the command writes.
  std::cout.flush();
  std::fflush(stdout);
  // cmd.exe, with the command in UTF-16; its outcome does not matter to the run.
  std::wstring wide;
  if (WidenUtf8(command, &wide)) (void)_wsystem(wide.c_str());
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         int timeout_seconds) {
  ProcessResult result;
  std::wstring command_line;
  for (const std::string& argument : argv) {
    std::wstring wide;
    if (!WidenUtf8(argument, &wide)) {
      result.end = ProcessResult::End::kNotStarted;
      result.problem = "an argument is not UTF-8";
      return result;
    }
    if (!command_line.empty()) command_line.push_back(L' ');
    command_line += QuoteArgument(wide);
  }
  auto not_started = [&result](DWORD error) {
    result.end = ProcessResult::End::kNotStarted;
    result.problem = WindowsErrorText(error);
    return result;
  };
  if (argv.empty()) {
    result.end = ProcessResult::End::kNotStarted;
    result.problem = "no program";
    return result;
  }
  // The program's ends of the pipes are inherited; ours are not.
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle in_read, in_write, out_read, out_write, err_read, err_write;
  if (!CreatePipe(in_read.out(), in_write.out(), &inherit, 0) ||
      !CreatePipe(out_read.out(), out_write.out(), &inherit, 0) ||
      !CreatePipe(err_read.out(), err_write.out(), &inherit, 0) ||
      !SetHandleInformation(in_write.get(), HANDLE_FLAG_INHERIT, 0) ||
      !SetHandleInformation(out_read.get(), HANDLE_FLAG_INHERIT, 0) ||
      !SetHandleInformation(err_read.get(), HANDLE_FLAG_INHERIT, 0)) {
    return not_started(GetLastError());
  }
  Handle job(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job.get() == nullptr || !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation,
                                                       &limits, sizeof limits)) {
    return not_started(GetLastError());
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read.get();
  startup.hStdOutput = out_write.get();
  startup.hStdError = err_write.get();
  PROCESS_INFORMATION process{};
  // Suspended until it is in the job, so that nothing of it runs outside.
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      result.end = ProcessResult::End::kNotFound;
      result.problem = std::strerror(ENOENT);  // as on Linux
      return result;
    }
    return not_started(error);
  }
  Handle process_handle(process.hProcess);
  Handle thread_handle(process.hThread);
  if (!AssignProcessToJobObject(job.get(), process.hProcess)) {
    const DWORD error = GetLastError();
    TerminateProcess(process.hProcess, 1);
    return not_started(error);
  }
  ResumeThread(process.hThread);
  in_read.Close();
  out_write.Close();
  err_write.Close();
  std::string output;
  std::thread writer([&in_write, &input] {
    WriteAll(in_write.get(), input);
    in_write.Close();  // the end of its input
  });
  std::thread reader([&out_read, &output] { ReadAll(out_read.get(), &output); });
  std::thread error_reader([&err_read, &result] { ReadAll(err_read.get(), &result.errors); });
  const DWORD limit = static_cast<DWORD>(std::max(timeout_seconds, 1)) * 1000;
  const bool finished = WaitForSingleObject(process.hProcess, limit) == WAIT_OBJECT_0;
  // Ends the program when its time is up, and whatever it started and left running in any
  // case, so that the pipes close.
  TerminateJobObject(job.get(), 1);
  writer.join();
  reader.join();
  error_reader.join();
  if (!finished) {
    WaitForSingleObject(process.hProcess, INFINITE);
    result.end = ProcessResult::End::kTimedOut;
    return result;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  result.end = ProcessResult::End::kExited;
  result.exit_status = static_cast<int>(code);
  if (code == 0) result.output = std::move(output);
  return result;
}

}  // namespace pedprep
