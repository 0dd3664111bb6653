#pragma once

#include <QGuiApplication>
#include <QPointF>
#include <QRectF>
#include <functional>
#include <memory>
#include <optional>

#include "print/print_device.h"
#include "raster/grey_fill.h"

class QPaintDevice;

namespace veltrane {

/// Where a page is painted: the device (nullptr when there is none) and the corner of its
/// printable area in the device's own coordinates, in dots.
struct PageSurface {
  QPaintDevice* device = nullptr;
  QPointF printable_corner;
  /// The dots of the printable area (of the whole device when it has none) when the device
  /// is an eight-bit grey image that shapes may be inked into directly; no bits otherwise.
  GreyRaster raster;
  /// Where the page is cut off, in the device's own dots; none where the device cuts it
  /// off itself, as a printer does.
  std::optional<QRectF> printable_area;
};

/// One output of the Qt painting code: the printer, or a PDF, SVG or PNG page.
class PaintTarget {
 public:
  virtual ~PaintTarget() = default;
  /// Lays the one page out in `orientation` and returns where to paint it. Called at most
  /// once.
  virtual PageSurface start_page(Orientation orientation) = 0;
  /// Hands the page on once the painter has ended it (writes a file's bytes).
  virtual void finish() = 0;
  /// Whether a document closed before anything was drawn still has its blank page.
  virtual bool keeps_blank_page() const = 0;
  /// Runs `draw`, which paints on the page, where the page paints quickest: here unless
  /// the target knows better.
  virtual void paint(const std::function<void()>& draw) { draw(); }
};

/// The one painting code path of the Qt back ends. The painter begins lazily, at
/// `dots_per_inch` or the first drawing, so that the orientation set after a printer
/// dialog applies. When it cannot begin, the device draws nothing and `close` does nothing.
std::unique_ptr<PrintDevice> make_painter_device(std::unique_ptr<PaintTarget> target);

/// Fonts need a QGuiApplication. For a process without an application (the command-line
/// tool) this makes one on the offscreen platform, to be kept while anything is painted;
/// nullptr when an application exists.
std::unique_ptr<QGuiApplication> offscreen_application_if_none();

}  // namespace veltrane
