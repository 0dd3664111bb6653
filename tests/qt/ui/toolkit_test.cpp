#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <array>

#include "app/windows.h"
#include "ui/control_ids.h"
#include "window_driver.h"

namespace veltrane {
namespace {

// clang-format off
struct UnitCase { int char_width, char_height, units, across, down; };
constexpr UnitCase unit_cases[] = {
    {6, 13,  35,  53,  57},  // 52.5 and 56.875: halves round up
    {6, 13,  10,  15,  16},  // 16.25 rounds down
    {6, 13,  15,  23,  24},
    {6, 13, 237, 356, 385},
    {7, 16,  20,  35,  40},
    {5, 12,   0,   0,   0},
};
// clang-format on

TEST(DialogUnits, AreAQuarterCharacterAcrossAndAnEighthDown) {
  for (const UnitCase& c : unit_cases) {
    const DialogUnits units{c.char_width, c.char_height};
    EXPECT_EQ(units.to_x(c.units), c.across) << c.char_width << " " << c.units;
    EXPECT_EQ(units.to_y(c.units), c.down) << c.char_height << " " << c.units;
  }
  EXPECT_EQ((DialogUnits{6, 13}.to_pixels(115, 20, 35, 10)), QRect(173, 33, 53, 16));
}

TEST(DialogUnits, ComeFromTheEightPointDialogFont) {
  const QFont font = dialog_font();
  EXPECT_EQ(font.pointSize(), 8);
  const DialogUnits units = DialogUnits::of(font);
  const QFontMetrics metrics(font);
  EXPECT_EQ(units.char_height, metrics.height());
  EXPECT_NEAR(units.char_width * 52,
              metrics.horizontalAdvance(
                  QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
              26);
}

enum class Answer { click_ok, click_cancel, escape, enter, close_box };

// clang-format off
struct MessageCase { MessageButtons buttons; Answer answer; int result; };
constexpr MessageCase message_cases[] = {
    {MessageButtons::ok_cancel, Answer::click_ok,     message_ok},
    {MessageButtons::ok_cancel, Answer::enter,        message_ok},
    {MessageButtons::ok_cancel, Answer::click_cancel, message_cancel},
    {MessageButtons::ok_cancel, Answer::escape,       message_cancel},
    {MessageButtons::ok_cancel, Answer::close_box,    message_cancel},
    {MessageButtons::ok,        Answer::click_ok,     message_ok},
    {MessageButtons::ok,        Answer::enter,        message_ok},
    {MessageButtons::ok,        Answer::escape,       message_cancel},
    {MessageButtons::ok,        Answer::close_box,    message_cancel},
};
// clang-format on

TEST(MessageWindow, AnswersOkOnlyForItsOkButton) {
  for (const MessageCase& c : message_cases) {
    bool seen = false;
    when_modal_dialog_opens([&](QDialog& dialog) {
      auto* box = qobject_cast<QMessageBox*>(&dialog);
      ASSERT_NE(box, nullptr);
      seen = true;
      settle();
      EXPECT_EQ(box->windowTitle(), QStringLiteral("T\u00EEtle"));
      EXPECT_EQ(box->text(), QStringLiteral("line 1 <b>\nline 2 "));
      EXPECT_EQ(box->textFormat(), Qt::PlainText);
      EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
      EXPECT_EQ(box->parentWidget(), nullptr);
      EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
      QAbstractButton* ok = box->button(QMessageBox::Ok);
      QAbstractButton* cancel = box->button(QMessageBox::Cancel);
      ASSERT_NE(ok, nullptr);
      EXPECT_EQ(box->defaultButton(), ok);
      EXPECT_EQ(cancel != nullptr, c.buttons == MessageButtons::ok_cancel);
      switch (c.answer) {
        case Answer::click_ok:
          QTest::mouseClick(ok, Qt::LeftButton);
          break;
        case Answer::click_cancel:
          QTest::mouseClick(cancel, Qt::LeftButton);
          break;
        case Answer::escape:
          QTest::keyClick(box, Qt::Key_Escape);
          break;
        case Answer::enter:
          QTest::keyClick(box, Qt::Key_Return);
          break;
        case Answer::close_box:
          box->close();
          break;
      }
      settle();
      if (modal_dialog() == box) {
        ADD_FAILURE() << "still open";
        box->done(0);
      }
    });
    EXPECT_EQ(show_message_box("line 1 <b>\nline 2 ", "T\u00EEtle", c.buttons), c.result)
        << static_cast<int>(c.answer) << " " << static_cast<int>(c.buttons);
    EXPECT_TRUE(seen);
  }
}

using K = ControlKind;
constexpr int id_name = 1, id_first = 2, id_second = 3, id_third = 4, id_other = 5, id_end = 6;
// clang-format off
constexpr std::array probe_controls = {
    ControlDescription{id_name,   K::text_box,      "sample",    10, 10, 60, 10, true},
    ControlDescription{id_first,  K::option_button, "first",     10, 30, 50, 10, true},
    ControlDescription{id_second, K::option_button, "second",    10, 40, 50, 10},
    ControlDescription{id_third,  K::option_button, "third",     10, 50, 50, 10},
    ControlDescription{id_other,  K::option_button, "other",     70, 30, 50, 10, true},
    ControlDescription{id_end,    K::push_button,   "End",       70, 50, 40, 15},
    ControlDescription{7,         K::label,         "caption",   70, 10, 40, 10},
};
// clang-format on
const DialogDescription probe{"Probe",       20, 20, 130, 80, DialogFrame::title_menu_close,
                              probe_controls};

// Runs the probe dialog; `script` gets the widget and the Dialog side of it once shown.
int run_probe(Toolkit& toolkit, const std::function<void(QDialog&, Dialog&)>& script,
              const std::function<void(Dialog&, const DialogEvent&)>& extra = {}) {
  Dialog* dialog = nullptr;
  when_modal_dialog_opens([&](QDialog& widget) {
    settle();
    script(widget, *dialog);
    if (modal_dialog() == &widget) widget.close();
  });
  return toolkit.show_modal(probe, nullptr, [&](Dialog& d, const DialogEvent& event) {
    dialog = &d;
    if (extra) extra(d, event);
    if (event.kind == DialogEventKind::command && event.id == id_end) d.end_dialog(7);
  });
}

TEST(QtDialog, ReadsAndWritesItsControls) {
  WindowDriver driver;
  const int result = run_probe(driver.toolkit, [](QDialog& widget, Dialog& dialog) {
    EXPECT_EQ(dialog.get_text(id_name), "sample");
    dialog.set_text(id_name, "L\u00F6fgren \xE2\x82\xAC");
    EXPECT_EQ(dialog.get_text(id_name), "L\u00F6fgren \xE2\x82\xAC");
    dialog.set_text(7, "new caption");
    EXPECT_EQ(control<QLabel>(widget, 7)->text(), QStringLiteral("new caption"));
    const std::string long_text(50000, '7');
    dialog.set_text(id_name, long_text);
    EXPECT_EQ(dialog.get_text(id_name), long_text);
    EXPECT_EQ(dialog.get_text(99), "");
    dialog.set_title("Other");
    EXPECT_EQ(widget.windowTitle(), QStringLiteral("Other"));
    dialog.set_icon(app_icon_name);
    EXPECT_FALSE(widget.windowIcon().isNull());

    dialog.set_option(id_first, id_third, id_second);
    click(widget, id_other);
    EXPECT_EQ(dialog.get_check(id_second), 1);
    EXPECT_EQ(dialog.get_check(id_other), 1);  // a group of its own
    click(widget, id_third);
    EXPECT_EQ(dialog.get_check(id_second), 0);
    EXPECT_EQ(dialog.get_check(id_third), 1);
    dialog.set_option(id_first, id_third, 0);
    EXPECT_EQ(dialog.get_check(id_third), 0);
    EXPECT_EQ(dialog.get_check(id_name), 0);
    click(widget, id_end);
  });
  EXPECT_EQ(result, 7);
}

TEST(QtDialog, KeepsTheFocusWhileDisabled) {
  WindowDriver driver;
  run_probe(driver.toolkit, [](QDialog& widget, Dialog& dialog) {
    EXPECT_EQ(dialog.get_focus(), id_name);
    dialog.set_focus(id_end);
    EXPECT_EQ(QApplication::focusWidget(), control(widget, id_end));
    dialog.set_enabled(false);
    EXPECT_FALSE(widget.isEnabled());
    EXPECT_EQ(dialog.get_focus(), id_end);
    dialog.set_focus(id_name);
    dialog.set_enabled(true);
    EXPECT_TRUE(widget.isEnabled());
    EXPECT_EQ(dialog.get_focus(), id_name);
    EXPECT_EQ(QApplication::focusWidget(), control(widget, id_name));
  });
}

TEST(QtDialog, CloseRequestsReachTheHandlerAndEndWithZero) {
  WindowDriver driver;
  std::vector<DialogEventKind> kinds;
  const auto record = [&kinds](Dialog&, const DialogEvent& event) { kinds.push_back(event.kind); };
  EXPECT_EQ(
      run_probe(
          driver.toolkit, [](QDialog& widget, Dialog&) { EXPECT_TRUE(widget.close()); }, record),
      0);
  ASSERT_GE(kinds.size(), 3u);
  EXPECT_EQ(kinds.front(), DialogEventKind::init);
  EXPECT_EQ(kinds[1], DialogEventKind::activated);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), DialogEventKind::close), 1);
  // The handler may answer the close request itself.
  EXPECT_EQ(run_probe(
                driver.toolkit, [](QDialog& widget, Dialog&) { widget.close(); },
                [](Dialog& dialog, const DialogEvent& event) {
                  if (event.kind == DialogEventKind::close) dialog.end_dialog(3);
                }),
            3);
}

