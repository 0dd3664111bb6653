// veltrane-cli writing real files: what a viewer reads from them, and what it says on the way.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "pdf_facts.h"

namespace veltrane {
namespace {

struct Written {
  int code;
  std::string err;
  std::string bytes;
};

Written run_to_file(std::vector<std::string_view> args, const std::string& extension) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("veltrane_cli_pdf_" + std::to_string(::getpid()) + "." + extension);
  const std::string name = path.string();
  args.insert(args.end(), {"-o", name});
  std::ostringstream out, err;
  const int code = run_cli(args, out, err);
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  std::filesystem::remove(path);
  return {code, err.str(), bytes.str()};
}

const std::string letter_warning =
    "veltrane-cli: warning: letter paper cuts off the pivot cross and the pivot label; the "
    "smallest paper with room for every mark is a4\n";

TEST(CliPdf, TitledAtActualSizeOnThePaperAsked) {
  // clang-format off
  const struct { std::vector<std::string_view> args; const char* title; double width_pt, height_pt; std::string err; } cases[] = {
      {{"template"},                                      "Arc template 209 mm, L\u00F6fgren A", 841.89, 595.276, ""},
      {{"template", "--pivot", "239.3", "--paper", "letter"},
                                                          "Arc template 239.3 mm, L\u00F6fgren A", 792, 612, letter_warning},
      {{"template", "--pivot", "239.3", "--paper=a4", "--alignment", "stevenson-a"},
                                                          "Arc template 239.3 mm, Stevenson A", 841.89, 595.276, ""},
      {{"template", "--pivot", "330", "--paper", "tabloid", "--dpi", "300"},
                                                          "Arc template 330 mm, L\u00F6fgren A", 1224, 792, ""},
      {{"strobe", "60hz", "--paper", "legal"},            "Strobe disk 60 Hz", 612, 1008, ""},
      {{"strobe", "50hz", "--paper", "a3"},               "Strobe disk 50 Hz", 841.89, 1190.551, ""},
      {{"strobe", "custom", "--outer", "100", "--inner", "72"}, "Strobe disk 100/72 bars", 595.276, 841.89, ""},
      {{"strobe", "custom"},                              "Strobe disk 216/160 bars", 595.276, 841.89, ""},
      {{"analyze", "--pivot", "222", "--format", "pdf", "--paper", "legal"},
                                                          "Alignment analysis 222 mm", 1008, 612, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Written w = run_to_file(c.args, "pdf");
    EXPECT_EQ(w.code, 0) << c.title;
    EXPECT_EQ(w.err, c.err) << c.title;
    const PdfFacts pdf = pdf_facts(w.bytes);
    ASSERT_TRUE(pdf.readable) << c.title;
    EXPECT_EQ(pdf.pages, 1u);
    EXPECT_EQ(pdf.print_scaling, "/None") << c.title;
    EXPECT_EQ(pdf.title, c.title);
    EXPECT_NEAR(pdf.width_pt, c.width_pt, 0.001) << c.title;
    EXPECT_NEAR(pdf.height_pt, c.height_pt, 0.001) << c.title;
  }
}

TEST(CliPdf, OtherFormatsWarnAndAreTitledToo) {
  const Written png =
      run_to_file({"template", "--pivot", "239.3", "--paper", "letter", "--dpi", "20"}, "png");
  EXPECT_EQ(png.code, 0);
  EXPECT_EQ(png.err, letter_warning);
  const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.bytes.data()),
                                        static_cast<int>(png.bytes.size()), "PNG");
  EXPECT_EQ(image.width(), 220);  // 11 in across at 20 dpi
  EXPECT_EQ(image.height(), 170);

  const Written svg = run_to_file({"strobe", "50hz", "--paper", "tabloid"}, "svg");
  EXPECT_EQ(svg.code, 0);
  EXPECT_EQ(svg.err, "");
  EXPECT_NE(svg.bytes.find("<title>Strobe disk 50 Hz</title>"), std::string::npos);
  EXPECT_NE(svg.bytes.find("width=\"279.4"), std::string::npos);
}

}  // namespace
}  // namespace veltrane
