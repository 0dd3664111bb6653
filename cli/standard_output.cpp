#include "cli/standard_output.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <streambuf>
#include <string>

namespace veltrane {
namespace {

bool failure_reported = false;
std::array<bool, 3> was_closed{};  // the standard descriptors held by the null device

int close_descriptor(int fd) {
#ifdef _WIN32
  return _close(fd);
#else
  return close(fd);
#endif
}

// Standard output straight onto its descriptor, remembering why a write failed: by the time
// a C stream's failure is noticed, errno has long been overwritten.
class DescriptorBuffer final : public std::streambuf {
 public:
  DescriptorBuffer() { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
  int error() const { return error_; }
  bool failed() const { return failed_; }

 protected:
  int_type overflow(int_type c) override {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return drain() ? 0 : -1; }

 private:
  bool drain() {
    if (was_closed[1] && pptr() > pbase()) {
      failed_ = true;
      error_ = EBADF;
    }
    const char* next = pbase();
    while (next < pptr() && !failed_) {
      const auto remaining = static_cast<unsigned>(pptr() - next);
#ifdef _WIN32
      const auto written = _write(1, next, remaining);
#else
      const auto written = ::write(1, next, remaining);
#endif
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        failed_ = true;
        error_ = written < 0 ? errno : 0;
        break;
      }
      next += written;
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return !failed_;
  }

  std::array<char, 1 << 16> buffer_{};
  bool failed_ = false;
  int error_ = 0;
};

DescriptorBuffer& descriptor_buffer() {
  static DescriptorBuffer buffer;
  return buffer;
}

void report(std::ostream& err, int error) {
  err << "veltrane-cli: cannot write to standard output: "
      << (error != 0 ? std::strerror(error) : "the write failed") << '\n';
  failure_reported = true;
}

}  // namespace

void hold_closed_standard_descriptors() {
#ifdef _WIN32
  // Bytes as they are, as on every other platform: text mode would write each line end as
  // CR LF, which breaks a PDF and makes every text differ from the same command's elsewhere.
  _setmode(1, _O_BINARY);
  _setmode(2, _O_BINARY);
#else
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is this one: those below it are open or held already.
    const int held = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (held != fd && held >= 0) close(held);
    if (held == fd) was_closed[static_cast<std::size_t>(fd)] = true;
  }
#endif
}

bool standard_descriptor_was_closed(int fd) {
  return fd >= 0 && fd <= 2 && was_closed[static_cast<std::size_t>(fd)];
}

int write_standard_output(std::ostream& out, std::string_view bytes, std::ostream& err) {
  errno = 0;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (out) return 0;
  const DescriptorBuffer& buffer = descriptor_buffer();
  report(err, &out == &standard_output() && buffer.failed() ? buffer.error() : errno);
  return 2;
}

std::ostream& standard_output() {
  static std::ostream stream(&descriptor_buffer());
  return stream;
}

int close_standard_output(int code, std::ostream& err) {
  DescriptorBuffer& buffer = descriptor_buffer();
  standard_output().flush();
  bool failed = buffer.failed();
  int error = buffer.error();
  // A descriptor that was never open (EBADF) had nothing written to it.
  if (!failed && !was_closed[1] && close_descriptor(1) != 0 && errno != EBADF) {
    failed = true;
    error = errno;
  }
  if (!failed || failure_reported) return code;
  report(err, error);
  return 2;
}

}  // namespace veltrane
