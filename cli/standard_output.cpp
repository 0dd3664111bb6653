#include "cli/standard_output.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace veltrane {
namespace {

bool failure_reported = false;

int close_descriptor(int fd) {
#ifdef _WIN32
  return _close(fd);
#else
  return close(fd);
#endif
}

void report(std::ostream& err, int error) {
  err << "veltrane-cli: cannot write to standard output: "
      << (error != 0 ? std::strerror(error) : "the write failed") << '\n';
  failure_reported = true;
}

}  // namespace

int write_standard_output(std::ostream& out, std::string_view bytes, std::ostream& err) {
  errno = 0;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (out) return 0;
  report(err, errno);
  return 2;
}

int close_standard_output(int code, std::ostream& err) {
  errno = 0;
  std::cout.flush();
  bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  int error = errno;
  // The descriptor, not the stream: the C++ streams still flush the (now empty) stream when
  // the process ends. A descriptor that was never open (EBADF) had nothing written to it.
  if (!failed && close_descriptor(fileno(stdout)) != 0 && errno != EBADF) {
    failed = true;
    error = errno;
  }
  if (!failed || failure_reported) return code;
  report(err, error);
  return 2;
}

}  // namespace veltrane
