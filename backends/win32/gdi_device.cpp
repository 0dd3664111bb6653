#include "backends/win32/gdi_device.h"

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "backends/win32/text.h"

namespace veltrane {
namespace {

// The printer's session: its settings from the dialog, the document, the page.
struct PrinterSession {
  HGLOBAL devmode = nullptr;
  HGLOBAL devnames = nullptr;
  bool page_open = false;
};

class GdiDevice final : public PrintDevice {
 public:
  // `printer` is null for a caller's device context, whose fixed resolution is `dpi`.
  GdiDevice(HDC dc, std::unique_ptr<PrinterSession> printer, Resolution dpi)
      : dc_(dc), printer_(std::move(printer)), fixed_dpi_(dpi) {}

  ~GdiDevice() override { close(); }

  void set_orientation(Orientation orientation) override {
    if (!printer_ || printer_->devmode == nullptr || drawing_) return;
    auto* mode = static_cast<DEVMODEW*>(GlobalLock(printer_->devmode));
    if (mode == nullptr) return;
    mode->dmFields |= DM_ORIENTATION;
    mode->dmOrientation = static_cast<short>(
        orientation == Orientation::landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT);
    // A driver that cannot turn the page keeps its orientation, and so does the page.
    ResetDCW(dc_, mode);
    GlobalUnlock(printer_->devmode);
  }

  Resolution dots_per_inch() override {
    if (!printer_) return fixed_dpi_;
    return {GetDeviceCaps(dc_, LOGPIXELSX), GetDeviceCaps(dc_, LOGPIXELSY)};
  }

  void set_pen_width(int dots) override {
    begin_drawing();
    pen_width_ = std::max(dots, 0);
    replace_pen(CreatePen(PS_SOLID, pen_width_, black));
  }

  void move_to(int x, int y) override {
    begin_drawing();
    x_ = x;
    y_ = y;
    MoveToEx(dc_, x, y, nullptr);
    dc_at_position_ = true;
  }

  void line_to(int x, int y) override {
    begin_drawing();
    if (!dc_at_position_) MoveToEx(dc_, x_, y_, nullptr);
    LineTo(dc_, x, y);
    x_ = x;
    y_ = y;
    dc_at_position_ = true;
  }

  void ellipse(DotBox box, Colour outline, Fill fill) override {
    begin_drawing();
    if (outline == Colour::black) {
      SelectObject(dc_, GetStockObject(fill == Fill::solid ? BLACK_BRUSH : NULL_BRUSH));
      Ellipse(dc_, box.x1, box.y1, box.x2, box.y2);
    } else {
      HPEN white_pen = CreatePen(PS_SOLID, pen_width_, white);
      HGDIOBJ black_pen = SelectObject(dc_, white_pen);
      SelectObject(dc_, GetStockObject(fill == Fill::solid ? WHITE_BRUSH : NULL_BRUSH));
      Ellipse(dc_, box.x1, box.y1, box.x2, box.y2);
      SelectObject(dc_, black_pen);
      DeleteObject(white_pen);
    }
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
  }

  void arc(DotBox box, float start_rad, float end_rad) override {
    begin_drawing();
    const RayPoints rays = ray_points(box, start_rad, end_rad);
    Arc(dc_, box.x1, box.y1, box.x2, box.y2, rays.start.x, rays.start.y, rays.end.x, rays.end.y);
  }

  void pie(DotBox box, float start_rad, float end_rad) override {
    begin_drawing();
    const RayPoints rays = ray_points(box, start_rad, end_rad);
    SelectObject(dc_, GetStockObject(BLACK_BRUSH));
    Pie(dc_, box.x1, box.y1, box.x2, box.y2, rays.start.x, rays.start.y, rays.end.x, rays.end.y);
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
  }

  void select_font(const PrintFont& font) override {
    begin_drawing();
    const int em = font_em_height_dots(font.size_pt, dots_per_inch().down);
    HFONT created =
        CreateFontW(-em, 0, 0, 0, FW_NORMAL, font.italic ? TRUE : FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, to_wide(font.face).c_str());
    if (created == nullptr) return;
    SelectObject(dc_, created);
    if (font_ != nullptr) DeleteObject(font_);
    font_ = created;
  }

  void print_text(std::string_view utf8) override {
    begin_drawing();
    const std::wstring text = to_wide(utf8);
    if (text.empty()) return;
    TextOutW(dc_, x_, y_, text.c_str(), static_cast<int>(text.size()));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_, &metrics);
    // The next line's start is kept here and handed to the device context only if a line
    // is drawn from it; text is placed at explicit positions.
    x_ = 0;
    y_ += metrics.tmHeight + metrics.tmExternalLeading;
    dc_at_position_ = false;
  }

