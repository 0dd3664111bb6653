#include "cups_support.h"

#include "support/pdf_pages.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace veltrane {
namespace {

// ipptool reaches a scheduler on a local socket through the socket's path as the URI's host.
std::string printer_uri() {
  std::string host;
  for (char c : cups_socket()) host += c == '/' ? std::string("%2F") : std::string(1, c);
  return "ipp://" + host + "/printers/" + cups_queue();
}

// Runs one of the ipptool files beside this one; the jobs of its CSV answer (a header,
// then job-id,job-name,job-state, the name between the outer commas and perhaps quoted).
std::optional<std::vector<CupsJob>> ipp_jobs(const std::string& file, const std::string& options) {
  std::string output;
  if (!run_command("ipptool -c " + options + " " + shell_quoted(printer_uri()) + " " +
                       shell_quoted(VELTRANE_TEST_DATA "/qt/cups/" + file),
                   output))
    return std::nullopt;
  std::vector<CupsJob> jobs;
  std::istringstream lines(output);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    const auto first = line.find(',');
    const auto last = line.rfind(',');
    if (first == std::string::npos || last == first) continue;
    CupsJob job;
    job.id = std::atoi(line.substr(0, first).c_str());
    job.name = line.substr(first + 1, last - first - 1);
    if (job.name.size() >= 2 && job.name.front() == '"')
      job.name = job.name.substr(1, job.name.size() - 2);
    job.state = line.substr(last + 1);
    jobs.push_back(job);
  }
  return jobs;
}

}  // namespace

std::optional<std::string> cups_unavailable_reason() {
  if (geteuid() != 0)
    return "printing through CUPS needs root to run cupsd (run scripts/test as root)";
  std::string output;
  if (!run_command("command -v cupsd || test -x /usr/sbin/cupsd", output))
    return "cupsd is not installed (Debian package cups; scripts/cups start installs it)";
  return std::nullopt;
}

std::string cups_dir() {
  const char* dir = std::getenv("VELTRANE_CUPS_DIR");
  return dir && *dir ? dir : VELTRANE_BINARY_DIR "/cups";
}

std::string cups_socket() {
  return cups_dir() + "/cups.sock";
}

std::string cups_queue() {
  return "veltrane-pdf";  // as scripts/cups names it
}

bool cups_script(const std::string& verb, std::string& output) {
  return run_command(shell_quoted(VELTRANE_TEST_DATA "/../scripts/cups") + " " + verb + " " +
                         shell_quoted(cups_dir()),
                     output);
}

bool cups_tool(const std::string& command_line, std::string& output) {
  return run_command("CUPS_SERVER=" + shell_quoted(cups_socket()) + " " + command_line, output);
}

std::optional<std::vector<CupsJob>> cups_jobs() {
  return ipp_jobs("get-jobs.test", "");
}

std::optional<CupsJob> cups_job(int id) {
  const auto jobs = ipp_jobs("get-job.test", "-d job=" + std::to_string(id));
  if (!jobs || jobs->size() != 1) return std::nullopt;
  return jobs->front();
}

int last_job_id() {
  int last = 0;
  for (const CupsJob& job : cups_jobs().value_or(std::vector<CupsJob>{}))
    last = std::max(last, job.id);
  return last;
}

CupsJob wait_for_job(int id, int seconds) {
  CupsJob found{id, "", "unknown"};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (const auto job = cups_job(id)) found = *job;
    if (found.state == "completed" || found.state == "aborted" || found.state == "canceled") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return found;
}

std::string spooled_document(int job_id) {
  char name[32];
  std::snprintf(name, sizeof name, "/spool/d%05d-001", job_id);
  return cups_dir() + name;
}

}  // namespace veltrane
