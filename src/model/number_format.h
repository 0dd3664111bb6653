#pragma once

#include <string>

namespace veltrane {

/// The "###.000" format: 18 significant digits, then three decimals, both half to even.
/// NaN and zeros show "0.000", a negative value keeps its "-" even when it rounds to zero,
/// infinities show "inf" and "-inf".
std::string format_three_decimals(double value);

/// The same two roundings with four decimals ("0.0000" for NaN and zeros): the printer
/// correction factors that calibration suggests.
std::string format_four_decimals(double value);

/// format_three_decimals without trailing zeros, and without the point when no decimal is
/// left: 209 gives "209", 239.3 "239.3", 238.1234 "238.123".
std::string format_up_to_three_decimals(double value);

/// The shortest text that reads back as the same double ("inf", "-inf", "nan" for the
/// others).
std::string shortest_number(double value);

/// The shortest text that reads back as the same float.
std::string shortest_number(float value);

/// `value` with `digits` significant digits, as printf's "%.*g" writes it in the C locale.
std::string format_significant(double value, int digits);

/// `value` with `decimals` decimals, as printf's "%.*f" writes it in the C locale.
std::string format_fixed(double value, int decimals);

}  // namespace veltrane
