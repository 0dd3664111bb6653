#include "gdi_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "model/field_reading.h"
#include "print/json_text.h"
#include "print/trace_device.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"
#include "text.h"

namespace veltrane {
namespace {

constexpr int dpi = 600;

using Page = std::function<void(const PrintOpener&)>;

// One drawing operation in the words of the trace; arcs and wedges keep their angles
// apart, since a metafile only gives them back as points on the rays.
struct Operation {
  std::string line;
  std::optional<double> start_rad;
  std::optional<double> end_rad;
};

// Reads an enhanced metafile back as trace operations, checking on the way that every
// drawing call ran in the state the trace implies (pen, brush, text settings).
class MetafileReader {
 public:
  std::vector<Operation> operations;
  std::vector<POINTL> text_positions;

  void read(const ENHMETARECORD& record) {
    switch (record.iType) {
      case EMR_HEADER:
      case EMR_EOF:
        return;
      case EMR_SETMAPMODE:
        expect(as<EMRSETMAPMODE>(record).iMode == MM_TEXT, "map mode");
        return;
      case EMR_SETBKMODE:
        bk_mode_ = as<EMRSETBKMODE>(record).iMode;
        return;
      case EMR_SETTEXTCOLOR:
        text_colour_ = as<EMRSETTEXTCOLOR>(record).crColor;
        return;
      case EMR_SETTEXTALIGN:
        text_align_ = as<EMRSETTEXTALIGN>(record).iMode;
        return;
      case EMR_SETARCDIRECTION:
        arc_direction_ = as<EMRSETARCDIRECTION>(record).iArcDirection;
        return;
      case EMR_CREATEPEN: {
        const auto& pen = as<EMRCREATEPEN>(record);
        objects_[pen.ihPen] = {Kind::pen, pen.lopn.lopnColor, pen.lopn.lopnWidth.x, true};
        // The device creates black pens for the page's pen widths only.
        if (pen.lopn.lopnColor == black) emit("pen " + std::to_string(pen.lopn.lopnWidth.x));
        return;
      }
      case EMR_CREATEBRUSHINDIRECT: {
        const auto& brush = as<EMRCREATEBRUSHINDIRECT>(record);
        objects_[brush.ihBrush] = {Kind::brush, brush.lb.lbColor, 0, brush.lb.lbStyle == BS_SOLID};
        return;
      }
      case EMR_EXTCREATEFONTINDIRECTW: {
        const auto& font = as<EMREXTCREATEFONTINDIRECTW>(record);
        const LOGFONTW& log = font.elfw.elfLogFont;
        objects_[font.ihFont] = {Kind::font, 0, 0, true};
        expect(log.lfWeight == FW_NORMAL && !log.lfUnderline && !log.lfStrikeOut &&
                   log.lfEscapement == 0 && log.lfWidth == 0,
               "font style");
        emit("font " + to_utf8(log.lfFaceName) + ' ' + std::to_string(log.lfHeight) +
             (log.lfItalic ? " italic" : " regular"));
        return;
      }
      case EMR_SELECTOBJECT:
        select(as<EMRSELECTOBJECT>(record).ihObject);
        return;
      case EMR_DELETEOBJECT:
        objects_.erase(as<EMRDELETEOBJECT>(record).ihObject);
        return;
      case EMR_MOVETOEX: {
        const POINTL at = as<EMRMOVETOEX>(record).ptl;
        position_ = at;
        position_known_ = true;
        emit("move " + point_text(at));
        return;
      }
      case EMR_LINETO: {
        const POINTL to = as<EMRLINETO>(record).ptl;
        expect(pen_.colour == black, "line colour");
        emit("line " + point_text(to));
        return;
      }
      case EMR_ELLIPSE: {
        const bool solid = brush_.solid && brush_.colour == pen_.colour;
        expect(solid || !brush_.solid, "ellipse fill");
        emit("ellipse " + box_text(drawn_box(as<EMRELLIPSE>(record).rclBox)) +
             (pen_.colour == black   ? " black"
              : pen_.colour == white ? " white"
                                     : " other") +
             (solid ? " solid" : " hollow"));
        return;
      }
      case EMR_ARC:
        expect(pen_.colour == black, "arc colour");
        emit_arc("arc ", as<EMRARC>(record));
        return;
      case EMR_PIE:
        expect(pen_.colour == black && brush_.solid && brush_.colour == black, "pie colours");
        emit_arc("pie ", as<EMRPIE>(record));
        return;
      case EMR_EXTTEXTOUTW: {
        const auto& text = as<EMREXTTEXTOUTW>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(
            reinterpret_cast<const BYTE*>(&record) + text.emrtext.offString);
        // Text hangs from the current position by its cell's top left corner, transparent;
        // without a move, the current position is the start of the line below the last text.
        const POINTL at = text.emrtext.ptlReference;
        if (position_known_) {
          expect(at.x == position_.x && at.y == position_.y, "text position");
        } else {
          expect(at.x == 0 && at.y > position_.y, "text position after text");
        }
        position_ = at;
        position_known_ = false;
        text_positions.push_back(at);
        expect(bk_mode_ == TRANSPARENT && text_colour_ == black &&
                   (text_align_ & (TA_UPDATECP | TA_BASELINE | TA_BOTTOM | TA_CENTER | TA_RIGHT)) ==
                       0 &&
                   (text.emrtext.fOptions & ETO_OPAQUE) == 0,
               "text settings");
        emit("text " + json_string(to_utf8(std::wstring_view(chars, text.emrtext.nChars))));
        return;
      }
      default:
        emit("record " + std::to_string(record.iType));
    }
  }

 private:
  static constexpr COLORREF black = RGB(0, 0, 0);
  static constexpr COLORREF white = RGB(255, 255, 255);

  enum class Kind { pen, brush, font };
  struct Object {
    Kind kind = Kind::pen;
    COLORREF colour = 0;
    LONG width = 0;
    bool solid = false;  // brushes: solid rather than hollow
  };

  template <typename Record>
  static const Record& as(const ENHMETARECORD& record) {
    return *reinterpret_cast<const Record*>(&record);
  }

  static std::string point_text(POINTL p) {
    return std::to_string(p.x) + ' ' + std::to_string(p.y);
  }

  // A metafile keeps the box of an ellipse, arc or wedge inclusive of its right and bottom
  // edges, one dot less than the box drawn in the default graphics mode.
  static RECTL drawn_box(RECTL r) { return {r.left, r.top, r.right + 1, r.bottom + 1}; }

  static std::string box_text(RECTL r) {
    return std::to_string(r.left) + ' ' + std::to_string(r.top) + ' ' + std::to_string(r.right) +
           ' ' + std::to_string(r.bottom);
  }

  void select(DWORD handle) {
    if ((handle & ENHMETA_STOCK_OBJECT) != 0) {
      switch (handle & ~ENHMETA_STOCK_OBJECT) {
        case BLACK_PEN:
          pen_ = {Kind::pen, black, 0, true};
          return;
        case WHITE_PEN:
          pen_ = {Kind::pen, white, 0, true};
          return;
        case NULL_BRUSH:
          brush_ = {Kind::brush, 0, 0, false};
          return;
        case BLACK_BRUSH:
          brush_ = {Kind::brush, black, 0, true};
          return;
        case WHITE_BRUSH:
          brush_ = {Kind::brush, white, 0, true};
          return;
        default:
          return;  // stock fonts and the rest draw nothing here
      }
    }
    const auto it = objects_.find(handle);
    if (it == objects_.end()) {
      emit("select of an unknown object");
      return;
    }
    if (it->second.kind == Kind::pen) pen_ = it->second;
    if (it->second.kind == Kind::brush) brush_ = it->second;
  }

