// The window's prints through a real CUPS scheduler (scripts/cups): the main window runs
// offscreen, the printer choice is the real Qt printer on the test queue, and each job is
// checked in the PDF the scheduler spooled for it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/read_fields.h"
#include "app/window_fields.h"
#include "app/windows.h"
#include "backends/qt/qt_printer.h"
#include "cups_support.h"
#include "model/standard_strobes.h"
#include "print/file_output.h"
#include "print/recording_device.h"
#include "qt/print/pdf_facts.h"
#include "qt/ui/window_driver.h"
#include "strobe/strobe_page.h"
#include "support/pdf_pages.h"
#include "template/template_page.h"
#include "ui/control_ids.h"

namespace veltrane {
namespace {

// The program's toolkit with its two platform choices answered here: OK to every message,
// and the real Qt printer on the test queue (no dialog) unless the choice is cancelled.
struct PrintSeam {
  bool cancel_printer_choice = false;
  int printer_choices = 0;
  std::vector<std::string> messages;
  ParameterSet set;
  QtToolkit toolkit{{[this](std::string_view name) -> std::unique_ptr<PrintDevice> {
                       ++printer_choices;
                       if (cancel_printer_choice) return nullptr;
                       return open_qt_printer(name, cups_queue());
                     },
                     [this](std::string_view text, std::string_view, MessageButtons) {
                       messages.emplace_back(text);
                       return message_ok;
                     }}};

  // Runs the main window with `script`, then closes it.
  void run_window(const std::function<void(QDialog& window)>& script) {
    when_modal_dialog_opens([&script](QDialog& window) {
      settle();
      script(window);
      window.close();
    });
    EXPECT_EQ(run_main_window(toolkit, set), 0);
  }
};

void set_text(QDialog& dialog, int id, const std::string& text) {
  auto* edit = control<QLineEdit>(dialog, id);
  ASSERT_NE(edit, nullptr) << id;
  edit->setText(QString::fromStdString(text));
}

struct CustomStrobe {
  std::string outer = "216", inner = "160", caption_1, caption_2;
};

// Presses a print button; "Print Custom Strobe" gets its dialog filled in and OK pressed.
void press_print(QDialog& window, int button, const CustomStrobe& custom = {}) {
  if (button == id_print_custom) {
    when_modal_dialog_opens([&custom](QDialog& dialog) {
      settle();
      set_text(dialog, id_outer_bars, custom.outer);
      set_text(dialog, id_inner_bars, custom.inner);
      set_text(dialog, id_caption_1, custom.caption_1);
      set_text(dialog, id_caption_2, custom.caption_2);
      click(dialog, id_custom_ok);
    });
  }
  click(window, button);
}

constexpr int print_buttons[] = {id_print_template, id_print_60hz, id_print_50hz, id_print_custom};

// Runs one print command and returns the one job it queued, once the scheduler has done
// with it; 0 when no single job came of it.
int printed_job(const std::function<void()>& command) {
  const int before = last_job_id();
  command();
  const auto jobs = cups_jobs();
  if (!jobs) {
    ADD_FAILURE() << "the scheduler does not answer";
    return 0;
  }
  std::vector<int> queued;
  for (const CupsJob& job : *jobs)
    if (job.id > before) queued.push_back(job.id);
  if (queued.size() != 1) {
    ADD_FAILURE() << queued.size() << " jobs queued by one print command";
    return 0;
  }
  const CupsJob job = wait_for_job(queued[0]);
  EXPECT_EQ(job.state, "completed") << "job " << job.id;
  EXPECT_EQ(job.name, "Print Job");
  return job.id;
}

// One page in the orientation asked for, named "Print Job", with every text the page drew.
void expect_spooled_page(int job, Orientation orientation, const std::vector<std::string>& texts) {
  const std::string pdf = spooled_document(job);
  const PdfInfo info = pdf_info(pdf);
  EXPECT_EQ(info.pages, 1) << pdf;
  EXPECT_EQ(info.title, "Print Job");
  if (orientation == Orientation::landscape) {
    EXPECT_GT(info.width_pt, info.height_pt) << "not landscape";
  } else {
    EXPECT_LT(info.width_pt, info.height_pt) << "not portrait";
  }
  const std::string text = pdf_text(pdf);
  ASSERT_FALSE(texts.empty());
  for (const std::string& expected : texts)
    EXPECT_NE(text.find(fold_spaces(expected)), std::string::npos)
        << '"' << expected << "\" is not in the text of " << pdf << ": " << text;
}

// The frame measures 100, 180 and 200 mm times the correction factors.
void expect_frame_to_scale(const GreyPage& page, double x, double y) {
  const auto frame = template_frame(page, x, y);
  ASSERT_TRUE(frame) << "a mark of the frame is missing";
  // clang-format off
  const struct { double measured, mm, scale; } ticks[] = {
    {frame->x100 - frame->left_line, 100, x},
    {frame->x200 - frame->left_line, 200, x},
    {frame->y100 - frame->top_line,  100, y},
    {frame->y180 - frame->top_line,  180, y},
    {frame->y200 - frame->top_line,  200, y},
  };
  // clang-format on
  for (const auto& tick : ticks) EXPECT_NEAR(tick.measured, tick.mm * tick.scale, 0.2) << tick.mm;
}

struct Factors {
  const char* x_text;
  const char* y_text;
  double x, y;
};

MainWindowFields window_fields(const Factors& factors) {
  MainWindowFields fields = initial_main_window_fields();
  fields.correction_x = factors.x_text;
  fields.correction_y = factors.y_text;
  return fields;
}

void set_factors(QDialog& window, const Factors& factors) {
  set_text(window, id_correction_x, factors.x_text);
  set_text(window, id_correction_y, factors.y_text);
}

class CupsPrinting : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Before Qt's printing support first asks libcups, which reads it once.
    setenv("CUPS_SERVER", cups_socket().c_str(), 1);
  }

