#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/requests.h"
#include "model/analysis.h"
#include "model/parameter_set.h"
#include "model/speed_measurement.h"
#include "model/strobe_speed.h"
#include "print/file_output.h"
#include "print/page_mark.h"
#include "print/print_device.h"

namespace veltrane {

/// Everything a page is drawn from, once resolved: the arm with its correction factors (and
/// the custom disk's counts and captions), the rings of a disk for speeds, the analysis of
/// the chart, a measured recording and its name. A kind reads only what it needs.
struct PageInputs {
  ParameterSet set;
  std::vector<StrobeRing> rings;
  Analysis analysis;
  /// The template's name in its heading and title in place of its alignment's ("Your arm's
  /// optimum (peak)"); empty: the alignment's.
  std::string heading;
  SpeedResult speed;
  std::string recording;
};

/// What a page kind needs resolved before it can be drawn, one bit each.
enum PageNeeds : std::uint8_t {
  needs_arm = 1,            ///< the whole arm (it includes the correction factors)
  needs_corrections = 2,    ///< the correction factors
  needs_speeds = 4,         ///< the speeds and the lamp of a disk for speeds
  needs_custom_strobe = 8,  ///< the custom disk's counts and captions
  needs_analysis = 16,      ///< the analysis options
  /// a measured recording: no typed text gives it, so the front end that measured it puts it
  /// into the inputs
  needs_recording = 32,
};

/// One kind of page every front end offers: the command line's commands, the web page's
/// downloads and the window's buttons look it up here.
struct PageKind {
  std::string_view key;   ///< "template", "strobe-60hz", "strobe-50hz", "strobe-custom",
                          ///< "strobe-speed", "chart", "speed"
  std::string_view name;  ///< as words name it: "the template", "the 60 Hz strobe disk"
  Orientation orientation;
  std::uint8_t needs;                              ///< PageNeeds
  std::string (*title)(const PageInputs& inputs);  ///< of a PDF or SVG
  void (*draw)(const PageInputs& inputs, const PrintOpener& open);
  std::vector<PageMark> (*marks)(const PageInputs& inputs);  ///< the parts a user needs
  /// What a file of the page holds, for its name, before the paper and the extension:
  /// "template-222.5mm-lofgren-a", "strobe-33.333rpm-45rpm-60hz", "analysis-209mm-33.333rpm".
  std::string (*file_stem)(const PageInputs& inputs);
};

extern const std::array<PageKind, 7> page_kinds;

/// The kind of that key; nullptr for any other text.
const PageKind* page_kind_keyed(std::string_view key);

/// The kind of that key, which the program itself names: a key that is none is an assert.
const PageKind& page_kind(std::string_view key);

/// Everything a front end asks of one page: only what the kind needs is read.
struct PageRequest {
  ArmRequest arm;
  StrobeRequest strobe;
  AnalysisRequest analysis;
  PrintRequest print;
};

/// A page ready to be drawn onto its target.
struct ResolvedPage {
  PageInputs inputs;
  FileTarget target;
};

/// Reads what `kind` needs of `request`; the warnings name what the paper and margin cut
/// off (not for the trace, which has no sheet). At most `most_radii` radii for the chart.
Resolved<ResolvedPage> resolve_page(const PageKind& kind, const PageRequest& request,
                                    Reading reading, std::size_t most_radii = max_analysis_radii);

/// `inputs` ready to be drawn as `kind` onto `target`, with a warning naming what the paper
/// and margin cut off (none for the trace, which has no sheet).
Resolved<ResolvedPage> place_page(const PageKind& kind, PageInputs inputs,
                                  const FileTarget& target);

/// What `paper` with `margin_mm` at every edge cuts off the page, for one warning line:
/// "letter paper cuts off the pivot cross and the pivot label; the smallest paper with room
/// for every mark is a4". A mark in the margin band counts as cut off (a printer may not
/// print it). The paper suggested is the smallest listed one by area (ties in listed order)
/// that holds every mark with the same margin, or the line says that none does. Empty when
/// `paper` holds every mark.
std::string paper_warning(std::span<const PageMark> marks, Orientation orientation, Paper paper,
                          double margin_mm);

/// paper_warning for the marks of `kind` drawn from `inputs`.
std::string page_paper_warning(const PageKind& kind, const PageInputs& inputs, Paper paper,
                               double margin_mm);

}  // namespace veltrane
