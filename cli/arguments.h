#pragma once

#include <string>

#include "app/problems.h"

namespace veltrane {

/// A mistake in veltrane-cli's arguments: reported in one line with the usage line, exit 2.
struct UsageError {
  std::string message;
};

}  // namespace veltrane
