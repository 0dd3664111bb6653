// PDF, SVG and PNG pages for veltrane-cli, painted by the same code as the printer.
#if defined(__linux__)
#include <sys/mman.h>

#include <cstring>
#endif

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSemaphore>
#include <QSvgGenerator>
#include <QThread>
#include <QThreadPool>
#include <cmath>
#include <exception>
#include <functional>

#include "backends/qt/pdf_print_scaling.h"
#include "backends/qt/qt_file_device.h"
#include "backends/qt/qt_painter_device.h"
#include "model/number_format.h"
#include "print/file_output.h"
#include "raster/grey_png.h"

namespace veltrane {
namespace {

QPageLayout paper_layout(SheetMm portrait, Orientation orientation) {
  // Qt matches the size to its own standard sheet of that size, by which a PDF viewer
  // names it.
  return {QPageSize(QSizeF(portrait.width_mm, portrait.height_mm), QPageSize::Millimeter),
          orientation == Orientation::landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
          QMarginsF(), QPageLayout::Millimeter};
}

// The whole sheet in dots at `dpi`, to the nearest dot. (Qt keeps page sizes in inches to
// two decimals only, so the millimetres of the paper table it is.)
QSize sheet_dots(SheetMm portrait, Orientation orientation, int dpi) {
  const bool landscape = orientation == Orientation::landscape;
  const double width_mm = landscape ? portrait.height_mm : portrait.width_mm;
  const double height_mm = landscape ? portrait.width_mm : portrait.height_mm;
  return {static_cast<int>(std::lround(width_mm / 25.4 * dpi)),
          static_cast<int>(std::lround(height_mm / 25.4 * dpi))};
}

// The printable area in the sheet's dots: the sheet less the margin at every edge. A PNG's
// lies on whole dots, so the page's dots are the same dots wherever the margin puts them; a
// margin that is no length (negative, not finite) is none, one that leaves no area leaves
// a point.
QRectF printable_area(const QtFilePage& page, QSize sheet) {
  const double margin = page.margin_mm >= 0 && std::isfinite(page.margin_mm) ? page.margin_mm : 0;
  double dots = std::min(margin / 25.4 * page.dpi, std::min(sheet.width(), sheet.height()) / 2.0);
  if (page.format == FileFormat::png) dots = std::round(dots);
  return {QPointF(dots, dots), QPointF(sheet.width() - dots, sheet.height() - dots)};
}

#if defined(__linux__)

struct Mapping {
  void* start = nullptr;
  std::size_t size = 0;
};

void unmap(void* mapping) {
  const auto* m = static_cast<Mapping*>(mapping);
  munmap(m->start, m->size);
  delete m;
}

// A white eight-bit grey sheet. A 1200 dpi sheet is 140 MB that is written once before
// any drawing; in pages of the ordinary size the kernel maps it with some 34,000 faults,
// which took 0.4 s on a virtual machine (0.1 s at 600 dpi), and in huge pages with a few
// dozen, 15 ms. nullptr when memory is short.
std::unique_ptr<QImage> white_sheet(QSize dots) {
  if (dots.isEmpty()) return nullptr;
  const qsizetype bytes_per_line = (qsizetype{dots.width()} + 3) / 4 * 4;  // rows start aligned
  const auto size =
      static_cast<std::size_t>(bytes_per_line) * static_cast<std::size_t>(dots.height());
  if (size / static_cast<std::size_t>(bytes_per_line) != static_cast<std::size_t>(dots.height()))
    return nullptr;
  void* start = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (start == MAP_FAILED) return nullptr;
  madvise(start, size, MADV_HUGEPAGE);
  std::memset(start, 0xFF, size);
  return std::make_unique<QImage>(static_cast<uchar*>(start), dots.width(), dots.height(),
                                  bytes_per_line, QImage::Format_Grayscale8, unmap,
                                  new Mapping{start, size});
}

#else

// A white eight-bit grey sheet; nullptr when memory is short.
std::unique_ptr<QImage> white_sheet(QSize dots) {
  auto image = std::make_unique<QImage>(dots, QImage::Format_Grayscale8);
  if (image->isNull()) return nullptr;
  image->fill(Qt::white);
  return image;
}

#endif

// Qt's SVG writer (6.4) takes no clip: the drawing goes into a group cut off at the
// printable area, as the PDF and PNG are. Left as it is should the writer's frame change.
std::string cut_off_outside(std::string svg, const QRectF& area) {
  constexpr std::string_view empty_defs = "<defs>\n</defs>\n";
  const auto defs = svg.find(empty_defs);
  const auto end = svg.rfind("</svg>");
  if (defs == std::string::npos || end == std::string::npos || end < defs) return svg;
  svg.insert(end, "</g>\n");
  svg.replace(defs, empty_defs.size(),
              "<defs>\n<clipPath id=\"printable-area\"><rect x=\"" +
                  format_up_to_three_decimals(area.x()) + "\" y=\"" +
                  format_up_to_three_decimals(area.y()) + "\" width=\"" +
                  format_up_to_three_decimals(area.width()) + "\" height=\"" +
                  format_up_to_three_decimals(area.height()) +
                  "\"/></clipPath>\n</defs>\n<g clip-path=\"url(#printable-area)\">\n");
  return svg;
}

// Runs `draw` in a thread of Qt's global pool and waits for it. Qt's raster engine hands
// every run of more than about a hundred spans it blends to that pool, unless it paints in
// one of the pool's threads itself: on a strobe disk of some thousand bars at 1200 dpi that
// is some hundred thousand hand-overs of a few dozen dots each, whose waking and waiting
// cost several times the painting.
void run_in_pool_thread(const std::function<void()>& draw) {
  QThreadPool* pool = QThreadPool::globalInstance();
  if (pool->contains(QThread::currentThread())) {  // already there; waiting would deadlock
    draw();
    return;
  }
  QSemaphore done;
  std::exception_ptr failure;  // handed back to the caller, as if drawn here
  pool->start([&] {
    try {
      draw();
    } catch (...) {
      failure = std::current_exception();
    }
    done.release();
  });
  done.acquire();
  if (failure) std::rethrow_exception(failure);
}

class FilePage final : public PaintTarget {
 public:
  FilePage(const QtFilePage& target, PageBytesSink deliver, std::string_view title)
      : application_(offscreen_application_if_none()),
        target_(target),
        deliver_(std::move(deliver)),
        title_(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()))) {}

