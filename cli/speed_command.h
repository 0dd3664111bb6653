#pragma once

#include <ostream>

namespace veltrane {

struct Request;

/// What follows from speed's options once all are read: the recording named, the report's
/// format (text unless --format json), a page's format from -o's extension. Throws UsageError.
void finish_speed_request(Request& request);

/// Runs `veltrane-cli speed`: the report on `out`, warnings and problems on `err`. Returns
/// the exit code: 0 measured, 2 for a file that cannot be read or measured or a page that
/// cannot be written.
int run_speed(const Request& request, std::ostream& out, std::ostream& err);

}  // namespace veltrane
