#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/analysis.h"

namespace veltrane {

// The reports of veltrane-cli analyze, each over the whole Analysis record: written to a
// sink piece by piece as the rows are computed, or gathered into one text.

/// Where a report goes, in pieces of some tens of kilobytes.
using TextSink = std::function<void(std::string_view)>;

void write_analysis_text(const Analysis& analysis, const TextSink& sink);
void write_analysis_csv(const Analysis& analysis, const TextSink& sink);
void write_analysis_json(const Analysis& analysis, const TextSink& sink);

/// The comparison and the per-radius table, UTF-8, ending in a line feed.
std::string analysis_text(const Analysis& analysis);

/// A header line and one line per arm and radius: the header alone when there are no radii.
std::string analysis_csv(const Analysis& analysis);

/// The inputs and, per arm, its geometry, peaks and rows.
std::string analysis_json(const Analysis& analysis);

}  // namespace veltrane
