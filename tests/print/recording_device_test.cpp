#include "print/recording_device.h"

#include <gtest/gtest.h>

#include <sstream>

#include "print/trace_device.h"

namespace veltrane {
namespace {

// Draws a little of everything, as a page would; returns the resolution it was given.
int draw(PrintDevice& device) {
  device.set_orientation(Orientation::portrait);
  const int dpi = device.dots_per_inch().across;
  device.set_pen_width(3);
  device.move_to(10, 20);
  device.line_to(30, 40);
  device.ellipse({1, 2, 3, 4}, Colour::black, Fill::solid);
  device.arc({1, 2, 3, 4}, 0.5f, 1.5f);
  device.pie({1, 2, 3, 4}, 0.5f, 1.5f);
  device.select_font({"Arial", 12, true});
  device.print_text("first");
  device.print_text("zweite \u00DC");
  return dpi;
}

TEST(RecordingDevice, RecordsTheTraceAndTheTextsOfEachClosedJob) {
  std::vector<RecordedJob> jobs;
  const PrintOpener open = recording_opener(jobs, 300);
  for (int i = 0; i < 2; ++i) {
    auto device = open("Print Job");
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(draw(*device), 300);
    EXPECT_EQ(jobs.size(), static_cast<std::size_t>(i)) << "recorded before it was closed";
    device->close();
  }

  std::ostringstream expected;
  auto trace = make_trace_device(expected, "Print Job", 300);
  draw(*trace);
  trace->close();
  ASSERT_EQ(jobs.size(), 2u);
  for (const RecordedJob& job : jobs) {
    EXPECT_EQ(job.document_name, "Print Job");
    EXPECT_EQ(job.trace, expected.str());
    EXPECT_EQ(job.texts, (std::vector<std::string>{"first", "zweite \u00DC"}));
  }
}

TEST(RecordingDevice, AJobNeverClosedLeavesNoRecord) {
  std::vector<RecordedJob> jobs;
  {
    auto device = make_recording_device(jobs, "abandoned");
    draw(*device);
  }
  EXPECT_TRUE(jobs.empty());
}

}  // namespace
}  // namespace veltrane
