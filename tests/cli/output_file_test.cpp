// Output targets of every kind, failures of standard output, and the temporary file on
// signals. Cases that need an unprivileged user run in a child that drops to nobody.
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>
#include <vector>

#include "cli/cli.h"
#include "cli/output_file.h"
#include "program_run.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void write_file(const fs::path& path, const std::string& text, fs::perms mode) {
  std::ofstream(path, std::ios::binary) << text;
  fs::permissions(path, mode);
}

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The error text of write_output_file, run as nobody when `as_nobody` (in a child, when
// the tests run as root) and in this process otherwise.
std::string write_as(const std::string& path, const std::string& bytes, bool as_nobody) {
  if (!as_nobody || geteuid() != 0) return write_output_file(path, bytes);
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr) return "no user nobody";
  int channel[2];
  if (pipe(channel) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(3);
    const std::string error = write_output_file(path, bytes);
    if (write(channel[1], error.data(), error.size()) < 0) _exit(4);
    _exit(0);
  }
  close(channel[1]);
  std::string error;
  char buffer[256];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) error.append(buffer, n);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? error : "child failed";
}

class OutputFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("veltrane-output-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Open to nobody, as a shared folder would be.
    fs::permissions(dir_, fs::perms::all);
  }
  void TearDown() override {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(dir_, ignored))
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
};

struct TargetCase {
  const char* kind;
  const char* path;  ///< in the test's folder
  std::function<void(const fs::path&)> prepare;
  bool as_nobody;
  const char* error;  ///< "" when the write succeeds, else text the message contains
  std::function<void(const fs::path&)> check;
};

