#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace veltrane {

enum class Orientation { portrait, landscape };
enum class Colour { black, white };
enum class Fill { hollow, solid };

struct Resolution {
  int across = 0;  ///< dots per inch along x of the page as oriented
  int down = 0;    ///< dots per inch along y
};

/// Bounding box of an ellipse, arc or wedge in whole device dots.
struct DotBox {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

/// A font description; needs no job. Weight is always normal.
struct PrintFont {
  std::string face;   ///< at most 31 characters
  float size_pt = 0;  ///< 0 means 8 points
  bool italic = false;
};

/// One back end's open document of one page: the printer, a file, or the trace.
/// Coordinates arrive rounded and range-checked; angles in radians, counter-clockwise as
/// seen on the page from 3 o'clock. The current position and its advance after text are
/// the device's, since only it knows the font's line height.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  virtual void set_orientation(Orientation orientation) = 0;
  virtual Resolution dots_per_inch() = 0;
  virtual void set_pen_width(int dots) = 0;
  virtual void move_to(int x, int y) = 0;
  virtual void line_to(int x, int y) = 0;
  virtual void ellipse(DotBox box, Colour outline, Fill fill) = 0;
  virtual void arc(DotBox box, float start_rad, float end_rad) = 0;
  virtual void pie(DotBox box, float start_rad, float end_rad) = 0;
  virtual void select_font(const PrintFont& font) = 0;
  virtual void print_text(std::string_view utf8) = 0;  ///< never called with empty text
  virtual void close() = 0;  ///< ends the page and the document; hands it to the service
};

/// Opens a document on a chosen device, or returns nullptr when the choice was cancelled
/// or failed. Whoever prints (the window, the CLI, a test) decides which back end this is.
using PrintOpener = std::function<std::unique_ptr<PrintDevice>(std::string_view document_name)>;

inline constexpr std::string_view print_document_name = "Print Job";

/// The em height a back end realises a font at: round(points x dpi down / 72). Sizes of 0,
/// below 0, not finite or beyond 1000 points fall back to 8 points, so a correction factor
/// can neither hide text nor ask the device for an absurd font; never less than one dot.
int font_em_height_dots(float size_pt, int dpi_down);

}  // namespace veltrane
