#include "core/command_runner.h"

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
  int to[2] = {-1, -1};      // a socket: a write to a program that stopped reading fails with
  int from[2] = {-1, -1};    // EPIPE instead of raising SIGPIPE
  int errors[2] = {-1, -1};  // its standard error
  int report[2] = {-1, -1};  // the child's errno when the program cannot be started
  if (argv.empty() || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, to) != 0 ||
      pipe2(from, O_CLOEXEC) != 0 || pipe2(errors, O_CLOEXEC) != 0 ||
      pipe2(report, O_CLOEXEC) != 0) {
    result.end = ProcessResult::End::kNotStarted;
    result.problem = argv.empty() ? "no program" : std::strerror(errno);
    CloseAll({to[0], to[1], from[0], from[1], errors[0], errors[1], report[0], report[1]});
    return result;
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // The program dies with pedprep.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(to[1], STDIN_FILENO);
    dup2(from[1], STDOUT_FILENO);
    dup2(errors[1], STDERR_FILENO);
    execvp(args[0], args.data());
    const int error = errno;
    if (write(report[1], &error, sizeof error) < 0) _exit(127);
    _exit(127);
  }
  CloseAll({to[1], from[1], errors[1], report[1]});
  if (pid < 0) {
    result.end = ProcessResult::End::kNotStarted;
    result.problem = std::strerror(errno);
    CloseAll({to[0], from[0], errors[0], report[0]});
    return result;
  }
  int exec_error = 0;
  ssize_t got = 0;
  do {
    got = read(report[0], &exec_error, sizeof exec_error);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  int status = 0;
  auto reap = [pid, &status] {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  };
  if (got == static_cast<ssize_t>(sizeof exec_error)) {
    CloseAll({to[0], from[0], errors[0]});
    reap();
    result.end =
        exec_error == ENOENT ? ProcessResult::End::kNotFound : ProcessResult::End::kNotStarted;
    result.problem = std::strerror(exec_error);
    return result;
  }

  for (int fd : {to[0], from[0], errors[0]}) fcntl(fd, F_SETFL, O_NONBLOCK);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeout_seconds, 1));
  std::size_t sent = 0;
  int writing = input.empty() ? -1 : to[0];
  if (writing < 0) shutdown(to[0], SHUT_WR);
  bool output_open = true;
  bool errors_open = true;
  while (output_open || errors_open) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    pollfd fds[3] = {{output_open ? from[0] : -1, POLLIN, 0},
                     {errors_open ? errors[0] : -1, POLLIN, 0},
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
    if (fds[0].revents != 0) output_open = Drain(from[0], result.output);
    if (fds[1].revents != 0) errors_open = Drain(errors[0], result.errors);
  }
  CloseAll({to[0], from[0], errors[0]});
  if (output_open || errors_open) {
    kill(pid, SIGKILL);
    reap();
    result.end = ProcessResult::End::kTimedOut;
    result.output.clear();
    return result;
  }
  reap();
  if (WIFSIGNALED(status)) {
    result.end = ProcessResult::End::kSignalled;
    result.signal = WTERMSIG(status);
  } else {
    result.exit_status = WEXITSTATUS(status);
  }
  if (result.end != ProcessResult::End::kExited || result.exit_status != 0) result.output.clear();
  return result;
}

}  // namespace pedprep
