// PNG pages for veltrane-cli, painted by the same code as the printer. (PDF and SVG come from
// the print layer's own writers.)
#if defined(__linux__)
#include <sys/mman.h>

#include <cstring>
#endif

#include <QImage>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <cmath>
#include <exception>
#include <functional>

#include "backends/qt/qt_painter_device.h"
#include "print/file_output.h"
#include "raster/grey_png.h"

namespace veltrane {
namespace {

// The whole sheet in dots at `dpi`, to the nearest dot. (Qt keeps page sizes in inches to
// two decimals only, so the millimetres of the paper table it is.)
QSize sheet_dots(Paper paper, Orientation orientation, int dpi) {
  const SheetMm sheet = sheet_mm(paper, orientation);
  return {static_cast<int>(std::lround(sheet.width_mm / 25.4 * dpi)),
          static_cast<int>(std::lround(sheet.height_mm / 25.4 * dpi))};
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
  FilePage(const FileTarget& target, std::string& bytes)
      : application_(offscreen_application_if_none()), target_(target), bytes_(bytes) {}

  PageSurface start_page(Orientation orientation) override {
    // Black and white pages: eight-bit grey keeps a 1200 dpi sheet affordable.
    std::unique_ptr<QImage> image =
        white_sheet(sheet_dots(target_.paper, orientation, target_.dpi));
    if (image == nullptr || image->isNull()) return {};  // too big for memory: nothing to paint on
    const int dots_per_metre = static_cast<int>(std::lround(target_.dpi / 0.0254));
    image->setDotsPerMeterX(dots_per_metre);
    image->setDotsPerMeterY(dots_per_metre);
    image_ = std::move(image);
    const double margin = std::isfinite(target_.margin_mm) ? std::max(target_.margin_mm, 0.0) : 0;
    const double margin_dots = std::round(margin / 25.4 * target_.dpi);
    return {image_.get(),
            QPointF(margin_dots, margin_dots),
            {image_->bits(), image_->width(), image_->height(), image_->bytesPerLine()}};
  }

  // Leaves the bytes empty when the image cannot be encoded, so no partial file is taken
  // for a page.
  void finish() override {
    bytes_ = encode_grey_png(image_->constBits(), image_->width(), image_->height(),
                             image_->bytesPerLine(), image_->dotsPerMeterX());
  }

  bool keeps_blank_page() const override { return true; }

  void paint(const std::function<void()>& draw) override { run_in_pool_thread(draw); }

 private:
  // Made first and destroyed last; ending the application before the process does lets
  // the font libraries release what they hold.
  std::unique_ptr<QGuiApplication> application_;
  FileTarget target_;
  std::string& bytes_;
  std::unique_ptr<QImage> image_;
};

}  // namespace

bool file_format_available(FileFormat /*format*/) {
  return true;
}

std::unique_ptr<PrintDevice> make_file_device(const FileTarget& target, std::string& bytes,
                                              std::string_view document_name) {
  if (target.format != FileFormat::png)
    return make_vector_file_device(target, bytes, document_name);
  FileTarget resolved = target;
  if (resolved.dpi <= 0) resolved.dpi = default_dpi(target.format);
  return make_painter_device(std::make_unique<FilePage>(resolved, bytes));
}

}  // namespace veltrane
