#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "core/command_runner.h"

namespace pedprep {
namespace {

void CloseAll(std::initializer_list<int> fds) {
  for (int fd : fds) {
    if (fd >= 0) close(fd);
  }
}

// Reads what is there from `fd` into `text`; false at its end or on an error.
bool Drain(int fd, std::string& text) {
  char buffer[1 << 16];
  const ssize_t got = read(fd, buffer, sizeof buffer);
  if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
  return got > 0 || (got < 0 && (errno == EAGAIN || errno == EINTR));
}

// The channels to a program, each [0] pedprep's end and [1] the program's; -1 when closed.
struct Channels {
  int to[2] = {-1, -1};      // a socket: a write to a program that stopped reading fails with
  int from[2] = {-1, -1};    // EPIPE instead of raising SIGPIPE
  int errors[2] = {-1, -1};  // its standard error
  int report[2] = {-1, -1};  // the child's errno when the program cannot be started
};

// Opens every channel, closed on exec; false, with errno telling why and none left open,
// when one cannot be opened.
bool OpenChannels(Channels& c) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, c.to) == 0 &&
      pipe2(c.from, O_CLOEXEC) == 0 && pipe2(c.errors, O_CLOEXEC) == 0 &&
      pipe2(c.report, O_CLOEXEC) == 0) {
    return true;
  }
  const int error = errno;
  CloseAll(
      {c.to[0], c.to[1], c.from[0], c.from[1], c.errors[0], c.errors[1], c.report[0], c.report[1]});
  errno = error;
  return false;
}

// The child after fork: the program's channels become its standard streams and the program
// (`args`, ended by nullptr, made before the fork) replaces it; exec's errno goes to the report
// channel. Dies with pedprep, and at once when pedprep (`parent`) is already gone.
[[noreturn]] void ExecInChild(const std::vector<char*>& args, const Channels& c, pid_t parent) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
  dup2(c.to[1], STDIN_FILENO);
  dup2(c.from[1], STDOUT_FILENO);
  dup2(c.errors[1], STDERR_FILENO);
  execvp(args[0], args.data());
  const int error = errno;
  if (write(c.report[1], &error, sizeof error) < 0) _exit(127);
  _exit(127);
}

// Reads the report channel to its end (the exec closes it) and closes it; true, with
// *exec_error set, when the program could not be started.
bool ExecFailed(int report, int* exec_error) {
  ssize_t got = 0;
  do {
    got = read(report, exec_error, sizeof *exec_error);
  } while (got < 0 && errno == EINTR);
  close(report);
  return got == static_cast<ssize_t>(sizeof *exec_error);
}

// Sends `input` to the program (then ends its standard input) and collects its standard
// output and error into `result` until both end or `timeout_seconds` (at least 1) pass;
// true when both ended.
bool Exchange(const Channels& c, const std::string& input, int timeout_seconds,
              ProcessResult& result) {
  for (int fd : {c.to[0], c.from[0], c.errors[0]}) fcntl(fd, F_SETFL, O_NONBLOCK);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeout_seconds, 1));
  std::size_t sent = 0;
  int writing = input.empty() ? -1 : c.to[0];
  if (writing < 0) shutdown(c.to[0], SHUT_WR);
  bool output_open = true;
  bool errors_open = true;
  while (output_open || errors_open) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    pollfd fds[3] = {{output_open ? c.from[0] : -1, POLLIN, 0},
                     {errors_open ? c.errors[0] : -1, POLLIN, 0},
                     {writing, POLLOUT, 0}};
    const int ready = poll(fds, 3, static_cast<int>(std::min<long long>(left, 1000)));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    if (writing >= 0 && fds[2].revents != 0) {
      const ssize_t wrote = send(writing, input.data() + sent, input.size() - sent, MSG_NOSIGNAL);
      if (wrote > 0) sent += static_cast<std::size_t>(wrote);
      if (sent == input.size() || (wrote < 0 && errno != EAGAIN && errno != EINTR)) {
        shutdown(writing, SHUT_WR);  // the end of the input
        writing = -1;
      }
    }
    if (fds[0].revents != 0) output_open = Drain(c.from[0], result.output);
    if (fds[1].revents != 0) errors_open = Drain(c.errors[0], result.errors);
  }
  return !output_open && !errors_open;
}

// Waits for the program to end; its wait status.
int Reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

void ShellCommandRunner::Run(const std::string& command) {
  // Whatever the run has shown so far must be on the screen before the command writes.
  std::cout.flush();
  std::fflush(stdout);
  // The command's outcome does not matter to the run: the pause ends either way.
  int status = std::system(command.c_str());
  (void)status;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         int timeout_seconds) {
  ProcessResult result;
  Channels c;
  if (argv.empty() || !OpenChannels(c)) {
    result.end = ProcessResult::End::kNotStarted;
    result.problem = argv.empty() ? "no program" : std::strerror(errno);
    return result;
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) ExecInChild(args, c, parent);
  CloseAll({c.to[1], c.from[1], c.errors[1], c.report[1]});
  if (pid < 0) {
    result.end = ProcessResult::End::kNotStarted;
    result.problem = std::strerror(errno);
    CloseAll({c.to[0], c.from[0], c.errors[0], c.report[0]});
    return result;
  }
  int exec_error = 0;
  if (ExecFailed(c.report[0], &exec_error)) {
    CloseAll({c.to[0], c.from[0], c.errors[0]});
    Reap(pid);
    result.end =
        exec_error == ENOENT ? ProcessResult::End::kNotFound : ProcessResult::End::kNotStarted;
    result.problem = std::strerror(exec_error);
    return result;
  }
  const bool ended = Exchange(c, input, timeout_seconds, result);
  CloseAll({c.to[0], c.from[0], c.errors[0]});
  if (!ended) kill(pid, SIGKILL);
  const int status = Reap(pid);
  if (!ended) {
    result.end = ProcessResult::End::kTimedOut;
  } else if (WIFSIGNALED(status)) {
    result.end = ProcessResult::End::kSignalled;
    result.signal = WTERMSIG(status);
  } else {
    result.exit_status = WEXITSTATUS(status);
  }
  if (result.end != ProcessResult::End::kExited || result.exit_status != 0) result.output.clear();
  return result;
}

}  // namespace pedprep
