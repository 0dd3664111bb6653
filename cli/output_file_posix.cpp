// Output files on POSIX systems: the one place where veltrane-cli touches the file system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "cli/output_file.h"
#include "cli/standard_output.h"

namespace veltrane {
namespace {

std::string failure(const std::string& path, int error) {
  return "cannot write " + quoted_text(path) + ": " + std::strerror(error);
}

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The descriptor a path such as /dev/fd/1 names; its links are the system's, not files to
// replace. -1 for any other path, and -2 for a descriptor folder's path that names no number.
int descriptor_named(const std::string& path) {
  for (const std::string_view prefix : {"/proc/self/fd/", "/proc/thread-self/fd/", "/dev/fd/"}) {
    if (!path.starts_with(prefix)) continue;
    const std::string_view digits = std::string_view(path).substr(prefix.size());
    int fd = 0;
    const auto [end, failed] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
    return !digits.empty() && failed == std::errc() && end == digits.data() + digits.size() ? fd
                                                                                            : -2;
  }
  return -1;
}

// The file a chain of symlinks ends at; it need not exist. Empty with `error` set when the
// chain cannot be followed, or when it leads to an open descriptor (`descriptor` set, as by
// descriptor_named).
std::string follow_symlinks(const std::string& path, int& error, int& descriptor) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    descriptor = descriptor_named(current);
    if (descriptor != -1) return {};
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

// One piece, whole, through short writes and interrupted calls. 0 or the errno.
int write_piece(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 20);
    const ssize_t written = ::write(fd, bytes.data() + done, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(written);
  }
  return 0;
}

// Writes the pieces `produce` hands on. 0 or the first errno; the pieces after a failure
// are dropped. `temporary`, when given, goes to the probe once the first piece is written
// ("" for a file without a name).
int write_all(int fd, const OutputPieces& produce, const char* temporary = nullptr,
              OutputFileProbe probe = nullptr) {
  int error = 0;
  bool reported = temporary == nullptr;
  const auto report = [&] {
    reported = true;
    if (probe != nullptr) probe(temporary);
  };
  produce([&](std::string_view bytes) {
    if (error != 0) return;
    error = write_piece(fd, bytes);
    if (error == 0 && !reported) report();
  });
  if (error == 0 && !reported) report();
  return error;
}

// Straight through, for what is not a regular file: a FIFO, a device, a terminal.
std::string write_through(const std::string& path, const OutputPieces& bytes) {
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

// The temporary file's name while it may exist, for the signal handler.
const char* volatile temporary_to_remove = nullptr;

// Every signal whose default action ends the process, so that none of them leaves the
// temporary file behind. (SIGKILL cannot be caught: a file without a name leaves nothing.)
std::vector<int> cleanup_signals() {
  std::vector<int> signals = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                              SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                              SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS};
#ifdef __linux__
  signals.insert(signals.end(), {SIGSTKFLT, SIGIO, SIGPWR});
  for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) signals.push_back(s);
#endif
  return signals;
}

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
  TemporaryGuard() : signals_(cleanup_signals()), previous_(signals_.size()) {
    sigemptyset(&blocked_);
    for (int s : signals_) sigaddset(&blocked_, s);
    struct sigaction handler {};
    handler.sa_handler = remove_temporary_and_end;
    handler.sa_mask = blocked_;
    for (std::size_t i = 0; i < signals_.size(); ++i) {
      sigaction(signals_[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler != SIG_IGN) sigaction(signals_[i], &handler, nullptr);
    }
  }
  TemporaryGuard(const TemporaryGuard&) = delete;
  TemporaryGuard& operator=(const TemporaryGuard&) = delete;
  ~TemporaryGuard() {
    temporary_to_remove = nullptr;
    for (std::size_t i = 0; i < signals_.size(); ++i)
      sigaction(signals_[i], &previous_[i], nullptr);
  }

  // Runs `step` with the cleanup signals held back in this thread, so that creating,
  // renaming or removing the file and recording that it exists happen as one. (Another
  // thread may still take a signal: the name is recorded before the file can exist.)
  template <typename Step>
  auto held(Step step) {
    sigset_t old;
    pthread_sigmask(SIG_BLOCK, &blocked_, &old);
    auto result = step();
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return result;
  }

 private:
  std::vector<int> signals_;
  std::vector<struct sigaction> previous_;
  sigset_t blocked_{};
};

// A name for a temporary file beside `target`: the target's own name with ".tmp" and six
// random characters, or, where that would be too long for the file system, a short name of
// fixed length in the same folder, which fits wherever the target's name does.
std::string temporary_name(const std::string& target, bool short_name) {
  static std::random_device random;
  static constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string name = short_name ? folder_of(target) + "/.veltrane-" : target + ".tmp";
  for (unsigned value = random(), i = 0; i < 6; ++i, value /= 36) name += digits[value % 36];
  return name;
}

// Gives the temporary file a name (`make` creates or links it, returning 0 or an errno),
// first after the target, then short when that name is too long. The name is recorded for
// the signal handler before it can exist.
template <typename Make>
int name_temporary(const std::string& target, std::string& name, Make make) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    name = temporary_name(target, attempt >= 100);
    temporary_to_remove = name.c_str();
    const int error = make(name);
    if (error == 0) return 0;
    temporary_to_remove = nullptr;
    if (error == ENAMETOOLONG && attempt < 100)
      attempt = 99;
    else if (error != EEXIST)
      return error;
  }
  return EEXIST;
}

