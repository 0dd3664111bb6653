#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <cmath>

#include "app/dialog_fields.h"
#include "app/read_fields.h"
#include "app/windows.h"
#include "print/trace_device.h"
#include "strobe/strobe_page.h"
#include "ui/control_ids.h"
#include "window_driver.h"

namespace veltrane {
namespace {

std::string custom_trace(const ParameterSet& from, const CustomStrobeFields& dialog_fields) {
  ParameterSet set = from;
  read_custom_strobe(set, dialog_fields);
  std::ostringstream out;
  print_strobe_page(set, set.custom_outer_bars, set.custom_inner_bars, set.custom_caption_1,
                    set.custom_caption_2, trace_opener(out));
  return out.str();
}

TEST(CustomStrobeDialog, OpensWithTheDefaultsOverTheMainWindow) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    EXPECT_TRUE(with_custom_dialog(window, [&window](QDialog& dialog) {
      EXPECT_EQ(dialog.windowTitle().toStdString(), "Custom Strobe Parameters");
      EXPECT_EQ(dialog.parentWidget(), &window);
      for (const auto& box : custom_strobe_text_boxes)
        EXPECT_EQ(text_of(dialog, box.id), initial_custom_strobe_fields().*box.text) << box.id;
      const Qt::WindowFlags flags = dialog.windowFlags();
      EXPECT_TRUE(flags & Qt::WindowTitleHint);
      EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
      // Placed from the main window's client area, in the same dialog units.
      const int unit_x =
          std::lround(QFontMetrics(dialog.font())
                          .horizontalAdvance(QStringLiteral(
                              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                      52.0);
      const int unit_y = QFontMetrics(dialog.font()).height();
      const QPoint client = window.mapToGlobal(QPoint(0, 0));
      EXPECT_EQ(
          dialog.geometry(),
          QRect(client + QPoint(std::lround(102 * unit_x / 4.0), std::lround(88 * unit_y / 8.0)),
                QSize(std::lround(211 * unit_x / 4.0), std::lround(180 * unit_y / 8.0))));
      EXPECT_EQ(QApplication::focusWidget(), control(dialog, id_outer_bars));
      click(dialog, id_custom_cancel);
    }));
  });
  EXPECT_TRUE(driver.jobs.empty());
}

TEST(CustomStrobeDialog, OkWithTheDefaultsPrintsTheStandard60HzDisk) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    EXPECT_TRUE(with_custom_dialog(window, [](QDialog& dialog) { click(dialog, id_custom_ok); }));
  });
  ASSERT_EQ(driver.jobs.size(), 1u);
  ParameterSet main_fields;
  read_parameters(main_fields, initial_main_window_fields());
  const std::string blank(caption_length, ' ');
  std::ostringstream standard;
  print_strobe_page(main_fields, 216, 160, blank, blank, trace_opener(standard));
  EXPECT_EQ(driver.jobs[0].trace, standard.str());
  EXPECT_TRUE(driver.messages.empty());
}

TEST(CustomStrobeDialog, OkPrintsTheTypedCountsAndCaptionsWithTheFactorTypedBefore) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    type_into(window, id_correction_x, "1.02");
    EXPECT_TRUE(with_custom_dialog(window, [](QDialog& dialog) {
      type_into(dialog, id_outer_bars, "100");
      type_into(dialog, id_inner_bars, "72");
      type_into(dialog, id_caption_1, "A");
      type_into(dialog, id_caption_2, "B");
      click(dialog, id_custom_ok);
    }));
  });
  EXPECT_EQ(driver.set.custom_outer_bars, 100);
  EXPECT_EQ(driver.set.custom_inner_bars, 72);
  EXPECT_EQ(driver.set.custom_caption_1, std::string(17, ' ') + "A" + std::string(18, ' '));
  EXPECT_EQ(driver.set.custom_caption_2, std::string(17, ' ') + "B" + std::string(18, ' '));
  EXPECT_DOUBLE_EQ(driver.set.correction_x, 1.02);
  MainWindowFields main_fields = initial_main_window_fields();
  main_fields.correction_x = "1.02";
  ParameterSet expected;
  read_parameters(expected, main_fields);
  CustomStrobeFields dialog_fields = initial_custom_strobe_fields();
  dialog_fields.outer_bars = "100";
  dialog_fields.inner_bars = "72";
  dialog_fields.caption_1 = "A";
  dialog_fields.caption_2 = "B";
  ASSERT_EQ(driver.jobs.size(), 1u);
  EXPECT_EQ(driver.jobs[0].trace, custom_trace(expected, dialog_fields));
}

