#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <cmath>

#include "app/dialog_fields.h"
#include "app/read_fields.h"
#include "app/windows.h"
#include "model/summary.h"
#include "print/trace_device.h"
#include "strobe/strobe_page.h"
#include "template/template_page.h"
#include "ui/control_ids.h"
#include "window_driver.h"

namespace veltrane {
namespace {

std::string template_trace(const MainWindowFields& fields) {
  ParameterSet set;
  read_parameters(set, fields);
  std::ostringstream out;
  print_template_page(set, trace_opener(out));
  return out.str();
}

std::string strobe_trace(const MainWindowFields& fields, int outer, int inner) {
  ParameterSet set;
  read_parameters(set, fields);
  const std::string blank(caption_length, ' ');
  std::ostringstream out;
  print_strobe_page(set, outer, inner, blank, blank, trace_opener(out));
  return out.str();
}

// The pixel size of a dialog unit, measured here from the font the window actually uses.
struct UnitSize {
  double across, down;
};

UnitSize unit_size_of(const QWidget& window) {
  const QFontMetrics metrics(window.font());
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {static_cast<double>(std::lround(letters / 52.0)) / 4.0, metrics.height() / 8.0};
}

int px(int units, double unit) {
  return static_cast<int>(std::lround(units * unit));
}

TEST(MainWindow, OpensWithTheInitialContents) {
  WindowDriver driver;
  const int result = driver.run_main_window([](QDialog& window) {
    EXPECT_EQ(window.windowTitle().toStdString(), main_window_title);
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(32, 32)));
    for (const auto& box : main_window_text_boxes)
      EXPECT_EQ(text_of(window, box.id), initial_main_window_fields().*box.text) << box.id;
    EXPECT_TRUE(control<QRadioButton>(window, id_lofgren_a)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(window, id_lofgren_b)->isChecked());
    EXPECT_FALSE(control<QRadioButton>(window, id_stevenson_a)->isChecked());
    EXPECT_EQ(window.font().pointSize(), 8);
    // The first control that takes the focus has it once the window is active.
    EXPECT_TRUE(window.isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), control(window, id_pivot));
    EXPECT_TRUE(window.isModal());
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(driver.messages.empty());
  EXPECT_TRUE(driver.jobs.empty());
}

TEST(MainWindow, ControlsSitAtTheirDialogUnits) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    const UnitSize unit = unit_size_of(window);
    ASSERT_GT(unit.across, 0);
    const QPoint screen = QGuiApplication::primaryScreen()->geometry().topLeft();
    EXPECT_EQ(window.geometry(), QRect(screen + QPoint(px(134, unit.across), px(120, unit.down)),
                                       QSize(px(237, unit.across), px(202, unit.down))));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    for (const ControlDescription& c : main_window_description().controls) {
      QWidget* widget = control(window, c.id);
      ASSERT_NE(widget, nullptr) << c.id;
      EXPECT_EQ(widget->geometry(), QRect(px(c.x, unit.across), px(c.y, unit.down),
                                          px(c.width, unit.across), px(c.height, unit.down)))
          << c.id;
    }
  });
}

TEST(MainWindow, ControlKindsAndKeyboardOrderFollowTheDescription) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    std::vector<QWidget*> focusable;
    for (const ControlDescription& c : main_window_description().controls) {
      QWidget* widget = control(window, c.id);
      switch (c.kind) {
        case ControlKind::label:
          EXPECT_NE(qobject_cast<QLabel*>(widget), nullptr) << c.id;
          EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << c.id;
          break;
        case ControlKind::text_box:
          EXPECT_NE(qobject_cast<QLineEdit*>(widget), nullptr) << c.id;
          break;
        case ControlKind::option_button:
          EXPECT_NE(qobject_cast<QRadioButton*>(widget), nullptr) << c.id;
          break;
        case ControlKind::push_button: {
          auto* button = qobject_cast<QPushButton*>(widget);
          ASSERT_NE(button, nullptr) << c.id;
          EXPECT_FALSE(button->autoDefault()) << c.id;
          EXPECT_FALSE(button->isDefault()) << c.id;
          break;
        }
      }
      if (c.kind != ControlKind::label) focusable.push_back(widget);
    }
    std::vector<QWidget*> chain;
    QWidget* next = focusable.front();
    do {
      if (next->focusPolicy() & Qt::TabFocus) chain.push_back(next);
      next = next->nextInFocusChain();
    } while (next != focusable.front());
    EXPECT_EQ(chain, focusable);
  });
}

