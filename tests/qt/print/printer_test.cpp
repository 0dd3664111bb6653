#include "backends/qt/qt_printer.h"

#include <gtest/gtest.h>

#include "backends/qt/qt_painter_device.h"

namespace veltrane {
namespace {

TEST(QtPrinter, AnUnknownPrinterOpensNoDocument) {
  ensure_gui_application();
  EXPECT_EQ(open_qt_printer(print_document_name, "veltrane-test-no-such-printer"), nullptr);
}

}  // namespace
}  // namespace veltrane