  void SetUp() override {
    if (const auto reason = cups_unavailable_reason()) {
      if (std::getenv("VELTRANE_REQUIRE_CUPS")) FAIL() << *reason;
      GTEST_SKIP() << *reason;
    }
    std::string output;
    ASSERT_TRUE(cups_script("start", output)) << output;
    started_ = true;
  }

  // Whatever a test did to the service, the next one finds it running and its queue open.
  void TearDown() override {
    std::string output;
    if (started_) {
      EXPECT_TRUE(cups_script("start", output)) << output;
    }
  }

 private:
  bool started_ = false;
};

// clang-format off
const Factors template_factors[] = {
  {"1.0",  "1.0",  1.0,  1.0},
  {"1.02", "0.98", 1.02, 0.98},
};
// clang-format on

TEST_F(CupsPrinting, TemplateIsOneLandscapePageAtFullScaleTimesTheCorrectionFactors) {
  PrintSeam seam;
  seam.run_window([&](QDialog& window) {
    for (const Factors& factors : template_factors) {
      SCOPED_TRACE(std::string("correction factors ") + factors.x_text + ", " + factors.y_text);
      set_factors(window, factors);
      const int job = printed_job([&] { press_print(window, id_print_template); });
      ASSERT_NE(job, 0);

      ParameterSet set;
      read_parameters(set, window_fields(factors));
      // The texts the page prints, to look for them in the spooled document.
      std::vector<RecordedJob> page_texts;
      print_template_page(set, recording_opener(page_texts));
      ASSERT_EQ(page_texts.size(), 1u);
      expect_spooled_page(job, Orientation::landscape, page_texts[0].texts);

      const GreyPage page = rasterise(spooled_document(job));
      ASSERT_GT(page.width, 0);
      expect_frame_to_scale(page, factors.x, factors.y);
    }
  });
  EXPECT_EQ(seam.messages.size(), 2u) << "a summary for each template print, nothing else";
}

struct StrobeCase {
  const char* name;
  int button;
  Factors factors;
  CustomStrobe custom;
};

// clang-format off
const StrobeCase strobe_cases[] = {
  {"60 Hz",               id_print_60hz,   {"1.0",  "1.0",  1.0,  1.0},  {}},
  {"50 Hz, corrected",    id_print_50hz,   {"1.02", "0.98", 1.02, 0.98}, {}},
  {"custom 100/72",       id_print_custom, {"1.0",  "1.0",  1.0,  1.0},
                          {"100", "72", "78 RPM - 50 HZ - 100 BARS", "TEST DISK"}},
};
// clang-format on