// The file being written: without a name (O_TMPFILE) where the file system has that and
// /proc can give it one at the end, so that nothing is left even when the process is
// killed; else under a temporary name from the start.
struct Temporary {
  int fd = -1;
  std::string name;  ///< empty while the file has none
};

int create_temporary(const std::string& target, Temporary& file, bool without_name) {
#ifdef O_TMPFILE
  if (without_name && access("/proc/self/fd", X_OK) == 0) {
    file.fd = ::open(folder_of(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (file.fd >= 0) return 0;
  }
#endif
  return name_temporary(target, file.name, [&](const std::string& name) {
    file.fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    return file.fd >= 0 ? 0 : errno;
  });
}

// Gives a file made without a name a temporary one beside `target`. 0 or the errno.
int name_anonymous(const std::string& target, Temporary& file) {
  if (!file.name.empty()) return 0;
  const std::string descriptor = "/proc/self/fd/" + std::to_string(file.fd);
  return name_temporary(target, file.name, [&](const std::string& name) {
    return linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0
               ? 0
               : errno;
  });
}

std::string replace_atomically(const std::string& path, const std::string& target,
                               const struct stat* existing, const OutputPieces& bytes,
                               const OutputFileHooks& hooks) {
  TemporaryGuard guard;
  Temporary file;
  int error = guard.held([&] { return create_temporary(target, file, hooks.files_without_names); });
  if (error != 0) {
    const std::string folder = folder_of(target);
    struct stat folder_status {};
    // A folder that is there but takes no new files (as in /proc) says so in its own words.
    if (error == ENOENT && ::stat(folder.c_str(), &folder_status) != 0)
      return "cannot write " + quoted_text(path) + ": no folder " + quoted_text(folder);
    return "cannot write " + quoted_text(path) + ": cannot create a file in " +
           quoted_text(folder) + ": " + std::strerror(error);
  }
  // Closed and removed however this ends, an exception (no memory) included.
  struct Cleanup {
    Temporary& file;
    TemporaryGuard& guard;
    bool keep = false;
    ~Cleanup() {
      if (file.fd >= 0) ::close(file.fd);
      if (!keep && !file.name.empty()) guard.held([&] { return unlink(file.name.c_str()); });
    }
  } cleanup{file, guard};
  if (existing != nullptr) {
    // The owner first: changing it may clear set-id bits, which the mode then restores.
    // Only a privileged process may give the file away; the group alone may still be kept.
    if (fchown(file.fd, existing->st_uid, existing->st_gid) != 0 &&
        fchown(file.fd, static_cast<uid_t>(-1), existing->st_gid) != 0) {
      // Neither is ours to keep: the file becomes the writer's, as a new one would.
    }
    if (fchmod(file.fd, existing->st_mode & 07777) != 0) error = errno;
  }
  if (error == 0) error = write_all(file.fd, bytes, file.name.c_str(), hooks.probe);
  if (error == 0 && ::fsync(file.fd) != 0 && errno != EINVAL) error = errno;
  if (error != 0) return failure(path, error);
  error = guard.held([&] {
    int failed = name_anonymous(target, file);
    if (failed == 0 && std::rename(file.name.c_str(), target.c_str()) != 0) failed = errno;
    if (failed == 0) {
      cleanup.keep = true;
      temporary_to_remove = nullptr;
    }
    return failed;
  });
  // Closing reports what a file system that writes late could not store.
  const int fd = std::exchange(file.fd, -1);
  if (::close(fd) != 0 && error == 0) error = errno;
  return error == 0 ? std::string() : failure(path, error);
}

// A path that names one of the process's own descriptors. Standard output and error are
// written straight to their descriptors, as "-" is: reopening them through the path fails
// for a socket, and would reach the null device that holds a stream the process was
// started without.
std::string write_descriptor_path(const std::string& path, int descriptor,
                                  const OutputPieces& bytes) {
  if (descriptor >= 0 && descriptor <= 2 && standard_descriptor_was_closed(descriptor))
    return failure(path, EBADF);
  if (descriptor != 1 && descriptor != 2) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return failure(path, EISDIR);
    return write_through(path, bytes);
  }
  if (descriptor == 1) standard_output().flush();  // what went before stays before
  const int error = write_all(descriptor, bytes);
  return error == 0 ? std::string() : failure(path, error);
}

}  // namespace

std::string write_output_file(const std::string& path, const OutputPieces& produce,
                              const OutputFileHooks& hooks) {
  if (path.empty()) return failure(path, ENOENT);
  int error = 0;
  int descriptor = -1;
  const std::string target = follow_symlinks(path, error, descriptor);
  if (descriptor != -1) return write_descriptor_path(path, descriptor, produce);
  if (target.empty()) return failure(path, error);
  struct stat status {};
  if (stat(target.c_str(), &status) != 0) {
    if (errno != ENOENT) return failure(path, errno);
    return replace_atomically(path, target, nullptr, produce, hooks);
  }
  if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
  if (!S_ISREG(status.st_mode)) return write_through(target, produce);
  // Replacing needs only the folder's permission; a file the user could not write in place
  // is not theirs to replace.
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return failure(path, errno);
  return replace_atomically(path, target, &status, produce, hooks);
}

}  // namespace veltrane
