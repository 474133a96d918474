// Fuzz target: the replay file parser. Whatever it accepts holds readings in
// range and reads back the same when written out again, as plain lines and
// as a run log; a file without CR reads the same with CR LF line ends;
// whatever it refuses gets a message naming the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hardware/replay_port.h"
#include "leaks.h"

namespace {

const std::string kName = "fuzz.txt";

[[noreturn]] void Broken(const std::string& what) {
    std::fprintf(stderr, "replay parser invariant broken: %s\n", what.c_str());
    std::abort();
}

bool Same(const std::vector<hw::ReplayReading>& a, const std::vector<hw::ReplayReading>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].main != b[i].main || a[i].aux != b[i].aux || a[i].seconds != b[i].seconds) return false;
    return true;
}

std::string Lines(const std::vector<hw::ReplayReading>& readings, const char* eol) {
    std::string out;
    for (const auto& r : readings) {
        out += std::to_string(r.main) + " " + std::to_string(r.aux);
        if (r.seconds >= 0) out += " " + std::to_string(r.seconds);
        out += eol;
    }
    return out;
}

void Reparse(const std::string& text, const std::vector<hw::ReplayReading>& want, const char* what) {
    std::vector<hw::ReplayReading> again;
    std::string error;
    if (!hw::ParseReplay(text, kName, again, error)) Broken(std::string(what) + " refused: " + error);
    if (!Same(again, want)) Broken(std::string(what) + " reads differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<hw::ReplayReading> readings;
    std::string error;
    if (!hw::ParseReplay(text, kName, readings, error)) {
        if (error.rfind("replay file \"" + kName + "\"", 0) != 0)
            Broken("an error that names no file: " + error);
        return 0;
    }
    if (readings.empty()) Broken("accepted a file without readings");
    for (const auto& r : readings) {
        if (r.main < 0 || r.main > 99999 || r.aux < 0 || r.aux > 99999) Broken("a temperature out of range");
        if (r.seconds < -1 || r.seconds > 5999) Broken("display seconds out of range");
    }
    Reparse(Lines(readings, "\n"), readings, "written out again");
    Reparse(std::to_string(readings.size()) + "\r\n\r\n" + Lines(readings, "\r\n"), readings, "as a run log");
    if (text.find('\r') == std::string::npos) {
        std::string crlf;
        for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        Reparse(crlf, readings, "with CR LF line ends");
    }
    return 0;
}