TEST(QtDialog, DisabledDialogRefusesTheCloseRequest) {
  WindowDriver driver;
  run_probe(driver.toolkit, [](QDialog& widget, Dialog& dialog) {
    dialog.set_enabled(false);
    EXPECT_FALSE(widget.close());
    EXPECT_TRUE(widget.isVisible());
    dialog.set_enabled(true);
  });
}

TEST(QtDialog, EndedDuringInitialisationIsNeverShown) {
  WindowDriver driver;
  int events = 0;
  const int result =
      driver.toolkit.show_modal(probe, nullptr, [&events](Dialog& dialog, const DialogEvent&) {
        ++events;
        dialog.end_dialog(4);
      });
  EXPECT_EQ(result, 4);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(modal_dialog(), nullptr);
}

// The focus memory of the main window, at the level of its handler.
class FocusProbe final : public Dialog {
 public:
  int focus = 0;
  std::vector<int> focus_given;
  std::string get_text(int) const override { return {}; }
  int get_check(int) const override { return 0; }
  void set_text(int, std::string_view) override {}
  void set_title(std::string_view) override {}
  void set_option(int, int, int) override {}
  void set_icon(std::string_view) override {}
  int get_focus() const override { return focus; }
  void set_focus(int id) override {
    focus = id;
    focus_given.push_back(id);
  }
  void set_enabled(bool) override {}
  void end_dialog(int) override {}
};

TEST(MainWindowHandler, GivesTheFocusBackOnceAfterEachDeactivation) {
  WindowDriver driver;
  DialogHandler handler = main_window_handler(driver.toolkit, driver.set);
  FocusProbe window;
  handler(window, {DialogEventKind::init});
  handler(window, {DialogEventKind::activated});
  EXPECT_TRUE(window.focus_given.empty());
  window.focus = id_correction_x;
  handler(window, {DialogEventKind::deactivated});
  window.focus = 0;
  handler(window, {DialogEventKind::activated});
  EXPECT_EQ(window.focus_given, std::vector<int>{id_correction_x});
  window.focus = id_pivot;
  handler(window, {DialogEventKind::activated});
  EXPECT_EQ(window.focus_given, std::vector<int>{id_correction_x});
}

}  // namespace
}  // namespace veltrane