TEST_F(CupsPrinting, StrobeButtonsPrintOnePortraitDiskEach) {
  PrintSeam seam;
  seam.run_window([&](QDialog& window) {
    for (const StrobeCase& c : strobe_cases) {
      SCOPED_TRACE(c.name);
      set_factors(window, c.factors);
      const int job = printed_job([&] { press_print(window, c.button, c.custom); });
      ASSERT_NE(job, 0);

      ParameterSet set;
      read_parameters(set, window_fields(c.factors));
      std::vector<RecordedJob> page_texts;
      const std::string blank(caption_length, ' ');
      if (c.button == id_print_custom) {
        CustomStrobeFields dialog = initial_custom_strobe_fields();
        dialog.outer_bars = c.custom.outer;
        dialog.inner_bars = c.custom.inner;
        dialog.caption_1 = c.custom.caption_1;
        dialog.caption_2 = c.custom.caption_2;
        read_custom_strobe(set, dialog);
        print_strobe_page(set, set.custom_outer_bars, set.custom_inner_bars, set.custom_caption_1,
                          set.custom_caption_2, recording_opener(page_texts));
      } else {
        const bool sixty = c.button == id_print_60hz;
        const StandardStrobe& strobe = sixty ? strobe_60hz : strobe_50hz;
        print_strobe_page(set, strobe.outer_bars, strobe.inner_bars, blank, blank,
                          recording_opener(page_texts));
      }
      ASSERT_EQ(page_texts.size(), 1u);
      expect_spooled_page(job, Orientation::portrait, page_texts[0].texts);

      // Everything on the page lies within the disk's edge, a 180 mm circle.
      const GreyPage page = rasterise(spooled_document(job));
      ASSERT_GT(page.width, 0);
      const InkBox disk = ink_box(page);
      EXPECT_NEAR(disk.right - disk.left, 180 * c.factors.x, 0.3);
      EXPECT_NEAR(disk.bottom - disk.top, 180 * c.factors.y, 0.3);
    }
  });
  EXPECT_TRUE(seam.messages.empty()) << "strobe prints show nothing";
  EXPECT_EQ(seam.printer_choices, 3);
}

TEST_F(CupsPrinting, CancelledPrinterChoiceQueuesNothing) {
  PrintSeam seam;
  seam.cancel_printer_choice = true;
  const int before = last_job_id();
  seam.run_window([&](QDialog& window) {
    for (int button : print_buttons) press_print(window, button);
    EXPECT_TRUE(window.isEnabled());
  });
  EXPECT_EQ(seam.printer_choices, 4);
  EXPECT_EQ(seam.messages.size(), 1u) << "the summary only";
  EXPECT_EQ(last_job_id(), before);
  std::string output;
  ASSERT_TRUE(cups_tool("lpstat -o " + cups_queue(), output)) << output;
  EXPECT_EQ(output, "") << "jobs left in the queue";
}

enum class Fault { scheduler_stopped, queue_disabled, queue_rejecting };

struct FaultCase {
  const char* name;
  Fault fault;
  const char* break_command;  ///< scripts/cups verb or CUPS tool, queue appended
  const char* mend_command;
  bool jobs_held;  ///< the queue takes jobs and prints them once mended
};

