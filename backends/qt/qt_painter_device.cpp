#include "backends/qt/qt_painter_device.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QString>
#include <algorithm>

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
      use_pen_and_fill(Qt::black, false);
      painter_.drawLine(dot_centre(position_), dot_centre(to));
    }
    position_ = to;
  }

  void ellipse(DotBox box, Colour outline, Fill fill) override {
    if (!begin_page()) return;
    use_pen_and_fill(colour_of(outline), fill == Fill::solid);
    painter_.drawPath(ellipse_path(box_through_centres(box)));
  }

  void arc(DotBox box, float start_rad, float end_rad) override {
    if (!begin_page()) return;
    use_pen_and_fill(Qt::black, false);
    painter_.drawPath(arc_path(box_through_centres(box), start_rad, end_rad));
  }

  void pie(DotBox box, float start_rad, float end_rad) override {
    if (!begin_page()) return;
    use_pen_and_fill(Qt::black, true);
    painter_.drawPath(pie_path(box_through_centres(box), start_rad, end_rad));
  }

  void select_font(const PrintFont& font) override {
    font_ = font;
    font_realised_ = false;
  }

  void print_text(std::string_view utf8) override {
    if (!begin_page()) return;
    if (!font_realised_) realise_font();
    painter_.setPen(QPen(Qt::black));
    const QFontMetrics metrics = painter_.fontMetrics();
    painter_.drawText(QPointF(position_.x(), position_.y() + metrics.ascent()),
                      QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    // Lines of text run on downward; past the range a page can address they stay there.
    position_ = {0, static_cast<int>(std::min<qint64>(qint64{position_.y()} + metrics.lineSpacing(),
                                                      qint64{1} << 30))};
  }

  void close() override {
    if (state_ == State::waiting && target_->keeps_blank_page()) begin_page();
    if (state_ == State::painting) {
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
      state_ = device != nullptr && painter_.begin(device) ? State::painting : State::inert;
      if (state_ == State::painting) {
        painter_.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter_.translate(page.printable_corner);
      }
    }
    return state_ == State::painting;
  }

  void use_pen_and_fill(const QColor& colour, bool filled) {
    painter_.setPen(QPen(colour, pen_width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
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
};

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
