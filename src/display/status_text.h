// The status line's value texts, as bytes of the status font's code page.
#pragma once

#include <string>

namespace display {

// Both readings (tenths): "%5.1f" of each, the degree mark (byte 0xA7, the
// raised small o of code page 437) and "C ".
std::string TempsText(int mainTenths, int auxTenths);
// Program time: "%05d" and " s".
std::string TimeText(int seconds);

}  // namespace display
