#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace veltrane {

/// Why the printing tests cannot run on this machine, or nothing when they can.
std::optional<std::string> cups_unavailable_reason();

/// The test scheduler's folder (scripts/cups).
std::string cups_dir();

/// The scheduler's local socket, what CUPS_SERVER names for its clients.
std::string cups_socket();

/// The PDF queue scripts/cups sets up as the default destination.
std::string cups_queue();

/// Runs `scripts/cups VERB` on the test scheduler; its output, or an error on failure.
bool cups_script(const std::string& verb, std::string& output);

/// Runs a CUPS command-line tool against the test scheduler (cupsdisable QUEUE, ...).
bool cups_tool(const std::string& command_line, std::string& output);

struct CupsJob {
  int id = 0;
  std::string name;
  std::string state;  ///< IPP keyword: pending, processing, completed, aborted, ...
};

/// Every job the scheduler remembers (ids and states), or nothing when it does not answer.
std::optional<std::vector<CupsJob>> cups_jobs();

/// One job with its name, or nothing when the scheduler does not know it.
std::optional<CupsJob> cups_job(int id);

/// The highest job id the scheduler knows, 0 when none.
int last_job_id();

/// Waits up to `seconds` for job `id` to end (completed, aborted or canceled); its last state.
CupsJob wait_for_job(int id, int seconds = 120);

/// The document CUPS spooled for a job: what the program handed over, kept by
/// PreserveJobFiles.
std::string spooled_document(int job_id);

struct PdfInfo {
  int pages = 0;
  double width_pt = 0;
  double height_pt = 0;
  std::string title;
};

/// pdfinfo's account of a PDF file.
PdfInfo pdf_info(const std::string& pdf);

/// pdftotext's text of a PDF, every run of white space made one space.
std::string pdf_text(const std::string& pdf);

/// The same white-space folding, with the ends trimmed.
std::string fold_spaces(const std::string& text);

/// A grey raster of the first page: 0 black, 255 white.
struct GreyPage {
  int width = 0;
  int height = 0;
  double dots_per_mm = 0;
  std::vector<std::uint8_t> grey;

  int ink(int x, int y) const { return 255 - grey[static_cast<std::size_t>(y) * width + x]; }
};

/// pdftoppm's rendering of the first page at `dpi`.
GreyPage rasterise(const std::string& pdf, int dpi = 300);

/// Centres (mm from the page's left edge) of the marks that cross the rows from `from_mm` to
/// `to_mm`: runs of inked columns, each centre weighted by its ink.
std::vector<double> marks_across(const GreyPage& page, double from_mm, double to_mm);

/// The same for rows: centres (mm from the top) of the marks crossing those columns.
std::vector<double> marks_down(const GreyPage& page, double from_mm, double to_mm);

/// The mark in `marks` nearest to `near_mm` if one lies within `window_mm` of it.
std::optional<double> mark_near(const std::vector<double>& marks, double near_mm,
                                double window_mm = 3);

/// The inked area of the page in mm: left, top, right, bottom edges.
struct InkBox {
  double left = 0, top = 0, right = 0, bottom = 0;
};
InkBox ink_box(const GreyPage& page);

}  // namespace veltrane
