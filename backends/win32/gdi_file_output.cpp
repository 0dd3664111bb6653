// The file formats of veltrane-cli.exe: PDF and SVG from the print layer's writers, PNG
// drawn by the same GDI calls as the printer into a bitmap in memory.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "backends/win32/gdi_device.h"
#include "print/file_output.h"
#include "raster/grey_png.h"

namespace veltrane {
namespace {

// An eight-bit sheet whose palette is the greys in order, so that each byte GDI writes is
// the grey it means.
struct GreySheet {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ replaced = nullptr;
  std::uint8_t* bits = nullptr;
  int width = 0, height = 0;
  std::ptrdiff_t stride = 0;

  GreySheet(const GreySheet&) = delete;
  GreySheet& operator=(const GreySheet&) = delete;
  GreySheet(int w, int h) : width(w), height(h) {
    if (w <= 0 || h <= 0) return;
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = w;
    info.header.biHeight = -h;  // rows from the top, as the PNG has them
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 256;
    for (int i = 0; i < 256; ++i) {
      const auto grey = static_cast<BYTE>(i);
      info.colours[i] = {grey, grey, grey, 0};
    }
    dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return;
    void* memory = nullptr;
    bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &memory,
                              nullptr, 0);
    if (bitmap == nullptr || memory == nullptr) return;
    replaced = SelectObject(dc, bitmap);
    bits = static_cast<std::uint8_t*>(memory);
    stride = (std::ptrdiff_t{w} + 3) / 4 * 4;
    std::memset(bits, 0xFF, static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
  }

  ~GreySheet() {
    if (replaced != nullptr) SelectObject(dc, replaced);
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (dc != nullptr) DeleteDC(dc);
  }
};

// The page begins at its first drawing, once its orientation is known; nothing is drawn
// when the sheet does not fit in memory, and the bytes then stay empty.
class GdiPngDevice final : public PrintDevice {
 public:
  GdiPngDevice(const FileTarget& target, std::string& bytes) : target_(target), bytes_(bytes) {}

  void set_orientation(Orientation orientation) override {
    if (!started_) orientation_ = orientation;
  }
  Resolution dots_per_inch() override { return {target_.dpi, target_.dpi}; }
  void set_pen_width(int dots) override {
    if (begin()) page_->set_pen_width(dots);
  }
  void move_to(int x, int y) override {
    if (begin()) page_->move_to(x, y);
  }
  void line_to(int x, int y) override {
    if (begin()) page_->line_to(x, y);
  }
  void ellipse(DotBox box, Colour outline, Fill fill) override {
    if (begin()) page_->ellipse(box, outline, fill);
  }
  void arc(DotBox box, float start_rad, float end_rad) override {
    if (begin()) page_->arc(box, start_rad, end_rad);
  }
  void pie(DotBox box, float start_rad, float end_rad) override {
    if (begin()) page_->pie(box, start_rad, end_rad);
  }
  void select_font(const PrintFont& font) override {
    if (begin()) page_->select_font(font);
  }
  void print_text(std::string_view utf8) override {
    if (begin()) page_->print_text(utf8);
  }

  void close() override {
    if (closed_) return;
    const bool drawn = begin();  // a page closed blank is still a white sheet
    closed_ = true;
    if (!drawn) return;
    page_->close();
    GdiFlush();
    bytes_ = encode_grey_png(sheet_->bits, sheet_->width, sheet_->height, sheet_->stride,
                             static_cast<int>(std::lround(target_.dpi / 0.0254)));
  }

 private:
  bool begin() {
    if (!started_ && !closed_) {
      started_ = true;
      const SheetMm sheet = sheet_mm(target_.paper, orientation_);
      const auto dots = [this](double mm) {
        return static_cast<int>(std::lround(std::min(mm / 25.4 * target_.dpi, 1e6)));
      };
      sheet_ = std::make_unique<GreySheet>(dots(sheet.width_mm), dots(sheet.height_mm));
      if (sheet_->bits != nullptr) {
        // The page's origin lies the margin in from the sheet's corner.
        const double margin =
            std::isfinite(target_.margin_mm) ? std::max(target_.margin_mm, 0.0) : 0;
        SetViewportOrgEx(sheet_->dc, dots(margin), dots(margin), nullptr);
        page_ = make_dc_device(sheet_->dc, {target_.dpi, target_.dpi});
      }
    }
    return page_ != nullptr && !closed_;
  }

  FileTarget target_;
  std::string& bytes_;
  Orientation orientation_ = Orientation::portrait;
  bool started_ = false;
  bool closed_ = false;
  std::unique_ptr<GreySheet> sheet_;
  std::unique_ptr<PrintDevice> page_;  // draws on the sheet, so it goes first
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
  return std::make_unique<GdiPngDevice>(resolved, bytes);
}

}  // namespace veltrane
