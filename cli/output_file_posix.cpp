// Output files on POSIX systems: the one place where veltrane-cli touches the file system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

#include "cli/output_file.h"

namespace veltrane {
namespace {

OutputFileProbe probe = nullptr;

std::string quoted(const std::string& path) {
  return "'" + path + "'";
}

std::string failure(const std::string& path, int error) {
  return "cannot write " + quoted(path) + ": " + std::strerror(error);
}

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Whether `path` names one of the process's open descriptors, as /dev/stdout does: its
// links are the system's, not files to replace.
bool names_a_descriptor(const std::string& path) {
  for (const char* prefix : {"/proc/self/fd/", "/proc/thread-self/fd/", "/dev/fd/"})
    if (path.starts_with(prefix)) return true;
  return false;
}

// The file a chain of symlinks ends at; it need not exist. Empty with `error` set when the
// chain cannot be followed, or when it leads to an open descriptor (`descriptor` set).
std::string follow_symlinks(const std::string& path, int& error, bool& descriptor) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    if (names_a_descriptor(current)) {
      descriptor = true;
      return {};
    }
    struct stat status {};
    if (lstat(current.c_str(), &status) != 0) {
      if (errno == ENOENT) return current;
      error = errno;
      return {};
    }
    if (!S_ISLNK(status.st_mode)) return current;
    std::array<char, 4096> target{};
    const ssize_t length = readlink(current.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
      error = length < 0 ? errno : ENAMETOOLONG;
      return {};
    }
    const std::string next(target.data(), static_cast<std::size_t>(length));
    if (next.starts_with('/')) {
      current = next;
    } else {
      current = folder_of(current);
      current += '/';
      current += next;
    }
  }
  error = ELOOP;
  return {};
}

// Writes everything, through short writes and interrupted calls. 0 or the errno.
// `temporary`, when given, goes to the probe once the first part is written.
int write_all(int fd, std::string_view bytes, const char* temporary = nullptr) {
  std::size_t done = 0;
  bool reported = temporary == nullptr;
  while (done < bytes.size() || !reported) {
    const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 20);
    const ssize_t written = chunk == 0 ? 0 : ::write(fd, bytes.data() + done, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(written);
    if (!reported) {
      reported = true;
      if (probe != nullptr) probe(temporary);
    }
  }
  return 0;
}

// Straight through, for what is not a regular file: a FIFO, a device, a terminal.
std::string write_through(const std::string& path, std::string_view bytes) {
  int fd;
  do {
    // Appending, so that a descriptor opened for appending (>> in a shell) is not overwritten
    // from its start; a FIFO or a device has no end to append to.
    fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return failure(path, errno);
  int error = write_all(fd, bytes);
  // Don't retry close on EINTR: the descriptor is gone either way.
  if (::close(fd) != 0 && error == 0) error = errno;
  return error == 0 ? std::string() : failure(path, error);
}

// The temporary file's name while it exists, for the signal handler.
const char* volatile temporary_to_remove = nullptr;
constexpr std::array<int, 3> cleanup_signals = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_temporary_and_end(int signal_number) {
  // Only async-signal-safe calls here: unlink, sigaction, raise.
  const char* temporary = temporary_to_remove;
  if (temporary != nullptr) unlink(temporary);
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal_number, &fallback, nullptr);
  raise(signal_number);  // delivered once this handler returns and the signal is unblocked
}

