// The run journal of the main dialog: every sample of a run kept on disk as
// it is taken, and a run that ends without Abort saved as a run log.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

#include "app/pyrelle_dlg.h"
#include "records/journal.h"

namespace {

std::string CurrentFolder() {
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

}  // namespace

void CPyrelleDlg::StartJournal() {
    m_strRunFolder = CurrentFolder();
    m_nRunStarted = static_cast<long long>(std::time(nullptr));
    m_bRunUnlogged = true;
    std::string error;
    if (m_journal.Start(records::StateFolder(), m_strRunFolder, error) || m_bJournalWarned) return;
    m_bJournalWarned = true;
    Notify(("This run has no journal: " + error +
            ". Its samples are saved by Abort, or at Exit, but a crash or a power cut would lose them.")
               .c_str(),
           MB_ICONEXCLAMATION);
}

void CPyrelleDlg::JournalSample(const HistoryEntry& sample) {
    if (!m_journal.IsOpen() || m_journal.Append(sample) || m_bJournalWarned) return;
    m_bJournalWarned = true;
    Notify(("The run journal cannot be written (" + std::string(std::strerror(errno)) +
            "). The run goes on; Abort or Exit still save its samples, a crash would lose them.")
               .c_str(),
           MB_ICONEXCLAMATION);
}

void CPyrelleDlg::RunLogged() {
    m_journal.Discard();
    m_bRunUnlogged = false;
}

void CPyrelleDlg::SaveUnloggedRun() {
    const int count = std::min(m_nTickCount, kHistorySize);
    if (!m_bRunUnlogged || count <= 0) {
        RunLogged();
        return;
    }
    int err = 0;
    std::string saved = records::SaveRecovered(m_strRunFolder, m_nRunStarted, m_aHistory, count, err);
    if (saved.empty()) {
        // The journal keeps them: the next start saves them.
        Notify(("The last run's " + std::to_string(count) +
                " samples were not saved by Abort, and cannot be " + "saved in " + m_strRunFolder + ": " +
                std::strerror(err) + ". They are kept in the run journal, and saved at the next start.")
                   .c_str(),
               MB_ICONEXCLAMATION);
        m_journal.Close();
        m_bRunUnlogged = false;
        return;
    }
    RunLogged();
    Notify(("The last run's " + std::to_string(count) +
            " samples were not saved by Abort. They are saved in " + saved + ".")
               .c_str(),
           MB_ICONINFORMATION);
}

void CPyrelleDlg::RecoverJournals() {
    for (const records::Recovery& r : records::RecoverJournals(records::StateFolder())) {
        char when[64] = "an earlier start";
        const std::time_t t = static_cast<std::time_t>(r.started);
        std::tm tm{};
        if (::localtime_r(&t, &tm)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &tm);
        std::string text =
            "A run started " + std::string(when) + " ended without Abort (the program stopped). ";
        if (r.saved.empty())
            text += "Its " + std::to_string(r.samples) + " samples could not be saved: " + r.error + ".";
        else
            text += "Its " + std::to_string(r.samples) + " samples are saved in " + r.saved +
                    (r.error.empty() ? "." : " (its own folder " + r.error + ").");
        AfxMessageBox(text.c_str(), r.saved.empty() ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
    }
}
