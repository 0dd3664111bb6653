#include "support/pdf_pages.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace veltrane {
namespace {

std::filesystem::path scratch_folder() {
  auto folder =
      std::filesystem::temp_directory_path() / ("veltrane-pdf-pages-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  return folder;
}

// The inked runs along a profile: centre of each run (in profile steps), weighted by ink.
std::vector<double> run_centres(const std::vector<long>& ink) {
  std::vector<double> centres;
  double weighted = 0, total = 0;
  for (std::size_t i = 0; i <= ink.size(); ++i) {
    if (i < ink.size() && ink[i] > 0) {
      weighted += (static_cast<double>(i) + 0.5) * static_cast<double>(ink[i]);
      total += static_cast<double>(ink[i]);
    } else if (total > 0) {
      centres.push_back(weighted / total);
      weighted = total = 0;
    }
  }
  return centres;
}

// A pixel counts as ink from a third of full black on, which keeps the anti-aliased fringe
// of a thin line inside its run but not the faint halo beside it.
constexpr int ink_threshold = 85;

}  // namespace

std::string shell_quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command; its standard output and error, and whether it exited with 0.
bool run_command(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return false;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

PdfInfo pdf_info(const std::string& pdf) {
  PdfInfo info;
  std::string output;
  if (!run_command("pdfinfo " + shell_quoted(pdf), output)) return info;
  std::istringstream lines(output);
  std::string line;
  const auto value = [&line](std::string_view key) { return fold_spaces(line.substr(key.size())); };
  while (std::getline(lines, line)) {
    if (line.starts_with("Pages:")) info.pages = std::atoi(value("Pages:").c_str());
    if (line.starts_with("Title:")) info.title = value("Title:");
    if (line.starts_with("Page size:"))
      std::sscanf(value("Page size:").c_str(), "%lf x %lf", &info.width_pt, &info.height_pt);
  }
  return info;
}

std::string fold_spaces(const std::string& text) {
  std::string folded;
  for (char c : text) {
    const bool space = c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f';
    if (!space) {
      folded += c;
    } else if (!folded.empty() && folded.back() != ' ') {
      folded += ' ';
    }
  }
  if (!folded.empty() && folded.back() == ' ') folded.pop_back();
  return folded;
}

std::string pdf_text(const std::string& pdf) {
  std::string output;
  run_command("pdftotext -raw -enc UTF-8 " + shell_quoted(pdf) + " -", output);
  return fold_spaces(output);
}

GreyPage rasterise(const std::string& pdf, int dpi) {
  GreyPage page;
  const auto prefix = scratch_folder() / "page";
  const std::string pgm = prefix.string() + ".pgm";
  std::string output;
  if (!run_command("pdftoppm -gray -r " + std::to_string(dpi) + " -f 1 -l 1 -singlefile " +
                       shell_quoted(pdf) + " " + shell_quoted(prefix.string()),
                   output))
    return page;
  std::ifstream file(pgm, std::ios::binary);
  std::string magic;
  int max_value = 0;
  file >> magic >> page.width >> page.height >> max_value;
  file.get();
  if (magic != "P5" || max_value != 255 || page.width <= 0 || page.height <= 0) return {};
  page.grey.resize(static_cast<std::size_t>(page.width) * page.height);
  file.read(reinterpret_cast<char*>(page.grey.data()),
            static_cast<std::streamsize>(page.grey.size()));
  std::filesystem::remove_all(prefix.parent_path());
  if (!file) return {};
  page.dots_per_mm = dpi / 25.4;
  return page;
}

std::vector<double> marks_across(const GreyPage& page, double from_mm, double to_mm) {
  const int y0 = std::clamp(static_cast<int>(from_mm * page.dots_per_mm), 0, page.height);
  const int y1 = std::clamp(static_cast<int>(to_mm * page.dots_per_mm), 0, page.height);
  std::vector<long> ink(static_cast<std::size_t>(page.width), 0);
  std::vector<long> darkest(ink.size(), 0);
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < page.width; ++x) {
      ink[x] += page.ink(x, y);
      darkest[x] = std::max<long>(darkest[x], page.ink(x, y));
    }
  for (std::size_t x = 0; x < ink.size(); ++x)
    if (darkest[x] <= ink_threshold) ink[x] = 0;
  std::vector<double> centres = run_centres(ink);
  for (double& c : centres) c /= page.dots_per_mm;
  return centres;
}

std::vector<double> marks_down(const GreyPage& page, double from_mm, double to_mm) {
  GreyPage turned;
  turned.width = page.height;
  turned.height = page.width;
  turned.dots_per_mm = page.dots_per_mm;
  turned.grey.resize(page.grey.size());
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x)
      turned.grey[static_cast<std::size_t>(x) * turned.width + y] =
          page.grey[static_cast<std::size_t>(y) * page.width + x];
  return marks_across(turned, from_mm, to_mm);
}

std::optional<double> mark_near(const std::vector<double>& marks, double near_mm,
                                double window_mm) {
  std::optional<double> best;
  for (double mark : marks)
    if (std::abs(mark - near_mm) <= window_mm &&
        (!best || std::abs(mark - near_mm) < std::abs(*best - near_mm)))
      best = mark;
  return best;
}

InkBox ink_box(const GreyPage& page) {
  int left = page.width, top = page.height, right = -1, bottom = -1;
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x)
      if (page.ink(x, y) > ink_threshold) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  if (right < 0) return {};
  return {left / page.dots_per_mm, top / page.dots_per_mm, (right + 1) / page.dots_per_mm,
          (bottom + 1) / page.dots_per_mm};
}

std::optional<TemplateFrame> template_frame(const GreyPage& page, double scale_x, double scale_y) {
  // The frame's lines run 1 mm inside the printable area's edges; its ticks cross the band
  // 2 to 4 mm in, where nothing else is drawn but the cut circle, far from any tick.
  const InkBox corner = ink_box(page);
  const auto across = marks_across(page, corner.top + 2 * scale_y, corner.top + 4 * scale_y);
  const auto down = marks_down(page, corner.left + 2 * scale_x, corner.left + 4 * scale_x);
  const auto left = mark_near(across, corner.left + 1 * scale_x);
  const auto top = mark_near(down, corner.top + 1 * scale_y);
  if (!left || !top) return std::nullopt;
  const auto x = mark_near(across, *left + 100 * scale_x),
             x2 = mark_near(across, *left + 200 * scale_x);
  const auto y = mark_near(down, *top + 100 * scale_y), y18 = mark_near(down, *top + 180 * scale_y),
             y2 = mark_near(down, *top + 200 * scale_y);
  if (!x || !x2 || !y || !y18 || !y2) return std::nullopt;
  return TemplateFrame{*left, *top, *x, *x2, *y, *y18, *y2};
}

}  // namespace veltrane
