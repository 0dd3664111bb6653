#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/problems.h"
#include "app/window_fields.h"
#include "model/analysis.h"
#include "model/parameter_set.h"
#include "model/strobe_speed.h"
#include "print/file_output.h"

namespace veltrane {

// What a person asks of every front end but the windows, as typed: texts and choices. The
// resolve functions read them (Reading) and either answer with a value, computed afresh and
// never changed in place, or say what has to change (Problem).

/// How the arm is given: by its pivot-to-spindle distance or by its effective length.
enum class ArmBy : std::uint8_t { pivot, effective_length };

/// The arm: the main window's fields (pivot distance, groove radii, alignment, corrections,
/// ID), or, beyond them, an effective length in place of the pivot distance and custom null
/// radii in place of the alignment.
struct ArmRequest {
  MainWindowFields window = initial_main_window_fields();
  ArmBy by = ArmBy::pivot;
  std::string effective_length = "239.3";  ///< mm, with ArmBy::effective_length
  bool custom_nulls = false;               ///< the null radii below instead of the alignment
  std::string null_inner = "66";           ///< mm; the two in either order
  std::string null_outer = "121";
};

/// The computed arm. Where the pivot distance is given, no arm shorter than half the null
/// radii's difference reaches both (d >= (N2 - N1) / 2); where the effective length is,
/// none shorter than their mean (L >= (N1 + N2) / 2). Reading::as_typed reads the window's
/// texts as the window does and refuses nothing the window accepts; what the window does not
/// have (effective length, custom null radii) it reads strictly, every other reading as it
/// reads the rest.
Resolved<ParameterSet> resolve_arm(const ArmRequest& request, Reading reading);

/// The two correction factors alone, read from `window` (for the strobe disks): a set whose
/// other inputs are the window's, computed as the window computes them.
Resolved<ParameterSet> resolve_corrections(const MainWindowFields& window, Reading reading);

/// Where a page goes: its file format, resolution (0: the format's default), paper and the
/// margin a printer cannot print, in mm from 0 to 25.
struct PrintRequest {
  FileFormat format = FileFormat::pdf;
  int dpi = 0;
  Paper paper = Paper::a4;
  std::string margin = "4";
};

inline constexpr double max_margin_mm = 25;

Resolved<FileTarget> resolve_print(const PrintRequest& request, Reading reading);

/// The strobe disks beyond the standard two: the custom strobe dialog's fields, and a disk
/// for speeds (OUTER[,INNER], each "78", "100/3" or "33 1/3") under a lamp on `hz`.
struct StrobeRequest {
  CustomStrobeFields custom = initial_custom_strobe_fields();
  std::string speeds = "78";
  std::string hz = "50";
};

/// The rings for the request's speeds; a speed list never has a decimal comma (the comma
/// parts the speeds).
Resolved<std::vector<StrobeRing>> resolve_strobe_speeds(const StrobeRequest& request);

/// The custom disk's counts and captions, as read_custom_strobe puts them into `set`; strict
/// readings take whole counts from 0 to 2147483647, the outer one at least 1.
Resolved<ParameterSet> resolve_custom_strobe(const StrobeRequest& request, ParameterSet set,
                                             Reading reading);

/// What calibration needs: the lengths measured on a printed template and the factors it
/// was printed with.
struct CalibrationRequest {
  std::string measured_x;
  std::string measured_y;
  std::string correction_x = "1.0";
  std::string correction_y = "1.0";
};

/// New correction factors, four decimals each, as they are to be typed.
struct Calibration {
  std::string factor_x;
  std::string factor_y;
};

/// The factors that bring the references to 200 mm, each current × 200 ÷ measured. A factor
/// that is infinite or rounds to 0.0000 is a problem; a doubtful measurement or a negative
/// factor is a warning.
Resolved<Calibration> resolve_calibration(const CalibrationRequest& request, Reading reading);

/// An analysis of the alignments beyond the arm: the speed (a decimal, "100/3" or
/// "33 1/3"), the velocity, the radius step (nullopt: 1 mm, or the two groove radii where
/// they lie closer), an arm as its maker built it and a mounting error "E,B".
struct AnalysisRequest {
  std::string rpm = "100/3";
  std::string velocity = "100";
  std::optional<std::string> step;
  std::optional<std::string> arm_length;
  std::optional<std::string> arm_offset;
  std::optional<std::string> mounting_error;
};

/// The turntable speed (a decimal, "100/3" or "33 1/3"; field "chart-rpm") and the peak
/// velocity ("velocity") read strictly into `options`, as every analysis reads them.
void read_signal(std::string_view rpm, std::string_view velocity, ProblemList& list,
                 AnalysisOptions& options);

/// The analysis options for the resolved arm `set`; at most `most_radii` radii. The arm as
/// given and the chosen alignment as mounted must each have an effective length above 0 and
/// an offset angle above 0 and at most 90 degrees.
Resolved<AnalysisOptions> resolve_analysis(const AnalysisRequest& request, const ParameterSet& set,
                                           std::size_t most_radii = max_analysis_radii);

}  // namespace veltrane