// clang-format off
struct PresetCase { int button; const char* inner; const char* outer; };
constexpr PresetCase preset_cases[] = {
    {id_preset_din,     "57.5",   "146.05"},
    {id_preset_iec,     "60.325", "146.05"},
    {id_preset_typical, "63",     "145"},
};
// clang-format on

TEST(MainWindow, PresetsReplaceExactlyTheTwoRadiusTexts) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    for (const PresetCase& preset : preset_cases) {
      type_into(window, id_pivot, "231.5");
      type_into(window, id_inner_radius, "junk");
      type_into(window, id_outer_radius, "");
      type_into(window, id_correction_x, "1.02");
      type_into(window, id_correction_y, "0.98");
      type_into(window, id_id_text, "Test arm");
      click(window, id_stevenson_a);
      click(window, preset.button);
      EXPECT_EQ(text_of(window, id_inner_radius), preset.inner);
      EXPECT_EQ(text_of(window, id_outer_radius), preset.outer);
      EXPECT_EQ(text_of(window, id_pivot), "231.5");
      EXPECT_EQ(text_of(window, id_correction_x), "1.02");
      EXPECT_EQ(text_of(window, id_correction_y), "0.98");
      EXPECT_EQ(text_of(window, id_id_text), "Test arm");
      EXPECT_TRUE(control<QRadioButton>(window, id_stevenson_a)->isChecked());
      EXPECT_FALSE(control<QRadioButton>(window, id_lofgren_a)->isChecked());
    }
  });
  EXPECT_TRUE(driver.messages.empty());
}

TEST(MainWindow, TemplateCancelledAtTheSummaryPrintsNothing) {
  WindowDriver driver;
  driver.message_answer = message_cancel;
  driver.run_main_window([&driver](QDialog& window) {
    click(window, id_preset_iec);
    click(window, id_print_template);
    ASSERT_EQ(driver.messages.size(), 1u);
    const ShownMessage& summary = driver.messages[0];
    EXPECT_EQ(summary.title, "Confirm Parameters");
    EXPECT_EQ(summary.buttons, MessageButtons::ok_cancel);
    EXPECT_NE(summary.text.find("\nInner groove radius = 60.325\n"), std::string::npos);
    EXPECT_NE(summary.text.find("\nOuter groove radius = 146.050\n"), std::string::npos);
    EXPECT_EQ(text_of(window, id_inner_radius), "60.325");
    EXPECT_TRUE(window.isEnabled());
    // A second request shows a new summary.
    click(window, id_print_template);
    EXPECT_EQ(driver.messages.size(), 2u);
  });
  EXPECT_TRUE(driver.jobs.empty());
}

TEST(MainWindow, TemplateConfirmedPrintsThePageOfTheFields) {
  WindowDriver driver;
  bool disabled_while_choosing = false;
  driver.run_main_window([&](QDialog& window) {
    driver.on_printer = [&] { disabled_while_choosing = !window.isEnabled(); };
    click(window, id_preset_iec);
    type_into(window, id_id_text, "Test arm");
    click(window, id_lofgren_b);
    click(window, id_print_template);
    EXPECT_TRUE(window.isEnabled());
  });
  MainWindowFields fields = initial_main_window_fields();
  fields.inner_radius = "60.325";
  fields.id_text = "Test arm";
  fields.alignment = alignment_lofgren_b;
  ParameterSet expected;
  read_parameters(expected, fields);
  ASSERT_EQ(driver.messages.size(), 1u);
  EXPECT_EQ(driver.messages[0].text, build_parameter_summary(expected));
  ASSERT_EQ(driver.jobs.size(), 1u);
  EXPECT_EQ(driver.jobs[0].trace, template_trace(fields));
  EXPECT_TRUE(disabled_while_choosing);
}

TEST(MainWindow, CancelledPrinterChoicePrintsNothingAndLeavesTheWindowUsable) {
  WindowDriver driver;
  driver.printer_cancelled = true;
  driver.run_main_window([&driver](QDialog& window) {
    click(window, id_print_template);
    click(window, id_print_60hz);
    EXPECT_TRUE(window.isEnabled());
    click(window, id_preset_typical);
    EXPECT_EQ(text_of(window, id_inner_radius), "63");
    EXPECT_EQ(driver.messages.size(), 1u);
  });
  EXPECT_TRUE(driver.jobs.empty());
}

