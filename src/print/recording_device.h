#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "print/print_device.h"
#include "print/trace_device.h"

namespace veltrane {

/// What one closed print job drew.
struct RecordedJob {
  std::string document_name;
  std::string trace;               ///< the whole job as the trace device writes it
  std::vector<std::string> texts;  ///< every text printed, in order
};

/// A trace device that appends its job to `jobs` when the job is closed: what tests put
/// behind a printer choice to see what the program printed. A job never closed leaves no
/// record, as a printer would print nothing.
std::unique_ptr<PrintDevice> make_recording_device(std::vector<RecordedJob>& jobs,
                                                   std::string_view document_name,
                                                   int dpi = trace_default_dpi);

/// An opener that always "chooses" a recording device appending to `jobs`.
PrintOpener recording_opener(std::vector<RecordedJob>& jobs, int dpi = trace_default_dpi);

}  // namespace veltrane
