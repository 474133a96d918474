// Fuzz target: the --script parser. A script parses exactly when each of its
// lines parses on its own, and a failure names the first bad line with the
// same reason that line gives alone. (A byte-order mark counts only at the
// very start: a later line is checked after an empty first line.)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation/testing.h"
#include "leaks.h"

namespace {

[[noreturn]] void Broken(const std::string& what) {
    std::fprintf(stderr, "script parser invariant broken: %s\n", what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    platform::testing::Init(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const bool ok = platform::testing::ParseScript(text, error);
    if (!ok && error.rfind("line ", 0) != 0) Broken("an error that names no line: " + error);

    // The same text line by line, as the parser reads it: split at each
    // newline, a last piece without one only when it is not empty.
    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t nl = text.find('\n', at);
        const std::string line = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
        at = nl == std::string::npos ? text.size() : nl + 1;
        ++number;
        std::string alone;
        if (platform::testing::ParseScript(number == 1 ? line : "\n" + line, alone)) continue;
        if (number > 1 && alone.rfind("line 2: ", 0) == 0) alone = "line 1: " + alone.substr(8);
        if (alone.rfind("line 1: ", 0) != 0) Broken("a one-line error that names no line 1: " + alone);
        const std::string want = "line " + std::to_string(number) + ": " + alone.substr(8);
        if (ok)
            Broken("line " + std::to_string(number) + " fails alone (" + alone + ") but the script parses");
        if (error != want) Broken("reported '" + error + "', the first bad line gives '" + want + "'");
        return 0;
    }
    if (!ok) Broken("the script fails (" + error + ") but every line parses alone");
    return 0;
}
