#include "cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace veltrane {
namespace {

bool failure_reported = false;

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
  if (std::fclose(stdout) != 0 && !failed) {
    failed = true;
    error = errno;
  }
  if (!failed || failure_reported) return code;
  report(err, error);
  return 2;
}

}  // namespace veltrane
