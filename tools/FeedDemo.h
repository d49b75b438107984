#pragma once

// The built-in demo Feed: an INIT packet of engine and sensor PIDs, then PID packets whose values
// drift smoothly with time, written with the locale's decimal separator.

#include <string>

namespace orlexfeed {

// The INIT packet text: count, then key, quoted description and ID (1, 2, 3...) per PID.
std::string DemoInitPacket();
// The PID packet text for `seconds` since the demo started; `radix` is the decimal separator.
std::string DemoValuesPacket(double seconds, const std::string& radix);
int DemoPidCount();

// `value` with `decimals` digits after `radix`, whatever the C locale says.
std::string FormatDecimal(double value, int decimals, const std::string& radix);

}  // namespace orlexfeed