// clang-format off
struct CountCase { const char* outer; const char* inner; int outer_bars; int inner_bars; };
constexpr CountCase count_cases[] = {
    {"72.5",  "73.5", 72, 74},
    {"100",   "72",   100, 72},
    {"junk",  "",     0,   0},
    {"12abc", "-3.5", 12,  -4},
};
// clang-format on

TEST(CustomStrobeDialog, CountsAreRoundedHalfToEven) {
  for (const CountCase& counts : count_cases) {
    WindowDriver driver;
    driver.run_main_window([&counts](QDialog& window) {
      EXPECT_TRUE(with_custom_dialog(window, [&counts](QDialog& dialog) {
        type_into(dialog, id_outer_bars, counts.outer);
        type_into(dialog, id_inner_bars, counts.inner);
        click(dialog, id_custom_ok);
      }));
    });
    EXPECT_EQ(driver.set.custom_outer_bars, counts.outer_bars) << counts.outer;
    EXPECT_EQ(driver.set.custom_inner_bars, counts.inner_bars) << counts.inner;
    EXPECT_EQ(driver.jobs.size(), 1u) << counts.outer;
  }
}

TEST(CustomStrobeDialog, CancelPrintsNothingAndKeepsTheLastValues) {
  WindowDriver driver;
  driver.run_main_window([&driver](QDialog& window) {
    EXPECT_TRUE(with_custom_dialog(window, [](QDialog& dialog) {
      type_into(dialog, id_outer_bars, "100");
      click(dialog, id_custom_ok);
    }));
    const ParameterSet after_ok = driver.set;
    EXPECT_TRUE(with_custom_dialog(window, [](QDialog& dialog) {
      type_into(dialog, id_outer_bars, "300");
      type_into(dialog, id_caption_1, "other");
      click(dialog, id_custom_cancel);
    }));
    EXPECT_EQ(driver.set.custom_outer_bars, after_ok.custom_outer_bars);
    EXPECT_EQ(driver.set.custom_caption_1, after_ok.custom_caption_1);
  });
  EXPECT_EQ(driver.jobs.size(), 1u);
}

TEST(CustomStrobeDialog, ReopensWithTheDefaults) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    EXPECT_TRUE(with_custom_dialog(window, [](QDialog& dialog) {
      type_into(dialog, id_outer_bars, "100");
      type_into(dialog, id_caption_2, "mine");
      click(dialog, id_custom_ok);
    }));
    EXPECT_TRUE(with_custom_dialog(window, [](QDialog& dialog) {
      for (const auto& box : custom_strobe_text_boxes)
        EXPECT_EQ(text_of(dialog, box.id), initial_custom_strobe_fields().*box.text) << box.id;
      click(dialog, id_custom_cancel);
    }));
  });
}

TEST(CustomStrobeDialog, EscapeAndEnterCloseNothingAndACloseRequestCancels) {
  WindowDriver driver;
  driver.run_main_window([](QDialog& window) {
    EXPECT_TRUE(with_custom_dialog(window, [](QDialog& dialog) {
      QWidget* caption = control(dialog, id_caption_1);
      caption->setFocus();
      QTest::keyClick(caption, Qt::Key_Escape);
      QTest::keyClick(caption, Qt::Key_Return);
      QTest::keyClick(&dialog, Qt::Key_Escape);
      settle();
      EXPECT_EQ(modal_dialog(), &dialog);
      EXPECT_TRUE(dialog.close());
    }));
    EXPECT_TRUE(window.isVisible());
  });
  EXPECT_TRUE(driver.jobs.empty());
}

TEST(CustomStrobeDialog, DialogTakesNoInputWhileItPrints) {
  WindowDriver driver;
  bool dialog_enabled = true;
  driver.run_main_window([&](QDialog& window) {
    EXPECT_TRUE(with_custom_dialog(window, [&](QDialog& dialog) {
      driver.on_printer = [&] { dialog_enabled = dialog.isEnabled(); };
      click(dialog, id_custom_ok);
    }));
  });
  EXPECT_FALSE(dialog_enabled);
  EXPECT_EQ(driver.jobs.size(), 1u);
}

}  // namespace
}  // namespace veltrane
