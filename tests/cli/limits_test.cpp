// veltrane-cli at the limits of the machine: no threads to be had, too little memory.
// Whatever the limit, the program ends with its page written or with one line and exit
// code 2, and leaves nothing behind.
#include <pwd.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "program_run.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;

class Limits : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("veltrane-limits-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::permissions(dir_, fs::perms::all);  // open to nobody
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The run is sound: the page or one line and exit code 2, and nothing else in the folder.
  void expect_sound(const ProgramRun& r, const std::string& page, bool needs_page = false) {
    const bool written = fs::exists(dir_ / page);
    if (r.code == 0) {
      EXPECT_TRUE(written);
      EXPECT_EQ(r.err.find('\n'), std::string::npos) << r.err;
    } else {
      EXPECT_FALSE(needs_page) << r.err;
      EXPECT_EQ(r.code, 2) << r.err;
      EXPECT_TRUE(r.err.starts_with("veltrane-cli: ")) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
      EXPECT_FALSE(written);
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) ++entries;
    EXPECT_EQ(entries, written ? 1u : 0u);
    fs::remove(dir_ / page);
  }

  fs::path dir_;
};

std::vector<std::string> with_output(std::vector<std::string> args, const fs::path& page) {
  args.emplace_back("-o");
  args.push_back(page.string());
  return args;
}

TEST_F(Limits, NoThreadToBeHadEndsWithOneLineNotAHang) {
  // RLIMIT_NPROC does not bind root: the child becomes nobody first.
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() == 0 && nobody == nullptr) GTEST_SKIP() << "no user nobody to drop to";
  const auto one_process = [nobody] {
    if (geteuid() == 0 && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(125);
#ifdef __SANITIZE_ADDRESS__
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // the leak check needs a thread of its own
#endif
    const rlimit limit{1, 1};
    if (setrlimit(RLIMIT_NPROC, &limit) != 0) _exit(126);
  };
  // clang-format off
  const std::vector<std::string> cases[] = {
      {"template", "--format", "png"},
      {"strobe", "60hz", "--format", "png"},
      {"analyze", "--format", "png"},
      {"template", "--format", "pdf"},
  };
  // clang-format on
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0] + " " + args[2]);
    const ProgramRun r =
        run_program(with_output(args, dir_ / "x"), "/dev/null", false, one_process);
    expect_sound(r, "x");
  }
}

TEST_F(Limits, TooLittleAddressSpaceEndsWithOneLineNotACrash) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer reserves terabytes of address space";
#endif
  // Around what a 1200 dpi tabloid sheet needs, where the sheet, the fonts, the painting
  // thread and the encoder each in turn found the memory short.
  for (const int megabytes : {250, 330, 350, 358, 367, 380, 390, 400, 430}) {
    const auto limit_memory = [megabytes] {
      const rlim_t bytes = static_cast<rlim_t>(megabytes) << 20;
      const rlimit limit{bytes, bytes};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
    };
    SCOPED_TRACE(megabytes);
    const ProgramRun r = run_program(
        with_output({"strobe", "60hz", "--paper", "tabloid", "--dpi", "1200"}, dir_ / "x.png"),
        "/dev/null", false, limit_memory);
    expect_sound(r, "x.png");
  }
}

TEST_F(Limits, AMillionRadiiTakeLittleMemoryInEveryFormat) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer's shadow memory is not the program's";
#endif
  for (const char* format : {"text", "csv", "json", "png"}) {
    SCOPED_TRACE(format);
    const ProgramRun r =
        run_program(with_output({"analyze", "--as-typed", "--inner", "0", "--outer", "999999",
                                 "--step", "1", "--format", format},
                                dir_ / "report"),
                    "/dev/null");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_LT(r.peak_kilobytes, 100 * 1024);
    const auto size = fs::file_size(dir_ / "report");
    EXPECT_GT(size, format[0] == 'p' ? 1000u : 40'000'000u);
    fs::remove(dir_ / "report");
  }
}

}  // namespace
}  // namespace veltrane
