#include "automation/script.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

#include "platform/clock.h"
#include "platform/restypes.h"
#include "records/user_files.h"
#include "res/resource.h"

namespace automation {
namespace {

// A wait longer than a week of clock time is taken for a typing error.
constexpr long long kMaxWaitMs = 7LL * 24 * 3600 * 1000;

// Control ids of every window the program can open.
const std::set<long long>& KnownControlIds() {
    static const std::set<long long> ids = [] {
        std::set<long long> s{IDOK, IDCANCEL, 0xFFFF};
        for (UINT t : {IDD_ABOUTBOX, IDD_PYRELLE_DIALOG, IDD_CALIBRATION})
            if (const platform::DialogTemplate* d = platform::FindDialogTemplate(t))
                for (int i = 0; i < d->count; ++i)
                    if (d->controls[i].id != IDC_STATIC) s.insert(d->controls[i].id);
        return s;
    }();
    return ids;
}

CWnd* MainWindow() {
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

}  // namespace

bool ParseNumber(const std::string& s, long long& v) {
    if (s.empty()) return false;
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return false;
    for (std::size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    errno = 0;
    v = std::strtoll(s.c_str(), nullptr, 10);
    return errno != ERANGE;
}

bool ParseScript(const std::string& text, std::vector<ScriptLine>& out, std::string& error) {
    // An editor's byte-order mark is no part of the first command.
    std::istringstream in(text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        ScriptLine sl;
        sl.number = number;
        std::size_t sp = line.find(' ', first);
        sl.command = line.substr(first, sp == std::string::npos ? std::string::npos : sp - first);
        std::string rest = sp == std::string::npos ? "" : line.substr(sp + 1);
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        const std::string& c = sl.command;
        if (c == "type" || c == "expect" || c == "click" || c == "syscommand" || c == "wait") {
            std::size_t sp2 = rest.find(' ');
            std::string num = rest.substr(0, sp2);
            sl.text = sp2 == std::string::npos ? "" : rest.substr(sp2 + 1);
            if (!ParseNumber(num, sl.value))
                return fail("'" + c + "' needs a number, not '" + records::Excerpt(num) + "'");
            if ((c == "click" || c == "syscommand" || c == "wait") && !sl.text.empty())
                return fail("'" + c + "' takes one number");
            if (c == "wait" && (sl.value < 0 || sl.value > kMaxWaitMs))
                return fail("wait takes 0 to " + std::to_string(kMaxWaitMs) + " milliseconds");
            if (c == "syscommand" && (sl.value < 0 || sl.value > 0xFFFF))
                return fail("syscommand takes a command id from 0 to 65535");
            if ((c == "type" || c == "expect" || c == "click") && !KnownControlIds().count(sl.value))
                return fail("no window of the program has a control " + records::Excerpt(num));
        } else if (c == "key") {
            if (rest != "enter" && rest != "esc") return fail("key takes 'enter' or 'esc'");
            sl.text = rest;
        } else if (c == "minimize" || c == "restore") {
            if (!rest.empty()) return fail("'" + c + "' takes nothing");
        } else if (c == "screenshot") {
            if (rest.empty()) return fail("screenshot needs a file name");
            sl.text = rest;
        } else {
            return fail("unknown command '" + records::Excerpt(c) + "'");
        }
        out.push_back(sl);
    }
    return true;
}

ScriptedUser& User() {
    static ScriptedUser user;
    return user;
}

void ScriptedUser::Box(const char* text) {
    // While the program ends on request no box is shown: its text is told here.
    if (echoBoxes || platform::QuitRequested()) std::fprintf(stderr, "box: %s\n", text);
    boxes.emplace_back(text);
}

platform::UserSide::Step ScriptedUser::Next() {
    if (!pending.empty()) {
        RunNext();
        if (pending.empty() && scripted) scriptEnded = true;
        return Step::Acted;
    }
    return live && !scriptEnded ? Step::Wait : Step::Leave;
}

void ScriptedUser::RunNext() {
    ScriptLine l = pending.front();
    pending.pop_front();
    Execute(l);
}

void ScriptedUser::Fail(const ScriptLine& l, int code, const std::string& what) {
    std::string msg = "script line " + std::to_string(l.number) + ": " + what;
    std::fprintf(stderr, "%s\n", msg.c_str());
    failures.push_back(msg);
    if (exitCode == 0) exitCode = code;
    // The rest of the script is dropped; the windows close as at its end.
    pending.clear();
    if (scripted) scriptEnded = true;
}

void ScriptedUser::Execute(const ScriptLine& l) {
    CWnd* active = platform::ActiveWindow();
    const std::string& c = l.command;
    auto control = [&]() -> CWnd* {
        CWnd* w = active ? active->GetDlgItem(static_cast<int>(l.value)) : nullptr;
        if (!w) Fail(l, 2, "the active window has no control " + std::to_string(l.value));
        return w;
    };
    if (c == "type") {
        if (CWnd* w = control()) platform::Type(w, l.text);
    } else if (c == "click") {
        if (CWnd* w = control()) platform::Click(w);
    } else if (c == "key") {
        if (!active) return;
        if (l.text == "enter")
            platform::PressEnter(active);
        else
            active->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else if (c == "syscommand") {
        if (CWnd* m = MainWindow()) m->SendMessage(WM_SYSCOMMAND, static_cast<WPARAM>(l.value), 0);
    } else if (c == "wait") {
        platform::LetTimePass(l.value);
    } else if (c == "expect") {
        if (CWnd* w = control()) {
            CString actual;
            w->GetWindowText(actual);
            if (actual.str() != l.text) Fail(l, 1, "expected '" + l.text + "', got '" + actual.str() + "'");
        }
    } else if (c == "minimize" || c == "restore") {
        if (CWnd* m = MainWindow())
            m->SendMessage(WM_SYSCOMMAND, c == "minimize" ? SC_MINIMIZE : SC_RESTORE, 0);
    } else if (c == "screenshot") {
        if (!platform::Screenshot(MainWindow(), l.text)) Fail(l, 2, "cannot write the screenshot " + l.text);
    }
}

}  // namespace automation