// While alive, the cleanup signals remove the temporary file; the previous handlers are
// restored afterwards. A signal the process ignores stays ignored.
class TemporaryGuard {
 public:
  TemporaryGuard() {
    sigemptyset(&blocked_);
    for (int s : cleanup_signals) sigaddset(&blocked_, s);
    struct sigaction handler {};
    handler.sa_handler = remove_temporary_and_end;
    handler.sa_mask = blocked_;
    for (std::size_t i = 0; i < cleanup_signals.size(); ++i) {
      sigaction(cleanup_signals[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler != SIG_IGN) sigaction(cleanup_signals[i], &handler, nullptr);
    }
  }
  TemporaryGuard(const TemporaryGuard&) = delete;
  TemporaryGuard& operator=(const TemporaryGuard&) = delete;
  ~TemporaryGuard() {
    for (std::size_t i = 0; i < cleanup_signals.size(); ++i)
      sigaction(cleanup_signals[i], &previous_[i], nullptr);
  }

  // Runs `step` with the cleanup signals held back, so that creating, renaming or removing
  // the file and recording that it exists happen as one.
  template <typename Step>
  auto held(Step step) {
    sigset_t old;
    sigprocmask(SIG_BLOCK, &blocked_, &old);
    auto result = step();
    sigprocmask(SIG_SETMASK, &old, nullptr);
    return result;
  }

 private:
  sigset_t blocked_{};
  std::array<struct sigaction, cleanup_signals.size()> previous_{};
};

// A new file beside `target`, created exclusively. -1 with errno set on failure.
int create_temporary(const std::string& target, std::string& name) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    static constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (unsigned value = random(), i = 0; i < 6; ++i, value /= 36) suffix += digits[value % 36];
    name = target;
    name += ".tmp";
    name += suffix;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

std::string replace_atomically(const std::string& path, const std::string& target,
                               const struct stat* existing, std::string_view bytes) {
  TemporaryGuard guard;
  std::string temporary;
  int error = 0;
  const int fd = guard.held([&] {
    const int created = create_temporary(target, temporary);
    error = errno;
    if (created >= 0) temporary_to_remove = temporary.c_str();
    return created;
  });
  if (fd >= 0) error = 0;
  if (fd < 0) {
    const std::string folder = folder_of(target);
    struct stat folder_status {};
    // A folder that is there but takes no new files (as in /proc) says so in its own words.
    if (error == ENOENT && ::stat(folder.c_str(), &folder_status) != 0)
      return "cannot write " + quoted(path) + ": no folder " + quoted(folder);
    return "cannot write " + quoted(path) + ": cannot create a file in " + quoted(folder) + ": " +
           std::strerror(error);
  }
  if (existing != nullptr) {
    // The owner first: changing it may clear set-id bits, which the mode then restores.
    // Only a privileged process may give the file away; the group alone may still be kept.
    if (fchown(fd, existing->st_uid, existing->st_gid) != 0 &&
        fchown(fd, static_cast<uid_t>(-1), existing->st_gid) != 0) {
      // Neither is ours to keep: the file becomes the writer's, as a new one would.
    }
    if (fchmod(fd, existing->st_mode & 07777) != 0) error = errno;
  }
  if (error == 0) error = write_all(fd, bytes, temporary.c_str());
  if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  error = guard.held([&] {
    if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) unlink(temporary.c_str());
    temporary_to_remove = nullptr;
    return error;
  });
  return error == 0 ? std::string() : failure(path, error);
}

}  // namespace

void set_output_file_probe(OutputFileProbe new_probe) {
  probe = new_probe;
}

std::string write_output_file(const std::string& path, std::string_view bytes) {
  if (path.empty()) return failure(path, ENOENT);
  int error = 0;
  bool descriptor = false;
  const std::string target = follow_symlinks(path, error, descriptor);
  struct stat status {};
  if (descriptor) {
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return failure(path, EISDIR);
    return write_through(path, bytes);
  }
  if (target.empty()) return failure(path, error);
  if (stat(target.c_str(), &status) != 0) {
    if (errno != ENOENT) return failure(path, errno);
    return replace_atomically(path, target, nullptr, bytes);
  }
  if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
  if (!S_ISREG(status.st_mode)) return write_through(target, bytes);
  // Replacing needs only the folder's permission; a file the user could not write in place
  // is not theirs to replace.
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return failure(path, errno);
  return replace_atomically(path, target, &status, bytes);
}

}  // namespace veltrane