  template <typename Record>
  void emit_arc(const char* kind, const Record& arc) {
    expect(arc_direction_ == AD_COUNTERCLOCKWISE, "arc direction");
    const RECTL box = drawn_box(arc.rclBox);
    const double cx = (static_cast<double>(box.left) + box.right) / 2;
    const double cy = (static_cast<double>(box.top) + box.bottom) / 2;
    const auto angle = [&](POINTL p) { return std::atan2(-(p.y - cy), p.x - cx); };
    operations.push_back({kind + box_text(box), angle(arc.ptlStart), angle(arc.ptlEnd)});
  }

  void emit(std::string line) { operations.push_back({std::move(line), {}, {}}); }

  void expect(bool condition, const char* what) {
    if (!condition) emit(std::string("wrong ") + what);
  }

  std::map<DWORD, Object> objects_;
  Object pen_{Kind::pen, black, 0, true};
  Object brush_{Kind::brush, white, 0, true};  // a device context's default brush
  int bk_mode_ = OPAQUE;
  COLORREF text_colour_ = black;
  UINT text_align_ = 0;
  DWORD arc_direction_ = AD_COUNTERCLOCKWISE;
  POINTL position_{0, 0};
  bool position_known_ = true;
};

int CALLBACK read_record(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM reader) {
  reinterpret_cast<MetafileReader*>(reader)->read(*record);
  return 1;
}

MetafileReader read_metafile(HENHMETAFILE metafile) {
  MetafileReader reader;
  EnumEnhMetaFile(nullptr, metafile, read_record, &reader, nullptr);
  DeleteEnhMetaFile(metafile);
  return reader;
}

// The page drawn through the GDI device onto an enhanced metafile, read back. The screen
// is the metafile's reference device; the device reports 600 dpi, as the trace does.
std::vector<Operation> metafile_operations(const Page& page) {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(dc, nullptr);
  page([dc](std::string_view) { return make_dc_device(dc, {dpi, dpi}); });
  return read_metafile(CloseEnhMetaFile(dc)).operations;
}

// The same page through the trace back end, in the metafile's terms: the document and
// page lines have no record, and a font is realised at its em height in dots.
std::vector<Operation> trace_operations(const Page& page) {
  std::ostringstream out;
  page(trace_opener(out, dpi));
  std::vector<Operation> operations;
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "open" || kind == "page" || kind == "close") continue;
    if (kind == "font") {
      const auto size_at = line.rfind(' ', line.rfind(' ') - 1);
      const std::string face = line.substr(5, size_at - 5);
      std::istringstream rest(line.substr(size_at));
      float size_pt = 0;
      std::string style;
      rest >> size_pt >> style;
      line =
          "font " + face + ' ' + std::to_string(-font_em_height_dots(size_pt, dpi)) + ' ' + style;
    }
    if (kind == "arc" || kind == "pie") {
      std::string x1, y1, x2, y2;
      double start = 0, end = 0;
      words >> x1 >> y1 >> x2 >> y2 >> start >> end;
      operations.push_back({kind + ' ' + x1 + ' ' + y1 + ' ' + x2 + ' ' + y2, start, end});
      continue;
    }
    operations.push_back({line, {}, {}});
  }
  return operations;
}

// The ray points are whole dots at least 1024 dots from the centre.
constexpr double angle_tolerance_rad = 1e-3;

bool same_angle(std::optional<double> a, std::optional<double> b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || std::fabs(std::remainder(*a - *b, 2 * std::numbers::pi)) < angle_tolerance_rad;
}

