// Included by each fuzz target once: the font library keeps a few caches for
// the life of the process, which the leak check would otherwise report at exit.
#pragma once

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
