#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/options.h"
#include "cli_run.h"
#include "speed_recording.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;

class CliSpeed : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("veltrane-speed-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string file(const std::string& name, const std::string& bytes) {
    std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  fs::path folder_;
};

TEST_F(CliSpeed, ReportsAndPage) {
  const std::string wav = file("tone.wav", wav_file(tone_samples({.seconds = 6,
                                                                  .error_percent = -0.25,
                                                                  .modulation_hz = 4,
                                                                  .modulation_percent = 0.1}),
                                                    48000));
  const CliRun text = run({"speed", wav});
  EXPECT_EQ(text.code, 0) << text.err;
  EXPECT_EQ(text.err, "");
  EXPECT_NE(text.out.find("\nSpeed error: -0.250 %\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("\nWeighted peak wow and flutter (2 sigma): \u00B10.100 %\n"),
            std::string::npos)
      << text.out;

  const std::string page = (folder_ / "page.trace").string();
  const CliRun json =
      run({"speed", "--format", "json", "--tone=3150", "--rpm", "45", wav, "-o", page});
  EXPECT_EQ(json.code, 0) << json.err;
  std::size_t at = 0;
  for (const char* key : {"tone_hz", "speed_error_percent", "drift_percent_per_min",
                          "wow_rms_percent", "flutter_rms_percent", "weighted_peak_percent",
                          "dominant_modulation_hz", "dominant_modulation_percent", "duration_s"}) {
    at = json.out.find("\"" + std::string(key) + "\": ", at);
    EXPECT_NE(at, std::string::npos) << key;
  }
  std::ifstream trace(page);
  std::string first, second;
  std::getline(trace, first);
  std::getline(trace, second);
  EXPECT_EQ(second, "page landscape 600 600");

  // A page on paper that cuts its plots off is written, with the warning every page gets.
  const std::string svg = (folder_ / "page.svg").string();
  const CliRun narrow = run({"speed", wav, "--margin", "25", "-o", svg});
  EXPECT_EQ(narrow.code, 0) << narrow.err;
  EXPECT_EQ(narrow.err,
            "veltrane-cli: warning: a4 paper cuts off the deviation plot and the spectrum plot; "
            "the smallest paper with room for every mark is tabloid\n");
  EXPECT_TRUE(fs::file_size(svg) > 0);
}

TEST_F(CliSpeed, RefusesWhatItCannotMeasure) {
  const std::string tone = wav_file(tone_samples({.seconds = 6, .tone_hz = 3000}), 48000);
  // clang-format off
  const struct { std::vector<std::string> args; const char* problem; } cases[] = {
      {{"speed", file("text.wav", "hello")},        "the file is not a WAV file (it is too short for one)"},
      {{"speed", file("short.wav", tone.substr(0, std::size_t{48000} * 2))}, "the WAV file is truncated: its data chunk declares 576000 bytes, the file holds 95944"},
      {{"speed", file("3000.wav", tone)},           "no tone within \u00B14 % of 3150 Hz; the recording's tone is at 3000.0 Hz: if that is the record's test tone, give the test tone as 3000 Hz"},
      {{"speed", (folder_ / "missing.wav").string()}, "No such file or directory"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const CliRun r = run({c.args.begin(), c.args.end()});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "veltrane-cli: '" + c.args[1] + "': " + c.problem + "\n" +
                         std::string(usage_line(Command::speed)) + "\n");
  }
  const CliRun measured = run({"speed", file("3000.wav", tone), "--tone", "3000"});
  EXPECT_EQ(measured.code, 0) << measured.err;
  // A page that cannot be written: its one problem, and no figures that look like success.
  const CliRun unwritten = run({"speed", file("3000.wav", tone), "--tone", "3000", "-o",
                                (folder_ / "no-such-folder" / "s.pdf").string()});
  EXPECT_EQ(unwritten.code, 2);
  EXPECT_EQ(unwritten.out, "");
  for (const std::vector<std::string_view>& args : {std::vector<std::string_view>{"speed"},
                                                    {"speed", "a.wav", "b.wav"},
                                                    {"speed", "a.wav", "--tone", "0"},
                                                    {"speed", "a.wav", "--format", "csv"},
                                                    {"speed", "a.wav", "-o", "-"},
                                                    {"speed", "a.wav", "-o", "page.txt"},
                                                    {"speed", "a.wav", "--rpm", "fast"}})
    expect_usage_error(args, "usage: veltrane-cli speed");
}

}  // namespace
}  // namespace veltrane
