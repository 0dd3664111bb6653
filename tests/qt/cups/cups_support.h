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

}  // namespace veltrane