// clang-format off
struct StrobeCase { int button; int outer; int inner; };
constexpr StrobeCase strobe_cases[] = {
    {id_print_60hz, 216, 160},
    {id_print_50hz, 180, 133},
};
// clang-format on

TEST(MainWindow, StrobeButtonsPrintWithTheFactorsJustTypedAndNoSummary) {
  for (const StrobeCase& strobe : strobe_cases) {
    WindowDriver driver;
    driver.run_main_window([&strobe](QDialog& window) {
      type_into(window, id_correction_x, "1.01");
      type_into(window, id_correction_y, "0.99");
      click(window, strobe.button);
    });
    MainWindowFields fields = initial_main_window_fields();
    fields.correction_x = "1.01";
    fields.correction_y = "0.99";
    EXPECT_TRUE(driver.messages.empty());
    ASSERT_EQ(driver.jobs.size(), 1u) << strobe.button;
    EXPECT_EQ(driver.jobs[0].trace, strobe_trace(fields, strobe.outer, strobe.inner));
    EXPECT_NE(driver.jobs[0].trace,
              strobe_trace(initial_main_window_fields(), strobe.outer, strobe.inner));
  }
}

TEST(MainWindow, HelpShowsTheHelpTextAndTouchesNothing) {
  WindowDriver driver;
  driver.run_main_window([&driver](QDialog& window) {
    type_into(window, id_pivot, "222");
    click(window, id_help);
    click(window, id_help);
    EXPECT_EQ(text_of(window, id_pivot), "222");
    EXPECT_EQ(text_of(window, id_inner_radius), "57.5");
  });
  ASSERT_EQ(driver.messages.size(), 2u);
  for (const ShownMessage& message : driver.messages) {
    EXPECT_EQ(message.text, help_text());
    EXPECT_EQ(message.title, "Help/About");
    EXPECT_EQ(message.buttons, MessageButtons::ok);
  }
  EXPECT_TRUE(driver.jobs.empty());
}

TEST(MainWindow, EscapeAndEnterEndNothing) {
  WindowDriver driver;
  driver.run_main_window([&driver](QDialog& window) {
    QWidget* pivot = control(window, id_pivot);
    pivot->setFocus();
    QTest::keyClick(pivot, Qt::Key_Escape);
    QTest::keyClick(pivot, Qt::Key_Return);
    QTest::keyClick(pivot, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&window, Qt::Key_Escape);
    settle();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(modal_dialog(), &window);
    EXPECT_TRUE(driver.messages.empty());
    EXPECT_TRUE(driver.jobs.empty());
    EXPECT_EQ(text_of(window, id_pivot), "209");
  });
}

TEST(MainWindow, FocusedPushButtonsAnswerTheKeyboard) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    QWidget* iec = control(window, id_preset_iec);
    iec->setFocus();
    QTest::keyClick(iec, Qt::Key_Space);
    EXPECT_EQ(text_of(window, id_inner_radius), "60.325");
    QWidget* typical = control(window, id_preset_typical);
    typical->setFocus();
    QTest::keyClick(typical, Qt::Key_Return);
    EXPECT_EQ(text_of(window, id_inner_radius), "63");
  });
}

TEST(MainWindow, CloseBoxEndsTheWindowWithZero) {
  WindowDriver driver;
  EXPECT_EQ(driver.run_main_window([](QDialog& window) { EXPECT_TRUE(window.close()); }), 0);
  EXPECT_EQ(modal_dialog(), nullptr);
}

TEST(MainWindow, FocusComesBackAfterTheSummary) {
  WindowDriver driver;
  driver.message_answer = message_cancel;
  QWidget* focus_during_message = nullptr;
  driver.run_main_window([&](QDialog& window) {
    // The real message window, answered by its Cancel button.
    driver.on_message = [&] {
      when_modal_dialog_opens([&](QDialog& box) {
        settle();
        focus_during_message = QApplication::focusWidget();
        box.reject();
      });
      show_message_box("text", "title", MessageButtons::ok_cancel);
    };
    QWidget* template_button = control(window, id_print_template);
    template_button->setFocus();
    QTest::keyClick(template_button, Qt::Key_Space);
    // The offscreen platform has no window manager to hand the activation back.
    window.activateWindow();
    settle();
    EXPECT_NE(focus_during_message, nullptr);
    EXPECT_NE(focus_during_message, template_button);
    EXPECT_TRUE(window.isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), template_button);
  });
  EXPECT_EQ(driver.messages.size(), 1u);
}

}  // namespace
}  // namespace veltrane
