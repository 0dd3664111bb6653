#pragma once
// veltrane-cli run as a program, for the cases that need its own process: closed or odd
// standard streams, limits and signals.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace veltrane {

struct ProgramRun {
  int code = -1;  ///< the exit code, or 128 + the signal that ended it
  std::string err;
  long peak_kilobytes = 0;  ///< the most memory the program held at once (resident)
};

// veltrane-cli itself, its standard output on `output` (closed when nullptr), and its
// standard error closed when `error_closed`. `in_child` runs in the child just before the
// program starts (to set limits); `output_fd`, when not -1, is the standard output instead.
inline ProgramRun run_program(const std::vector<std::string>& args, const char* output,
                              bool error_closed = false, const std::function<void()>& in_child = {},
                              int output_fd = -1) {
  const std::string program = VELTRANE_BINARY_DIR "/cli/veltrane-cli";
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    if (output_fd >= 0) {
      if (dup2(output_fd, 1) < 0) _exit(127);
    } else if (output == nullptr) {
      close(1);
    } else {
      const int out = open(output, O_WRONLY);
      if (out < 0 || dup2(out, 1) < 0) _exit(127);
      close(out);
    }
    if (error_closed ? close(2) != 0 : dup2(channel[1], 2) < 0) _exit(127);
    close(channel[0]);
    close(channel[1]);
    if (in_child) in_child();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(channel[1]);
  ProgramRun run;
  char buffer[256];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) run.err.append(buffer, n);
  close(channel[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.peak_kilobytes = usage.ru_maxrss;
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

}  // namespace veltrane