// The printing service as a machine without printers has it: it answers, and offers no
// queue. The window's print button still ends in a page: the dialog's PDF file, drawn as on a
// printer that leaves the border unprinted, and printed at actual size by a viewer.
TEST_F(CupsPrinting, WithoutAQueueTheDialogSavesThePageAsAPdfThatPrintsToScale) {
  std::string output;
  ASSERT_TRUE(cups_tool("lpadmin -x " + cups_queue(), output)) << output;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("veltrane-cups-file-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "template.pdf").string();

  std::vector<std::string> messages, offered;
  int notices = 0;
  QtToolkit toolkit{
      {open_qt_printer_with_dialog, [&](std::string_view text, std::string_view, MessageButtons) {
         messages.emplace_back(text);
         return message_ok;
       }}};
  ParameterSet set;
  when_modal_dialog_opens([&](QDialog& window) {
    settle();
    when_modal_dialog_opens([&](QDialog& dialog) {
      if (qobject_cast<QMessageBox*>(&dialog) != nullptr) {
        ++notices;
        dialog.reject();
        return;
      }
      auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
      auto* file_name = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
      auto* buttons = dialog.findChild<QDialogButtonBox*>();
      if (printers == nullptr || file_name == nullptr || buttons == nullptr) {
        ADD_FAILURE() << "not the printer dialog";
        dialog.reject();
        return;
      }
      for (int i = 0; i < printers->count(); ++i)
        offered.push_back(printers->itemText(i).toStdString());
      printers->setCurrentIndex(printers->findText("PDF", Qt::MatchContains));
      file_name->setText(QString::fromStdString(path));
      buttons->button(QDialogButtonBox::Ok)->click();
    });
    click(window, id_print_template);
    window.close();
  });
  EXPECT_EQ(run_main_window(toolkit, set), 0);
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(messages.size(), 1u) << "the summary only";
  EXPECT_EQ(offered.size(), 1u) << "the PDF file and no printer";

  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const PdfFacts facts = pdf_facts(bytes);
  EXPECT_EQ(facts.pages, 1u);
  EXPECT_EQ(facts.print_scaling, "/None");
  EXPECT_EQ(facts.title, "Print Job");
  EXPECT_GT(facts.width_pt, facts.height_pt) << "not landscape";

  const GreyPage page = rasterise(path);
  std::filesystem::remove_all(folder);
  ASSERT_GT(page.width, 0);
  expect_frame_to_scale(page, 1, 1);
  // The reference lines lie 1 mm inside the printable area, which begins at the margin.
  const auto frame = template_frame(page);
  ASSERT_TRUE(frame);
  EXPECT_NEAR(frame->left_line, default_margin_mm + 1, 0.15);
  EXPECT_NEAR(frame->top_line, default_margin_mm + 1, 0.15);
  const InkBox ink = ink_box(page);
  EXPECT_NEAR(ink.left, default_margin_mm, 0.15);
  EXPECT_NEAR(ink.top, default_margin_mm, 0.15);
}

// clang-format off
const FaultCase fault_cases[] = {
  {"SchedulerStopped", Fault::scheduler_stopped, "stop",        "start",      false},
  {"QueueDisabled",    Fault::queue_disabled,    "cupsdisable", "cupsenable", true},
  {"QueueRejecting",   Fault::queue_rejecting,   "cupsreject",  "cupsaccept", false},
};
// clang-format on

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

bool change_service(const FaultCase& c, const char* command) {
  std::string output;
  const bool done = c.fault == Fault::scheduler_stopped
                        ? cups_script(command, output)
                        : cups_tool(std::string(command) + " " + cups_queue(), output);
  EXPECT_TRUE(done) << command << ": " << output;
  return done;
}

class CupsFault : public CupsPrinting, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(CupsFault, PrintsEndQuietlyAndALaterPrintWorksOnceTheServiceIsBack) {
  const FaultCase& c = GetParam();
  PrintSeam seam;
  const int before = last_job_id();
  ASSERT_TRUE(change_service(c, c.break_command));
  int mended_job = 0;
  seam.run_window([&](QDialog& window) {
    for (int button : print_buttons) press_print(window, button);
    EXPECT_TRUE(window.isEnabled());
    click(window, id_preset_iec);
    EXPECT_EQ(text_of(window, id_inner_radius), "60.325") << "the window takes input";

    ASSERT_TRUE(change_service(c, c.mend_command));
    mended_job = printed_job([&] { press_print(window, id_print_template); });
  });
  EXPECT_EQ(seam.printer_choices, 5);
  EXPECT_EQ(seam.messages.size(), 2u) << "the two summaries only";
  ASSERT_NE(mended_job, 0);

  // A disabled queue keeps what it was given and prints it once enabled; the others took
  // nothing. The queue's own list says which jobs it took: job numbers run on across a
  // queue that an earlier test removed and made again, so the numbers between say nothing.
  std::vector<int> held;
  for (const CupsJob& job : cups_jobs().value_or(std::vector<CupsJob>{}))
    if (job.id > before && job.id < mended_job) held.push_back(job.id);
  EXPECT_EQ(held.size(), c.jobs_held ? 4u : 0u);
  for (int job : held) EXPECT_EQ(wait_for_job(job).state, "completed") << "held job " << job;
}

INSTANTIATE_TEST_SUITE_P(Faults, CupsFault, ::testing::ValuesIn(fault_cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltrane
