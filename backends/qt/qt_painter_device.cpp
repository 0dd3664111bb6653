#include "backends/qt/qt_painter_device.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "backends/qt/arc_path.h"

namespace veltrane {
namespace {

// A device dot is the square whose top-left corner is at its coordinates, as on a printer
// raster: lines and outlines run through dot centres, so a one-dot line covers exactly one
// row or column of dots. Text cells are placed by their corner.
QPointF dot_centre(QPoint dot) {
  return {dot.x() + 0.5, dot.y() + 0.5};
}

QRectF box_through_centres(DotBox box) {
  return QRectF(dot_centre({box.x1, box.y1}), dot_centre({box.x2, box.y2})).normalized();
}

// Lines stand in for curves this close to them where shapes are inked into a raster.
constexpr double flattening_tolerance_dots = 0.02;

QColor colour_of(Colour colour) {
  return colour == Colour::white ? QColor(Qt::white) : QColor(Qt::black);
}

class PainterDevice final : public PrintDevice {
 public:
  explicit PainterDevice(std::unique_ptr<PaintTarget> target) : target_(std::move(target)) {}

  void set_orientation(Orientation orientation) override {
    if (state_ == State::waiting) orientation_ = orientation;
  }

  Resolution dots_per_inch() override {
    begin_page();
    return resolution_;
  }

  void set_pen_width(int dots) override { pen_width_ = std::max(dots, 1); }
  void move_to(int x, int y) override { position_ = {x, y}; }

  void line_to(int x, int y) override {
    const QPoint to(x, y);
    if (begin_page()) {
      draw_waiting_wedges();
      use_pen_and_fill(Qt::black, false);
      target_->paint([&] { painter_.drawLine(dot_centre(position_), dot_centre(to)); });
    }
    position_ = to;
  }

  void ellipse(DotBox box, Colour outline, Fill fill) override {
    if (!begin_page()) return;
    const QRectF ellipse = box_through_centres(box);
    const bool white_disc = outline == Colour::white && fill == Fill::solid;
    draw_waiting_wedges(white_disc ? &ellipse : nullptr);
    use_pen_and_fill(colour_of(outline), fill == Fill::solid);
    target_->paint([&] { painter_.drawPath(ellipse_path(ellipse)); });
  }

  void arc(DotBox box, float start_rad, float end_rad) override {
    if (!begin_page()) return;
    draw_waiting_wedges();
    use_pen_and_fill(Qt::black, false);
    target_->paint(
        [&] { painter_.drawPath(arc_path(box_through_centres(box), start_rad, end_rad)); });
  }

  // Wedges wait for the next drawing: when that is a white disc over their tips, as on a
  // strobe disk, the hidden tips are left out. Qt's antialiasing rasteriser works in bands
  // of a few dozen rows and walks every edge of a path once per band, so a wedge costs
  // the square of its height; its visible end alone is a small fraction of that.
  void pie(DotBox box, float start_rad, float end_rad) override {
    if (!begin_page()) return;
    waiting_wedges_.push_back({box, start_rad, end_rad, pen_width_});
  }

  void select_font(const PrintFont& font) override {
    font_ = font;
    font_realised_ = false;
  }

  void print_text(std::string_view utf8) override {
    if (!begin_page()) return;
    draw_waiting_wedges();
    if (!font_realised_) realise_font();
    painter_.setPen(QPen(Qt::black));
    const QFontMetrics metrics = painter_.fontMetrics();
    target_->paint([&] {
      painter_.drawText(QPointF(position_.x(), position_.y() + metrics.ascent()),
                        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    });
    // Lines of text run on downward; past the range a page can address they stay there.
    position_ = {0, static_cast<int>(std::min<qint64>(qint64{position_.y()} + metrics.lineSpacing(),
                                                      qint64{1} << 30))};
  }

  void close() override {
    if (state_ == State::waiting && target_->keeps_blank_page()) begin_page();
    if (state_ == State::painting) {
      draw_waiting_wedges();
      painter_.end();
      target_->finish();
    }
    state_ = State::closed;
  }

 private:
  enum class State { waiting, painting, inert, closed };

  bool begin_page() {
    if (state_ == State::waiting) {
      const PageSurface page = target_->start_page(orientation_);
      QPaintDevice* device = page.device;
      if (device != nullptr) resolution_ = {device->logicalDpiX(), device->logicalDpiY()};
      raster_ = page.raster;
      state_ = device != nullptr && painter_.begin(device) ? State::painting : State::inert;
      if (state_ == State::painting) {
        painter_.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        clipped_to_printable_area_ = page.printable_area.has_value();
        if (clipped_to_printable_area_) {
          painter_.setClipRect(*page.printable_area);
          raster_origin_ = page.printable_area->topLeft();
        }
        painter_.translate(page.printable_corner);
      }
    }
    return state_ == State::painting;
  }

  struct Wedge {
    DotBox box;
    float start_rad = 0;
    float end_rad = 0;
    int pen_width = 1;
  };

  // Draws the waiting wedges, each without the part of its tip that `white_disc`, painted
  // next, will cover completely.
  void draw_waiting_wedges(const QRectF* white_disc = nullptr) {
    if (waiting_wedges_.empty()) return;
    target_->paint([&] { paint_waiting_wedges(white_disc); });
  }

  void paint_waiting_wedges(const QRectF* white_disc) {
    if (closes_into_band(waiting_wedges_)) {
      // The outlines close every gap: the ring is the solid disc it prints as, with the
      // wedges' outline around it.
      const Wedge& any = waiting_wedges_.front();
      use_pen_and_fill(Qt::black, true, any.pen_width);
      painter_.drawPath(ellipse_path(box_through_centres(any.box)));
      waiting_wedges_.clear();
      return;
    }
    // On a raster the outline is stroked as a second shape around the wedge, which costs
    // the raster engine twice as much as the wedge again; the wedge grown by the outline
    // is what both ink. (Vector files keep the wedge and its outline; a one-dot outline
    // is drawn as a hairline, not as a shape, and is left so.)
    const bool inks_as_one_shape =
        painter_.paintEngine() != nullptr && painter_.paintEngine()->type() == QPaintEngine::Raster;
    for (const Wedge& wedge : waiting_wedges_) {
      const QRectF box = box_through_centres(wedge.box);
      const double from =
          white_disc != nullptr ? hidden_tip(box, wedge, *white_disc, pen_width_) : 0;
      const double sweep = std::remainder(double{wedge.end_rad} - wedge.start_rad, 2 * M_PI);
      if (inks_as_one_shape && wedge.pen_width > 1 && sweep > 0 && sweep < M_PI / 2) {
        const QPainterPath inked =
            inked_wedge(box, wedge.start_rad, wedge.end_rad, from, wedge.pen_width);
        if (ink_into_raster(inked)) continue;
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(Qt::black);
        painter_.drawPath(inked);
        continue;
      }
      use_pen_and_fill(Qt::black, true, wedge.pen_width);
      painter_.drawPath(from > 0 ? wedge_without_tip(box, wedge.start_rad, wedge.end_rad, from)
                                 : pie_path(box, wedge.start_rad, wedge.end_rad));
    }
    waiting_wedges_.clear();
  }

  // Inks `shape` in black straight into the page's dots where the page is a grey raster
  // and nothing but an offset lies between the painter and them. Qt's rasteriser walks
  // all the edges of a shape once for each band of a few dozen rows, so a wedge as long as
  // a strobe ring's bars costs it the square of its length; here it costs its length.
  bool ink_into_raster(const QPainterPath& shape) {
    const QTransform to_device = painter_.combinedTransform();
    if (raster_.bits == nullptr || to_device.type() > QTransform::TxTranslate ||
        painter_.hasClipping() != clipped_to_printable_area_ || painter_.opacity() != 1 ||
        painter_.compositionMode() != QPainter::CompositionMode_SourceOver)
      return false;
    std::vector<RasterPoint> corners;
    for (const QPointF& corner : flattened(shape, flattening_tolerance_dots)) {
      const QPointF dot = to_device.map(corner) - raster_origin_;
      corners.push_back({dot.x(), dot.y()});
    }
    return ink_polygon(raster_, corners);
  }

  // Whether `wedges` go all the way round one ellipse with gaps that their outlines close
  // with a dot to spare, so that every dot of the ring is wholly covered.
  static bool closes_into_band(const std::vector<Wedge>& wedges) {
    if (wedges.size() < 2) return false;
    const Wedge& first = wedges.front();
    for (const Wedge& w : wedges)
      if (w.box.x1 != first.box.x1 || w.box.y1 != first.box.y1 || w.box.x2 != first.box.x2 ||
          w.box.y2 != first.box.y2 || w.pen_width != first.pen_width)
        return false;
    const double radius = std::max(std::abs(static_cast<double>(first.box.x2) - first.box.x1),
                                   std::abs(static_cast<double>(first.box.y2) - first.box.y1)) /
                          2;
    const double widest_gap_rad = (first.pen_width - 1) / std::max(radius, 1.0);
    std::vector<std::pair<double, double>> spans;
    spans.reserve(wedges.size());
    for (const Wedge& w : wedges) {
      const double start = std::remainder(double{w.start_rad}, 2 * M_PI);
      const double sweep = std::remainder(double{w.end_rad} - w.start_rad, 2 * M_PI);
      if (!(sweep > 0) || !std::isfinite(start)) return false;
      spans.emplace_back(start, start + sweep);
    }
    std::sort(spans.begin(), spans.end());
    for (std::size_t i = 0; i < spans.size(); ++i) {
      const double next_start =
          i + 1 < spans.size() ? spans[i + 1].first : spans.front().first + 2 * M_PI;
      if (next_start - spans[i].second > widest_gap_rad) return false;
    }
    return true;
  }

  // How far out along its radii (0 to 1) the wedge can start so that the triangle cut off,
  // with the wedge's outline around it, lies where the disc, drawn with a pen of
  // `disc_pen`, paints every dot wholly white. 0 when nothing is to be gained.
  static double hidden_tip(const QRectF& box, const Wedge& wedge, const QRectF& disc,
                           int disc_pen) {
    const double sweep = std::remainder(double{wedge.end_rad} - wedge.start_rad, 2 * M_PI);
    if (!(sweep > 0 && sweep < M_PI / 2)) return 0;  // a wide wedge's tip is no triangle
    // Beyond the outline's half width, a dot and a half for antialiasing and rounding.
    const double margin = wedge.pen_width + 3;
    const double rx = disc.width() / 2 + std::max(disc_pen, 1) / 2.0 - margin;
    const double ry = disc.height() / 2 + std::max(disc_pen, 1) / 2.0 - margin;
    if (!(rx > 0 && ry > 0)) return 0;
    // In units of the shrunk disc, centred on it.
    const auto unit = [&](QPointF p) {
      return QPointF((p.x() - disc.center().x()) / rx, (p.y() - disc.center().y()) / ry);
    };
    const QPointF tip = unit(box.center());
    const double tip_square = QPointF::dotProduct(tip, tip);
    if (!(tip_square < 1)) return 0;
    // The largest t at which tip + t (corner - tip) is still inside the unit circle.
    const auto reach = [&](QPointF corner) {
      const QPointF v = unit(corner) - tip;
      const double vv = QPointF::dotProduct(v, v);
      const double uv = QPointF::dotProduct(tip, v);
      return vv > 0 ? (-uv + std::sqrt(uv * uv - vv * (tip_square - 1))) / vv : 0.0;
    };
    const auto [first, last] = wedge_corners(box, wedge.start_rad, wedge.end_rad);
    const double from = std::min({reach(first), reach(last), 1.0}) * 0.98;
    return std::isfinite(from) && from > 0.05 ? from : 0;
  }

  void use_pen_and_fill(const QColor& colour, bool filled) {
    use_pen_and_fill(colour, filled, pen_width_);
  }

  void use_pen_and_fill(const QColor& colour, bool filled, int pen_width) {
    painter_.setPen(QPen(colour, pen_width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
  }

  void realise_font() {
    QFont font(QString::fromUtf8(font_.face.data(), static_cast<qsizetype>(font_.face.size())));
    font.setPixelSize(font_em_height_dots(font_.size_pt, resolution_.down));
    font.setItalic(font_.italic);
    font.setWeight(QFont::Normal);
    // The same metrics on every device, whatever its resolution.
    font.setHintingPreference(QFont::PreferNoHinting);
    painter_.setFont(font);
    font_realised_ = true;
  }

  std::unique_ptr<PaintTarget> target_;  // outlives the painter, which may still be active
  QPainter painter_;
  State state_ = State::waiting;
  Orientation orientation_ = Orientation::portrait;
  Resolution resolution_;
  int pen_width_ = 1;
  QPoint position_;
  PrintFont font_;
  bool font_realised_ = false;
  std::vector<Wedge> waiting_wedges_;
  GreyRaster raster_;
  QPointF raster_origin_;  // the raster's first dot in the device's dots
  bool clipped_to_printable_area_ = false;
};

// A Qt message handler is a plain function: the one it passes errors on to can only be here.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables)
QtMessageHandler handler_outside_start = nullptr;

// Qt's start may warn about the desktop session (a missing runtime directory, say), which
// is no concern of a program that only renders files and whose error output is its own.
void pass_only_errors(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if ((type == QtCriticalMsg || type == QtFatalMsg) && handler_outside_start != nullptr)
    handler_outside_start(type, context, message);
}

}  // namespace

std::unique_ptr<QGuiApplication> offscreen_application_if_none() {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  // The platform is asked for on the command line, so nothing in the environment decides
  // it. The arguments must outlive the application, which takes out those it reads; there
  // is only ever one application, so they are set afresh for each.
  static char name[] = "veltrane";
  static char platform_option[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[4];
  static int argc;
  argv[0] = name;
  argv[1] = platform_option;
  argv[2] = platform;
  argv[3] = nullptr;
  argc = 3;
  handler_outside_start = qInstallMessageHandler(pass_only_errors);
  auto application = std::make_unique<QGuiApplication>(argc, argv);
  qInstallMessageHandler(handler_outside_start);
  return application;
}

std::unique_ptr<PrintDevice> make_painter_device(std::unique_ptr<PaintTarget> target) {
  return std::make_unique<PainterDevice>(std::move(target));
}

}  // namespace veltrane