  PageSurface start_page(Orientation orientation) override {
    const QPageLayout layout = paper_layout(target_.portrait_sheet, orientation);
    const QSize dots = sheet_dots(target_.portrait_sheet, orientation, target_.dpi);
    buffer_.open(QIODevice::WriteOnly);
    switch (target_.format) {
      case FileFormat::pdf: {
        auto pdf = std::make_unique<QPdfWriter>(&buffer_);
        pdf->setResolution(target_.dpi);
        pdf->setTitle(title_);
        pdf->setCreator(QStringLiteral("Veltrane"));
        pdf->setPageLayout(layout);
        device_ = std::move(pdf);
        break;
      }
      case FileFormat::svg: {
        // The size in millimetres, derived from the dots and the resolution, makes the
        // drawing print at full scale.
        auto svg = std::make_unique<QSvgGenerator>();
        svg->setOutputDevice(&buffer_);
        svg->setResolution(target_.dpi);
        svg->setSize(dots);
        svg->setViewBox(QRect(QPoint(0, 0), dots));
        svg->setTitle(title_);
        device_ = std::move(svg);
        break;
      }
      case FileFormat::png: {
        // Black and white pages: eight-bit grey keeps a 1200 dpi sheet affordable.
        std::unique_ptr<QImage> image = white_sheet(dots);
        if (image == nullptr || image->isNull()) break;  // too big for memory: nothing to paint on
        const int dots_per_metre = static_cast<int>(std::lround(target_.dpi / 0.0254));
        image->setDotsPerMeterX(dots_per_metre);
        image->setDotsPerMeterY(dots_per_metre);
        image_ = image.get();
        device_ = std::move(image);
        break;
      }
      case FileFormat::trace:
        break;
    }
    // Drawn as on a printer that cannot print the margin: cut off where it begins.
    const QRectF printable = printable_area(target_, dots);
    printable_ = printable;
    GreyRaster raster;
    if (image_ != nullptr) {
      const QRect area = printable.toRect();
      raster = {image_->bits() + area.top() * image_->bytesPerLine() + area.left(), area.width(),
                area.height(), image_->bytesPerLine()};
    }
    return {device_.get(), printable.topLeft(), raster, printable};
  }

  // Hands on no bytes when the image cannot be encoded, so no partial file is taken for a
  // page.
  void finish() override {
    if (image_ != nullptr) {
      deliver_(encode_grey_png(image_->constBits(), image_->width(), image_->height(),
                               image_->bytesPerLine(), image_->dotsPerMeterX()));
      return;
    }
    device_.reset();
    const QByteArray& data = buffer_.data();
    const std::string_view written(data.constData(), static_cast<std::size_t>(data.size()));
    // A PDF that cannot be given its preference is not handed out without it.
    if (target_.format == FileFormat::pdf) {
      deliver_(with_print_scaling_none(written).value_or(std::string()));
    } else {
      deliver_(cut_off_outside(std::string(written), printable_));
    }
  }

  bool keeps_blank_page() const override { return true; }

  void paint(const std::function<void()>& draw) override {
    if (image_ != nullptr)
      run_in_pool_thread(draw);
    else
      draw();
  }

 private:
  // Made first and destroyed last; ending the application before the process does lets
  // the font libraries release what they hold.
  std::unique_ptr<QGuiApplication> application_;
  QtFilePage target_;
  PageBytesSink deliver_;
  QString title_;
  QBuffer buffer_;
  std::unique_ptr<QPaintDevice> device_;  // goes before the buffer, which it may write to
  QImage* image_ = nullptr;
  QRectF printable_;
};

}  // namespace

bool rendered_formats_available() {
  return true;
}

std::unique_ptr<PrintDevice> make_qt_file_device(const QtFilePage& page, PageBytesSink deliver,
                                                 std::string_view document_name) {
  if (page.format == FileFormat::trace) return nullptr;
  return make_painter_device(std::make_unique<FilePage>(page, std::move(deliver), document_name));
}

std::unique_ptr<PrintDevice> make_file_device(const FileTarget& target, std::string& bytes,
                                              std::string_view document_name) {
  const PaperSize& paper = paper_size(target.paper);
  const QtFilePage page{target.format,
                        target.dpi > 0 ? target.dpi : default_dpi(target.format),
                        {paper.width_mm, paper.height_mm},
                        target.margin_mm};
  return make_qt_file_device(
      page, [&bytes](std::string rendered) { bytes = std::move(rendered); }, document_name);
}

}  // namespace veltrane
