// The run log step of Abort: the history saved under the typed file number.
#include <algorithm>

#include "app/pyrelle_dlg.h"
#include "records/run_log.h"

// The samples stay in the history, so a failed save can be repeated with
// another file number.
void CPyrelleDlg::WriteRunLog() {
    m_strLogName = records::LogName(m_strFileNumber.str()).c_str();
    const int count = std::clamp(m_nTickCount, 0, kHistorySize);
    const std::string why = records::SaveFile(m_strLogName.str(), records::FormatRunLog(m_aHistory, count));
    if (why.empty()) {
        RunLogged();
        return;
    }
    CString msg;
    msg.Format(
        "The run log \"%s\" was not saved: %s.\n\nThe run's samples are still held: "
        "mend the cause or change the file number, then press Abort again.",
        static_cast<const char*>(m_strLogName), why.c_str());
    AfxMessageBox(msg, MB_ICONEXCLAMATION);
}