void expect_same_operations(const Page& page) {
  const std::vector<Operation> expected = trace_operations(page);
  const std::vector<Operation> actual = metafile_operations(page);
  ASSERT_GT(expected.size(), 50u);
  for (std::size_t i = 0; i < std::min(expected.size(), actual.size()); ++i) {
    ASSERT_EQ(actual[i].line, expected[i].line) << "operation " << i;
    ASSERT_TRUE(same_angle(actual[i].start_rad, expected[i].start_rad) &&
                same_angle(actual[i].end_rad, expected[i].end_rad))
        << "operation " << i << ": " << expected[i].line << " from "
        << expected[i].start_rad.value_or(0) << " to " << expected[i].end_rad.value_or(0)
        << ", drawn from " << actual[i].start_rad.value_or(0) << " to "
        << actual[i].end_rad.value_or(0);
  }
  EXPECT_EQ(actual.size(), expected.size());
}

Page template_page(const MainWindowFields& fields) {
  return [=](const PrintOpener& open) {
    ParameterSet set;
    read_parameters(set, fields);
    print_template_page(set, open);
  };
}

Page strobe_page(std::int32_t outer, std::int32_t inner, double correction_x,
                 const char* caption_1 = "", const char* caption_2 = "") {
  return [=](const PrintOpener& open) {
    ParameterSet set;
    set.correction_x = correction_x;
    set.correction_y = 1;
    print_strobe_page(set, outer, inner, centred_text(utf8_to_cp1252(caption_1), caption_length),
                      centred_text(utf8_to_cp1252(caption_2), caption_length), open);
  };
}

TEST(GdiDevice, TemplatePagesDrawWhatTheTraceRecords) {
  MainWindowFields fields = initial_main_window_fields();
  expect_same_operations(template_page(fields));
  // Löfgren B on IEC grooves, with an ID, and X printing 2 % larger: circles become ellipses.
  fields.inner_radius = "60.325";
  fields.id_text = "Arm \u00B0 \u00F6";
  fields.correction_x = "1.02";
  fields.alignment = alignment_lofgren_b;
  expect_same_operations(template_page(fields));
}

TEST(GdiDevice, StrobePagesDrawWhatTheTraceRecords) {
  expect_same_operations(strobe_page(216, 160, 1));
  expect_same_operations(strobe_page(180, 133, 1));
  expect_same_operations(strobe_page(100, 72, 1.02, "78 RPM \u00B0", "L\u00F6fgren"));
}

TEST(GdiDevice, ReportsTheResolutionItWasGiven) {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  const auto device = make_dc_device(dc, {600, 300});
  const Resolution dpi_reported = device->dots_per_inch();
  EXPECT_EQ(dpi_reported.across, 600);
  EXPECT_EQ(dpi_reported.down, 300);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

// Text advances to the start of the next line: x = 0, one line height further down, so a
// line drawn from there starts below the text.
TEST(GdiDevice, TextMovesTheCurrentPositionToTheNextLine) {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  {
    const auto device = make_dc_device(dc, {dpi, dpi});
    device->select_font({"Arial", 10, false});
    device->move_to(500, 1000);
    device->print_text("one");
    device->print_text("two");
    device->line_to(700, 2000);
    device->close();
  }
  const MetafileReader reader = read_metafile(CloseEnhMetaFile(dc));

  std::vector<std::string> lines;
  for (const Operation& operation : reader.operations) lines.push_back(operation.line);
  ASSERT_EQ(lines.size(), 6u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[1], "move 500 1000");
  EXPECT_EQ(lines[2], "text \"one\"");
  EXPECT_EQ(lines[3], "text \"two\"");
  ASSERT_EQ(reader.text_positions.size(), 2u);
  const int line_height = reader.text_positions[1].y - 1000;
  EXPECT_EQ(reader.text_positions[1].x, 0);
  // About 1.15 em for Arial-like faces; 83 dots is 10 points at 600 dpi.
  EXPECT_GE(line_height, 83);
  EXPECT_LE(line_height, 83 * 3 / 2);
  EXPECT_EQ(lines[4], "move 0 " + std::to_string(1000 + 2 * line_height));
  EXPECT_EQ(lines[5], "line 700 2000");
}

}  // namespace
}  // namespace veltrane
