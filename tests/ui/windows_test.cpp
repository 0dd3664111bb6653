#include "ui/window_descriptions.h"

#include <gtest/gtest.h>

namespace veltrane {
namespace {

TEST(HelpText, TwentySixLinesAsWritten) {
  const std::string text = help_text();
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  ASSERT_EQ(lines.size(), 26u);
  EXPECT_EQ(lines[0], "Veltrane");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[7], "Choose inner and outer groove radius using standards, ");
  EXPECT_EQ(lines[17], "wings to the template, equidistant from the grid center-");
  EXPECT_EQ(lines[18], "line to assist in lining up the back of the cartridge.");
  EXPECT_EQ(lines[25], "known as Baerwald. *** Read the ReadMe file ***");
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace veltrane
