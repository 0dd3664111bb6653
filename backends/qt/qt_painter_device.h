#pragma once

#include <memory>

#include "print/print_device.h"

class QPaintDevice;

namespace veltrane {

/// One output of the Qt painting code: the printer, or a PDF, SVG or PNG page.
class PaintTarget {
 public:
  virtual ~PaintTarget() = default;
  /// Lays the one page out in `orientation` and returns the device to paint it on, or
  /// nullptr when there is none. Called at most once.
  virtual QPaintDevice* start_page(Orientation orientation) = 0;
  /// Hands the page on once the painter has ended it (writes a file's bytes).
  virtual void finish() = 0;
  /// Whether a document closed before anything was drawn still has its blank page.
  virtual bool keeps_blank_page() const = 0;
};

/// The one painting code path of the Qt back ends. The painter begins lazily, at
/// `dots_per_inch` or the first drawing, so that the orientation set after a printer
/// dialog applies. When it cannot begin, the device draws nothing and `close` does nothing.
std::unique_ptr<PrintDevice> make_painter_device(std::unique_ptr<PaintTarget> target);

/// Fonts need a QGuiApplication: a program without one (the command-line tool) gets one on
/// the offscreen platform. Does nothing when an application exists.
void ensure_gui_application();

}  // namespace veltrane
