// The run journal: every sample of a run, appended as it is taken, so that a
// run that ends without Abort (Exit, a new Run, a crash, a kill, a power cut)
// can still be saved as a run log. Values and files only.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "control/history.h"

namespace records {

// Where journals live: $XDG_STATE_HOME/pyrelle, else ~/.local/state/pyrelle;
// "" when neither can be told.
std::string StateFolder();

class Journal {
public:
    Journal() = default;
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;
    ~Journal();

    // Starts the journal of a run started in `runFolder`, in `stateFolder`
    // (made if missing); false with the reason in `error`.
    bool Start(const std::string& stateFolder, const std::string& runFolder, std::string& error);
    // One sample. Every write goes to the system at once (a killed program
    // loses none); every tenth is forced to disk, at most once a second.
    // False when the journal could not be written.
    bool Append(const HistoryEntry& sample);
    // The run's samples are safe elsewhere: the journal goes.
    void Discard();
    // Lets go of the journal and leaves it for the next start to save.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    std::string m_path;
    int m_unsynced = 0;
    std::chrono::steady_clock::time_point m_lastSync{};
};

// A journal read back: the folder its run was started in, when (seconds
// since the epoch), and every whole sample before any damage.
struct JournalRun {
    std::string folder;
    long long started = 0;
    std::vector<HistoryEntry> samples;
};
bool ReadJournal(const std::string& text, JournalRun& run);

// Saves samples as a run log under a name that no file in `folder` has yet:
// Tdata-recovered-YYYYMMDD-HHMMSS.txt of `when`, then -2, -3, ... Returns
// its path, or "" with `err` set.
std::string SaveRecovered(const std::string& folder, long long when, const HistoryEntry* samples, int count,
                          int& err);

// What became of a journal that no running program holds any more.
struct Recovery {
    std::string saved;  // the run log's path; "" when it could not be saved
    int samples = 0;
    long long started = 0;
    std::string error;
};
// Saves every such journal in `stateFolder` as a run log (in its run's
// folder, else in the state folder) and removes the journals saved.
std::vector<Recovery> RecoverJournals(const std::string& stateFolder);

}  // namespace records
