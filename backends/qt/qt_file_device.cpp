// PNG pages for veltrane-cli, painted by the same code as the printer. (PDF and SVG come from
// the print layer's own writers.)
#if defined(__linux__)
#include <sys/mman.h>

#include <cstring>
#endif

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <cmath>
#include <exception>
#include <functional>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

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
  // What the painting needs besides the sheet must be there too: fontconfig crashes where
  // an allocation fails (setting up each size of a face), so a sheet that leaves less than
  // this is not painted at all. It covers the painting thread's stack, the faces and their
  // glyphs, and the PNG encoder's threads and buffers.
  constexpr std::size_t headroom = std::size_t{48} << 20;
  void* reserve =
      mmap(nullptr, headroom, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (reserve == MAP_FAILED) {
    munmap(start, size);
    return nullptr;
  }
  munmap(reserve, headroom);
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

// Set while this thread asks Qt's pool for a thread: Qt reports a thread it could not
// create only as a warning, and never runs the work handed to it. A Qt message handler is a
// plain function: what it reads and sets can only be here.
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables)
thread_local bool pool_thread_failed = false;
QtMessageHandler handler_before = nullptr;
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

void note_failed_thread(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("Thread creation error"))) {
    pool_thread_failed = true;
  } else if (handler_before != nullptr) {
    handler_before(type, context, message);
  }
}

// Whether the system lets this process start one more thread now.
bool thread_can_start() {
  try {
    std::thread([] {}).join();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

// Paints in one thread of Qt's global pool, kept for the whole page. Qt's raster engine
// hands every run of more than about a hundred spans it blends to that pool, unless it
// paints in one of the pool's threads itself: on a strobe disk of some thousand bars at
// 1200 dpi that is some hundred thousand hand-overs of a few dozen dots each, whose waking
// and waiting cost several times the painting.
class PoolPainter {
 public:
  PoolPainter() = default;
  PoolPainter(const PoolPainter&) = delete;
  PoolPainter& operator=(const PoolPainter&) = delete;
  ~PoolPainter() {
    if (!running_) return;
    job_ = nullptr;
    ready_.release();
    done_.acquire();
  }

  // Runs `draw` in the pool thread and hands back what it throws. False, with nothing run,
  // when no pool thread could be started: then Qt's own hand-overs could not be served
  // either, so nothing may be painted at all.
  bool run(const std::function<void()>& draw) {
    if (!running_ && !start()) return false;
    job_ = &draw;
    ready_.release();
    done_.acquire();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return true;
  }

  // Whether Qt's pool lost a thread it could not create. Its count of busy threads then
  // never comes back to zero, and ending the application would wait for it forever.
  bool broken() const { return broken_; }

 private:
  bool start() {
    QThreadPool* pool = QThreadPool::globalInstance();
    if (broken_ || !thread_can_start()) return false;
    pool_thread_failed = false;
    handler_before = qInstallMessageHandler(note_failed_thread);
    pool->start([this] { serve(); });
    qInstallMessageHandler(handler_before);
    broken_ = pool_thread_failed;
    running_ = !broken_;
    return running_;
  }

  void serve() {
    for (;;) {
      ready_.acquire();
      if (job_ == nullptr) break;
      try {
        (*job_)();
      } catch (...) {
        failure_ = std::current_exception();
      }
      done_.release();
    }
    done_.release();
  }

  QSemaphore ready_;
  QSemaphore done_;
  const std::function<void()>* job_ = nullptr;
  std::exception_ptr failure_;
  bool running_ = false;
  bool broken_ = false;
};

class FilePage final : public PaintTarget {
 public:
  FilePage(const FileTarget& target, std::string& bytes)
      : application_(offscreen_application_if_none()), target_(target), bytes_(bytes) {}
  FilePage(const FilePage&) = delete;
  FilePage& operator=(const FilePage&) = delete;
  ~FilePage() override {
    // The pool would be waited on forever when the application ends: it stays, and the
    // process ends without ending it.
    if (pool_painter_.broken()) static_cast<void>(application_.release());
  }

  PageSurface start_page(Orientation orientation) override {
    load_fonts();
    // Black and white pages: eight-bit grey keeps a 1200 dpi sheet affordable.
    std::unique_ptr<QImage> image =
        white_sheet(sheet_dots(target_.paper, orientation, target_.dpi));
    if (image == nullptr || image->isNull()) return {};  // too big for memory: nothing to paint on
    const int dots_per_metre = static_cast<int>(std::lround(target_.dpi / 0.0254));
    image->setDotsPerMeterX(dots_per_metre);
    image->setDotsPerMeterY(dots_per_metre);
    image_ = std::move(image);
    // Drawn as on a printer that cannot print the margin: cut off where it begins. The
    // margin lies on whole dots, so the page's dots are the same dots wherever it puts them;
    // one that is no length is none, and one that leaves no area leaves a point.
    const double margin = std::isfinite(target_.margin_mm) ? std::max(target_.margin_mm, 0.0) : 0;
    const double margin_dots = std::round(
        std::min(margin / 25.4 * target_.dpi, std::min(image_->width(), image_->height()) / 2.0));
    const QRect area(QPoint(static_cast<int>(margin_dots), static_cast<int>(margin_dots)),
                     QPoint(image_->width() - static_cast<int>(margin_dots) - 1,
                            image_->height() - static_cast<int>(margin_dots) - 1));
    return {image_.get(),
            QPointF(area.topLeft()),
            {image_->bits() + area.top() * image_->bytesPerLine() + area.left(), area.width(),
             area.height(), image_->bytesPerLine()},
            QRectF(area)};
  }

  // Leaves the bytes empty when the page could not be painted whole or the image cannot be
  // encoded, so no partial file is taken for a page.
  void finish() override {
    if (failed_ || image_ == nullptr) return;
    try {
      bytes_ = encode_grey_png(image_->constBits(), image_->width(), image_->height(),
                               image_->bytesPerLine(), image_->dotsPerMeterX());
    } catch (const std::bad_alloc&) {
      bytes_.clear();
    }
  }

  bool keeps_blank_page() const override { return true; }

  // A page that ran out of memory or found no thread to paint in is painted no further.
  void paint(const std::function<void()>& draw) override {
    if (failed_) return;
    try {
      if (image_ == nullptr || QThreadPool::globalInstance()->contains(QThread::currentThread()))
        draw();  // already in the pool, where Qt paints in place
      else
        failed_ = !pool_painter_.run(draw);
    } catch (const std::bad_alloc&) {
      failed_ = true;
    }
  }

 private:
  // Fontconfig does not survive running out of memory (it crashed reading its
  // configuration when the sheet had left too little), so it reads it, and the pages' face
  // is found, before the sheet takes its memory.
  static void load_fonts() {
    for (const bool italic : {false, true}) {
      QFont face(QStringLiteral("Arial"));
      face.setItalic(italic);
      static_cast<void>(QFontMetricsF(face).horizontalAdvance(QStringLiteral("L\u00F6fgren 0.5")));
    }
  }

  // Made first and destroyed last; ending the application before the process does lets
  // the font libraries release what they hold.
  std::unique_ptr<QGuiApplication> application_;
  FileTarget target_;
  std::string& bytes_;
  std::unique_ptr<QImage> image_;
  PoolPainter pool_painter_;  // stops its thread before the application ends
  bool failed_ = false;
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
