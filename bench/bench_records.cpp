// The run journal's cost per tick: a sample appended (a write to the system),
// and the sync to disk that every tenth tick adds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "records/journal.h"

namespace {

std::string StateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    return std::string(state ? state : "/tmp") + "/pyrelle-bench";
}

void BM_JournalAppend(benchmark::State& state) {
    records::Journal journal;
    std::string error;
    if (!journal.Start(StateFolder(), "/tmp", error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    int k = 0;
    for (auto _ : state) benchmark::DoNotOptimize(journal.Append(HistoryEntry{3000 + (k++ & 255), 2500}));
    journal.Discard();
}
BENCHMARK(BM_JournalAppend);

// What one forced sync of a journal costs on this disk.
void BM_JournalSync(benchmark::State& state) {
    const std::string path = StateFolder() + "-sync";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    for (auto _ : state) {
        benchmark::DoNotOptimize(::write(fd, "3000 2500\n", 10));
        benchmark::DoNotOptimize(::fdatasync(fd));
    }
    ::close(fd);
    ::unlink(path.c_str());
}
BENCHMARK(BM_JournalSync)->Unit(benchmark::kMicrosecond);

}  // namespace
