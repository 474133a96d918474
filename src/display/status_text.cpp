#include "display/status_text.h"

#include <cstdio>

namespace display {
namespace {

// One reading: tenths times the single-precision 0.1, which shows the exact
// tenths value for every reading the panel can show.
std::string TempText(int tenths) {
    char text[64];
    std::snprintf(text, sizeof text,
                  "%5.1f\xA7"
                  "C ",
                  tenths * static_cast<double>(0.1f));
    return text;
}

}  // namespace

std::string TempsText(int mainTenths, int auxTenths) {
    return TempText(mainTenths) + TempText(auxTenths);
}

std::string TimeText(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%05d s", seconds);
    return text;
}

}  // namespace display