  void close() override {
    if (dc_ == nullptr) return;
    if (drawing_) {
      SelectObject(dc_, GetStockObject(BLACK_PEN));
      SelectObject(dc_, GetStockObject(SYSTEM_FONT));
    }
    if (pen_ != nullptr) DeleteObject(pen_);
    if (font_ != nullptr) DeleteObject(font_);
    pen_ = nullptr;
    font_ = nullptr;
    if (printer_) {
      if (printer_->page_open) EndPage(dc_);
      EndDoc(dc_);
      DeleteDC(dc_);
      if (printer_->devmode != nullptr) GlobalFree(printer_->devmode);
      if (printer_->devnames != nullptr) GlobalFree(printer_->devnames);
    }
    dc_ = nullptr;
  }

 private:
  static constexpr COLORREF black = RGB(0, 0, 0);
  static constexpr COLORREF white = RGB(255, 255, 255);

  struct RayPoints {
    POINT start;
    POINT end;
  };

  // GDI takes an arc's ends as points on the rays from the box centre, not on the curve.
  // Points well beyond the ellipse keep the rounding's error in the angle small.
  static RayPoints ray_points(DotBox box, float start_rad, float end_rad) {
    const double cx = (static_cast<double>(box.x1) + box.x2) / 2;
    const double cy = (static_cast<double>(box.y1) + box.y2) / 2;
    const double reach = std::max(std::fabs(static_cast<double>(box.x2) - box.x1),
                                  std::fabs(static_cast<double>(box.y2) - box.y1)) /
                             2 +
                         1024;
    const auto on_ray = [&](float angle) {
      const auto coordinate = [](double v) {
        return static_cast<LONG>(std::nearbyint(std::clamp(v, -2147483648.0, 2147483647.0)));
      };
      // Angles grow counter-clockwise on the page, whose y grows downward.
      return POINT{coordinate(cx + reach * std::cos(angle)),
                   coordinate(cy - reach * std::sin(angle))};
    };
    return {on_ray(start_rad), on_ray(end_rad)};
  }

  // The first drawing operation opens the page and puts the device context in the state
  // every page expects: black lines, no fill, transparent text anchored at its cell's top
  // left, arcs counter-clockwise.
  void begin_drawing() {
    if (drawing_ || dc_ == nullptr) return;
    drawing_ = true;
    if (printer_) {
      StartPage(dc_);
      printer_->page_open = true;
    }
    SetMapMode(dc_, MM_TEXT);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, black);
    SetTextAlign(dc_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    SetArcDirection(dc_, AD_COUNTERCLOCKWISE);
    SelectObject(dc_, GetStockObject(BLACK_PEN));
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
  }

  void replace_pen(HPEN pen) {
    if (pen == nullptr) return;
    SelectObject(dc_, pen);
    if (pen_ != nullptr) DeleteObject(pen_);
    pen_ = pen;
  }

  HDC dc_;
  std::unique_ptr<PrinterSession> printer_;
  Resolution fixed_dpi_;
  bool drawing_ = false;
  int pen_width_ = 0;
  HPEN pen_ = nullptr;
  HFONT font_ = nullptr;
  int x_ = 0;
  int y_ = 0;
  bool dc_at_position_ = true;
};

// Brings the ownerless printer dialog to the front when it opens.
UINT_PTR CALLBACK print_dialog_hook(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  SetForegroundWindow(dialog);
  return TRUE;
}

}  // namespace

std::unique_ptr<PrintDevice> open_gdi_printer(std::string_view document_name) {
  PRINTDLGW choice{};
  choice.lStructSize = sizeof choice;
  // No printer settings passed in: the dialog starts from the default printer every time.
  // The driver makes the copies, if the user asks for more than one.
  choice.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_DISABLEPRINTTOFILE |
                 PD_USEDEVMODECOPIESANDCOLLATE | PD_ENABLEPRINTHOOK;
  choice.lpfnPrintHook = print_dialog_hook;
  choice.nCopies = 1;
  const bool chosen = PrintDlgW(&choice) != FALSE && choice.hDC != nullptr;

  auto session = std::make_unique<PrinterSession>();
  session->devmode = choice.hDevMode;
  session->devnames = choice.hDevNames;
  if (chosen) {
    const std::wstring name = to_wide(document_name);
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = name.c_str();
    if (StartDocW(choice.hDC, &document) > 0)
      return std::make_unique<GdiDevice>(choice.hDC, std::move(session), Resolution{});
    DeleteDC(choice.hDC);
  }
  if (session->devmode != nullptr) GlobalFree(session->devmode);
  if (session->devnames != nullptr) GlobalFree(session->devnames);
  return nullptr;
}

std::unique_ptr<PrintDevice> make_dc_device(HDC dc, Resolution dpi) {
  return std::make_unique<GdiDevice>(dc, nullptr, dpi);
}

}  // namespace veltrane