TEST_F(OutputFile, EachKindOfTargetIsWrittenOrRefusedSoundly) {
  const std::string page = "%PDF- page\n";
  const auto old_file = [](const char* name, fs::perms mode) {
    return [=](const fs::path& d) { write_file(d / name, "old", mode); };
  };
  const auto holds_page = [&](const char* name) {
    return [=](const fs::path& d) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(d / name))) << name;
      EXPECT_EQ(read_file(d / name), page) << name;
    };
  };
  const auto untouched = [](const char* name) {
    return [=](const fs::path& d) { EXPECT_EQ(read_file(d / name), "old") << name; };
  };
  const auto mode_of = [](const fs::path& p) {
    return fs::status(p).permissions() & fs::perms::mask;
  };
  const bool root = geteuid() == 0;
  const fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
  const fs::perms r = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  // clang-format off
  const TargetCase cases[] = {
      {"regular file", "page.pdf", old_file("page.pdf", r | rw), false, "", holds_page("page.pdf")},
      {"new file", "new.pdf", nullptr, false, "", holds_page("new.pdf")},
      {"symlink to a file", "link.pdf",
       [&](const fs::path& d) { old_file("real.pdf", r | rw)(d); fs::create_symlink("real.pdf", d / "link.pdf"); },
       false, "",
       [&](const fs::path& d) { EXPECT_TRUE(fs::is_symlink(d / "link.pdf")); holds_page("real.pdf")(d); }},
      {"dangling symlink", "dangling.pdf",
       [](const fs::path& d) { fs::create_directory(d / "sub"); fs::create_symlink("sub/named.pdf", d / "dangling.pdf"); },
       false, "",
       [&](const fs::path& d) { EXPECT_TRUE(fs::is_symlink(d / "dangling.pdf")); EXPECT_EQ(read_file(d / "sub/named.pdf"), page); }},
      {"file of mode 600", "private.pdf", old_file("private.pdf", rw), false, "",
       [&](const fs::path& d) { holds_page("private.pdf")(d); EXPECT_EQ(mode_of(d / "private.pdf"), rw); }},
      {"read-only file of another user", "theirs.pdf", old_file("theirs.pdf", r), true, "Permission denied",
       untouched("theirs.pdf")},
      {"directory", "folder", [](const fs::path& d) { fs::create_directory(d / "folder"); }, false, "Is a directory",
       [](const fs::path& d) { EXPECT_TRUE(fs::is_empty(d / "folder")); }},
      {"missing folder", "missing/page.pdf", nullptr, false, "no folder '", nullptr},
      {"folder without write permission", "locked/page.pdf",
       [](const fs::path& d) { fs::create_directory(d / "locked"); fs::permissions(d / "locked", fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)); },
       true, "Permission denied", [](const fs::path& d) { EXPECT_TRUE(fs::is_empty(d / "locked")); }},
      {"symlink to itself", "loop", [](const fs::path& d) { fs::create_symlink("loop", d / "loop"); },
       false, "Too many levels of symbolic links", nullptr},
      {"file in a folder that takes no new files", "/proc/self/status", nullptr, false,
       root ? "cannot create a file in '/proc/self': No such file or directory" : "Permission denied", nullptr},
      {"character device", "/dev/null", nullptr, false, "", nullptr},
      {"full device", "/dev/full", nullptr, false, "No space left on device", nullptr},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    if (c.as_nobody && root && getpwnam("nobody") == nullptr) {
      std::cout << "skipped: " << c.kind << " needs the user nobody\n";
      continue;
    }
    const fs::path folder = dir_ / std::to_string(&c - cases);
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::all);
    if (c.prepare) c.prepare(folder);
    std::vector<std::string> before = names_in(folder);
    const std::string path = c.path[0] == '/' ? c.path : (folder / c.path).string();
    const std::string error = write_as(path, page, c.as_nobody);
    if (*c.error == '\0') {
      EXPECT_EQ(error, "");
    } else {
      EXPECT_NE(error.find("cannot write '" + path + "': "), std::string::npos) << error;
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    if (c.check) c.check(folder);
    // Nothing but the target is ever left behind.
    std::vector<std::string> after = names_in(folder);
    std::erase(before, std::string(c.path));
    std::erase(after, std::string(c.path));
    EXPECT_EQ(after, before);
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(OutputFile, AFifoWithAReaderGetsThePageAndStaysAFifo) {
  const fs::path fifo = dir_ / "pipe.pdf";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  std::string received;
  std::thread reader([&] { received = read_file(fifo); });
  const std::string page(300000, 'x');  // more than a pipe holds at once
  EXPECT_EQ(write_output_file(fifo.string(), page), "");
  reader.join();
  EXPECT_EQ(received, page);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(names_in(dir_), std::vector<std::string>{"pipe.pdf"});
}

TEST_F(OutputFile, AReplacedFileKeepsItsOwnerWhereTheProcessMayKeepIt) {
  if (geteuid() != 0) GTEST_SKIP() << "only a privileged process can keep another owner";
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no user nobody";
  const fs::path file = dir_ / "theirs.svg";
  write_file(file, "old", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(chown(file.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  EXPECT_EQ(write_output_file(file.string(), "<svg/>"), "");
  struct stat status {};
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, nobody->pw_uid);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  EXPECT_EQ(read_file(file), "<svg/>");
}

// The probe stands for the signal arriving while a large page is being written.
int signal_to_raise = 0;
void raise_signal(const char*) {
  raise(signal_to_raise);
}

TEST_F(OutputFile, EverySignalThatEndsTheProcessWhileWritingLeavesNoTemporaryFile) {
  const int signals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGUSR1,
                         SIGUSR2, SIGALRM, SIGPIPE, SIGRTMIN};
  // A 250-byte name leaves no room for a temporary name made from it.
  const std::string long_name(250, 'c');
  for (const bool named_from_the_start : {true, false}) {
    for (const int signal : signals) {
      for (const std::string& name : {std::string("big.svg"), long_name}) {
        const bool existing = signal == SIGTERM;
        SCOPED_TRACE(std::to_string(signal) + (named_from_the_start ? " named" : " anonymous"));
        const fs::path target = dir_ / name;
        for (const std::string& left : names_in(dir_)) fs::remove(dir_ / left);
        if (existing) write_file(target, "old", fs::perms::owner_read | fs::perms::owner_write);
        const pid_t child = fork();
        if (child == 0) {
          signal_to_raise = signal;
          write_output_file(target.string(), std::string(8 << 20, 'x'),
                            {raise_signal, !named_from_the_start});
          _exit(0);  // not reached: the signal ends the child
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(names_in(dir_),
                  existing ? std::vector<std::string>{name} : std::vector<std::string>{});
        if (existing) {
          EXPECT_EQ(read_file(target), "old");
        }
      }
    }
  }
}

TEST_F(OutputFile, ANameAsLongAsTheFileSystemTakesIsWrittenWithOrWithoutANamelessFile) {
  for (const bool named_from_the_start : {true, false}) {
    const OutputFileHooks hooks{nullptr, !named_from_the_start};
    for (const std::size_t length : {245u, 251u, 255u}) {
      const fs::path target = dir_ / std::string(length, 'c');
      EXPECT_EQ(write_output_file(target.string(), "page", hooks), "") << length;
      EXPECT_EQ(read_file(target), "page");
      EXPECT_EQ(write_output_file(target.string(), "again", hooks), "") << length;
      EXPECT_EQ(read_file(target), "again");
      fs::remove(target);
    }
    EXPECT_NE(write_output_file((dir_ / std::string(256, 'c')).string(), "x", hooks), "");
    EXPECT_TRUE(fs::is_empty(dir_));
  }
}

TEST(StandardOutput, EveryCommandReportsAFullDeviceWithOneLineAndExitCodeTwo) {
  // clang-format off
  const std::vector<std::string> cases[] = {
      {"summary"},
      {"--help"},
      {"template", "--help"},
      {"template", "-o", "-", "--format", "trace"},
      {"strobe", "60hz", "-o", "-", "--format", "trace", "--dpi", "72"},
      {"strobe", "custom", "-o", "/dev/stdout", "--format", "trace"},
      {"analyze", "-o", "-"},
      {"analyze", "--help"},
  };
  // clang-format on
  for (const auto& args : cases) {
    const ProgramRun r = run_program(args, "/dev/full");
    EXPECT_EQ(r.code, 2) << args[0] << " " << r.err;
    EXPECT_TRUE(r.err.starts_with("veltrane-cli: cannot write ")) << r.err;
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(run_program(args, "/dev/null").code, 0) << args[0];
  }
}

TEST_F(OutputFile, ClosedStandardStreamsFailAsClosedAndTakeNoFileOfTheProcess) {
  const std::string page = (dir_ / "page.trace").string();
  const std::string closed = "cannot write to standard output: Bad file descriptor";
  // clang-format off
  const struct { std::vector<std::string> args; bool error_closed; std::string error; } cases[] = {
    {{"summary"},                                              false, closed},
    {{"template", "-o", "-", "--format", "pdf"},               false, closed},
    {{"strobe", "60hz", "-o", "-", "--format", "png", "--dpi", "10"}, false, closed},
    // A path naming a closed stream fails as "-" does, not into the null device holding it.
    {{"template", "-o", "/dev/stdout", "--format", "pdf"},     false, "cannot write '/dev/stdout': Bad file descriptor"},
    {{"analyze", "-o", "/dev/fd/1"},                           false, "cannot write '/dev/fd/1': Bad file descriptor"},
    {{"template", "-o", "/proc/self/fd/1", "--format", "svg"}, false, "cannot write '/proc/self/fd/1': Bad file descriptor"},
    // A file opened while a standard stream is closed would otherwise take its descriptor,
    // and the lines about the rings would go into the page.
    {{"strobe", "speed", "--rpm", "45,78", "-o", page},        false, ""},
    {{"strobe", "speed", "--rpm", "45,78", "-o", page},        true,  ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    fs::remove(page);
    const ProgramRun r = run_program(c.args, nullptr, c.error_closed);
    EXPECT_EQ(r.code, c.error.empty() ? 0 : 2) << c.args[0] << " " << r.err;
    if (!c.error.empty()) {
      EXPECT_EQ(r.err, "veltrane-cli: " + c.error + "\n");
    } else {
      const std::string trace = read_file(page);
      EXPECT_TRUE(trace.starts_with("open ")) << trace.substr(0, 80);
      EXPECT_EQ(trace.find("stand still"), std::string::npos) << "the report is not in it";
    }
  }
  const ProgramRun r =
      run_program({"template", "-o", "/dev/stderr", "--format", "pdf"}, "/dev/null", true);
  EXPECT_EQ(r.code, 2);
}

TEST_F(OutputFile, APathNamingStandardOutputWritesToItsDescriptorEvenASocket) {
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  const ProgramRun r = run_program({"template", "-o", "/dev/stdout", "--format", "trace"}, nullptr,
                                   false, {}, pair[0]);
  close(pair[0]);
  std::string received;
  char buffer[4096];
  for (ssize_t n; (n = read(pair[1], buffer, sizeof buffer)) > 0;) received.append(buffer, n);
  close(pair[1]);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(received.starts_with("open ")) << received.substr(0, 80);
}

TEST_F(OutputFile, AFileSizeLimitIsAFailedWriteWithNoTemporaryFileLeft) {
  const std::string page = (dir_ / "lim.png").string();
  const std::string text = (dir_ / "so.txt").string();
  std::ofstream(text).close();
  const auto limit_file_size = [] {
    const rlimit limit{rlim_t{20} << 10, rlim_t{20} << 10};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
  };
  // clang-format off
  const struct { std::vector<std::string> args; const char* output; const char* error; } cases[] = {
    {{"template", "--format", "png", "-o", page}, "/dev/null", "cannot write '"},
    {{"analyze", "--step", "0.001"},              text.c_str(), "cannot write to standard output"},
    // Written row by row as it is computed, and still whole or not at all.
    {{"analyze", "--step", "0.001", "--format", "json", "-o", page}, "/dev/null", "cannot write '"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const ProgramRun r = run_program(c.args, c.output, false, limit_file_size);
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_TRUE(r.err.starts_with(std::string("veltrane-cli: ") + c.error)) << r.err;
    EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
    EXPECT_EQ(names_in(dir_), std::vector<std::string>{"so.txt"});
  }
}

TEST_F(OutputFile, APageTheBackEndCouldNotPaintIsAnErrorAndNoFile) {
  // This test links a back end whose pages never come out.
  for (const char* name : {"page.pdf", "page.png", "-"}) {
    const std::string path = name[0] == '-' ? "-" : (dir_ / name).string();
    std::ostringstream out, err;
    const std::vector<std::string_view> args = {"strobe", "60hz", "-o", path};
    const std::vector<std::string_view> with_format = {"strobe", "60hz",     "-o",
                                                       path,     "--format", "png"};
    EXPECT_EQ(run_cli(name[0] == '-' ? with_format : args, out, err), 2) << name;
    const std::string message = err.str();
    EXPECT_TRUE(message.starts_with("veltrane-cli: cannot render the page")) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(out.str(), "");
  }
  EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
}  // namespace veltrane
