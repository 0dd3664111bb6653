// What a person meets in the two windows besides their commands: text in the boxes drawn whole,
// the Tab key, and the names a screen reader announces.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <map>
#include <vector>

#include "app/windows.h"
#include "ui/control_ids.h"
#include "window_driver.h"

namespace veltrane {
namespace {

// The first and last rows of `area` that hold a dark pixel; {0, -1} when none does.
std::pair<int, int> ink_rows(const QImage& image, const QRect& area) {
  int first = 0, last = -1;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (qGray(image.pixel(x, y)) >= 128) continue;
      if (last < first) first = y;
      last = y;
      break;
    }
  }
  return {first, last};
}

// How many rows of ink `text` takes in the box's font when nothing cuts it off.
int free_ink_height(const QLineEdit& box, const QString& text) {
  const int line = box.fontMetrics().height();
  QImage image(box.fontMetrics().horizontalAdvance(text) + 8, 3 * line, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(box.font());
  painter.setPen(Qt::black);
  painter.drawText(QPoint(4, 2 * line), text);
  painter.end();
  const auto [first, last] = ink_rows(image, image.rect());
  return last - first + 1;
}

// Types the text into the box, takes the focus away (so no cursor is drawn) and checks that
// every row of its ink shows inside the border.
void expect_whole_text(QDialog& dialog, int id, int focus_elsewhere) {
  const QString text = QStringLiteral("Gypsy jig_");
  type_into(dialog, id, text.toUtf8().constData());
  control(dialog, focus_elsewhere)->setFocus();
  settle();
  auto* box = control<QLineEdit>(dialog, id);
  ASSERT_NE(box, nullptr);
  const QImage shot = box->grab().toImage();
  const auto [first, last] = ink_rows(shot, shot.rect().adjusted(1, 1, -1, -1));
  EXPECT_EQ(last - first + 1, free_ink_height(*box, text))
      << id << ": ink from row " << first << " to " << last << " of " << shot.height();
  EXPECT_LT(last, shot.height() - 1) << id;
}

// A style whose frame is wider than Fusion's cut the descenders off the old boxes too.
TEST(TextBoxes, ShowDescendersWholeOnBothDialogsWhateverTheStyle) {
  const QString original = QApplication::style()->name();
  for (const char* style : {"Fusion", "Windows"}) {
    QApplication::setStyle(QString::fromLatin1(style));
    WindowDriver driver;
    driver.run_main_window([](QDialog& window) {
      expect_whole_text(window, id_id_text, id_pivot);
      with_custom_dialog(window, [](QDialog& dialog) {
        expect_whole_text(dialog, id_caption_1, id_outer_bars);
        click(dialog, id_custom_cancel);
      });
    });
  }
  QApplication::setStyle(original);
}

// The controls Tab reaches from the first text box on, in order, and back to it.
// clang-format off
const std::vector<int> main_tab_order = {
    id_pivot, id_inner_radius, id_outer_radius, id_lofgren_a, id_lofgren_b, id_stevenson_a,
    id_print_template, id_print_60hz, id_print_50hz, id_help, id_correction_x, id_preset_din,
    id_preset_iec, id_preset_typical, id_correction_y, id_print_custom, id_id_text};
const std::vector<int> custom_tab_order = {
    id_outer_bars, id_inner_bars, id_caption_1, id_caption_2, id_custom_ok, id_custom_cancel};
// clang-format on

int focused_id(QDialog& dialog) {
  QWidget* focus = QApplication::focusWidget();
  return focus && focus->parentWidget() == &dialog ? focus->objectName().toInt() : 0;
}

// Presses Tab (or Shift+Tab) once for each control and records where the focus lands.
std::vector<int> tab_round(QDialog& dialog, bool backwards, std::size_t presses) {
  std::vector<int> visited;
  for (std::size_t i = 0; i < presses; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                    backwards ? Qt::ShiftModifier : Qt::NoModifier);
    visited.push_back(focused_id(dialog));
  }
  return visited;
}

void expect_tab_rounds(QDialog& dialog, const std::vector<int>& order) {
  ASSERT_EQ(focused_id(dialog), order.front());
  std::vector<int> forwards(order.begin() + 1, order.end());
  forwards.push_back(order.front());
  EXPECT_EQ(tab_round(dialog, false, order.size()), forwards);
  std::vector<int> backwards(order.rbegin(), order.rend());
  EXPECT_EQ(tab_round(dialog, true, order.size()), backwards);
}

TEST(Keyboard, TabVisitsEveryControlInCreationOrderOptionsIncluded) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    expect_tab_rounds(window, main_tab_order);
    // Reaching an option by Tab checks nothing; the arrow keys still move the check.
    EXPECT_TRUE(control<QRadioButton>(window, id_lofgren_a)->isChecked());
    control(window, id_lofgren_a)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(focused_id(window), id_lofgren_b);
    EXPECT_TRUE(control<QRadioButton>(window, id_lofgren_b)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(window, id_lofgren_a)->isChecked());
    EXPECT_TRUE(with_custom_dialog(window, [](QDialog& dialog) {
      expect_tab_rounds(dialog, custom_tab_order);
      click(dialog, id_custom_cancel);
    }));
  });
}

// Every text box in a window's accessibility tree, by its name.
std::map<std::string, int> named_text_boxes(QDialog& dialog) {
  std::map<std::string, int> boxes;
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&dialog);
  for (int i = 0; window && i < window->childCount(); ++i) {
    QAccessibleInterface* child = window->child(i);
    if (child && child->role() == QAccessible::EditableText)
      boxes[child->text(QAccessible::Name).toStdString()] = child->object()->objectName().toInt();
  }
  return boxes;
}

std::string window_name(QDialog& dialog) {
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&dialog);
  return window ? window->text(QAccessible::Name).toStdString() : "<no interface>";
}

TEST(ScreenReaders, NameEveryTextBoxByItsCaptionAndTheWindowsByTheirTitles) {
  // clang-format off
  const std::map<std::string, int> main_boxes = {
      {"Spindle to Pivot Distance",   id_pivot},
      {"Inner Groove Radius",         id_inner_radius},
      {"Outer Groove Radius",         id_outer_radius},
      {"Printer Correction Factor X", id_correction_x},
      {"Printer Correction Factor Y", id_correction_y},
      {"Arm or turntable ID",         id_id_text}};
  const std::map<std::string, int> custom_boxes = {
      {"Number of outer bars", id_outer_bars},
      {"Number of inner bars", id_inner_bars},
      {"Caption line 1",       id_caption_1},
      {"Caption line 2",       id_caption_2}};
  // clang-format on
  WindowDriver driver;
  driver.run_main_window([&](QDialog& window) {
    EXPECT_EQ(window_name(window), main_window_title);
    EXPECT_EQ(named_text_boxes(window), main_boxes);
    EXPECT_TRUE(with_custom_dialog(window, [&](QDialog& dialog) {
      EXPECT_EQ(window_name(dialog), "Custom Strobe Parameters");
      EXPECT_EQ(named_text_boxes(dialog), custom_boxes);
      click(dialog, id_custom_cancel);
    }));
  });
}

}  // namespace
}  // namespace veltrane
