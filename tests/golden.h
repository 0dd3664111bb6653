#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace veltrane {

/// The text of a golden file under tests/golden/, or "" when it is missing.
inline std::string read_golden(const std::string& name) {
  std::ifstream file(std::string(VELTRANE_TEST_DATA) + "/golden/" + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace veltrane
