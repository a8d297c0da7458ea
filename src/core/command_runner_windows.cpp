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

// The command line of `argv`, each argument quoted as the program takes it apart again; false
// when an argument is not UTF-8.
bool CommandLineOf(const std::vector<std::string>& argv, std::wstring* command_line) {
  for (const std::string& argument : argv) {
    std::wstring wide;
    if (!WidenUtf8(argument, &wide)) return false;
    if (!command_line->empty()) command_line->push_back(L' ');
    *command_line += QuoteArgument(wide);
  }
  return true;
}

ProcessResult NotStarted(DWORD error) {
  ProcessResult result;
  result.end = ProcessResult::End::kNotStarted;
  result.problem = WindowsErrorText(error);
  return result;
}

// The pipes to a program's standard input, output and error. The program's ends are
// inherited; ours are not.
struct ProgramPipes {
  Handle in_read, in_write, out_read, out_write, err_read, err_write;

  bool Open() {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreatePipe(in_read.out(), in_write.out(), &inherit, 0) &&
           CreatePipe(out_read.out(), out_write.out(), &inherit, 0) &&
           CreatePipe(err_read.out(), err_write.out(), &inherit, 0) &&
           SetHandleInformation(in_write.get(), HANDLE_FLAG_INHERIT, 0) &&
           SetHandleInformation(out_read.get(), HANDLE_FLAG_INHERIT, 0) &&
           SetHandleInformation(err_read.get(), HANDLE_FLAG_INHERIT, 0);
  }
};

// A job object whose programs end when its last handle closes; false when none can be made.
bool MakeJob(Handle& job) {
  *job.out() = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  return job.get() != nullptr &&
         SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits);
}

// Starts `command_line` on the pipes inside `job`, suspended until it is in the job so that
// nothing of it runs outside; then lets it run. On failure returns false with *result saying
// why and nothing left running.
bool StartInJob(std::wstring& command_line, const ProgramPipes& pipes, HANDLE job,
                Handle& process_handle, Handle& thread_handle, ProcessResult* result) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = pipes.in_read.get();
  startup.hStdOutput = pipes.out_write.get();
  startup.hStdError = pipes.err_write.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      result->end = ProcessResult::End::kNotFound;
      result->problem = std::strerror(ENOENT);  // as on Linux
    } else {
      *result = NotStarted(error);
    }
    return false;
  }
  *process_handle.out() = process.hProcess;
  *thread_handle.out() = process.hThread;
  if (!AssignProcessToJobObject(job, process.hProcess)) {
    const DWORD error = GetLastError();
    TerminateProcess(process.hProcess, 1);
    *result = NotStarted(error);
    return false;
  }
  ResumeThread(process.hThread);
  return true;
}

// Writes `input` to the started program, and collects its standard output into *output and
// its standard error into result->errors, until it ends or `timeout_seconds` (at least 1)
// pass; then ends whatever runs in `job`. True when the program ended in time.
bool Exchange(ProgramPipes& pipes, HANDLE process, HANDLE job, const std::string& input,
              int timeout_seconds, std::string* output, ProcessResult* result) {
  pipes.in_read.Close();
  pipes.out_write.Close();
  pipes.err_write.Close();
  std::thread writer([&pipes, &input] {
    WriteAll(pipes.in_write.get(), input);
    pipes.in_write.Close();  // the end of its input
  });
  std::thread reader([&pipes, output] { ReadAll(pipes.out_read.get(), output); });
  std::thread error_reader([&pipes, result] { ReadAll(pipes.err_read.get(), &result->errors); });
  const DWORD limit = static_cast<DWORD>(std::max(timeout_seconds, 1)) * 1000;
  const bool finished = WaitForSingleObject(process, limit) == WAIT_OBJECT_0;
  // Ends the program when its time is up, and whatever it started and left running in any
  // case, so that the pipes close.
  TerminateJobObject(job, 1);
  writer.join();
  reader.join();
  error_reader.join();
  return finished;
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
  if (!CommandLineOf(argv, &command_line)) {
    result.end = ProcessResult::End::kNotStarted;
    result.problem = "an argument is not UTF-8";
    return result;
  }
  if (argv.empty()) {
    result.end = ProcessResult::End::kNotStarted;
    result.problem = "no program";
    return result;
  }
  ProgramPipes pipes;
  if (!pipes.Open()) return NotStarted(GetLastError());
  Handle job;
  if (!MakeJob(job)) return NotStarted(GetLastError());
  Handle process, thread;
  if (!StartInJob(command_line, pipes, job.get(), process, thread, &result)) return result;
  std::string output;
  if (!Exchange(pipes, process.get(), job.get(), input, timeout_seconds, &output, &result)) {
    WaitForSingleObject(process.get(), INFINITE);
    result.end = ProcessResult::End::kTimedOut;
    return result;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  result.end = ProcessResult::End::kExited;
  result.exit_status = static_cast<int>(code);
  if (code == 0) result.output = std::move(output);
  return result;
}

}  // namespace pedprep
