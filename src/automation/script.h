// The scripted user: the lines of a --script file, or those a test queues,
// played against the program's windows on the platform clock. It answers the
// modal windows, and keeps what the message boxes said.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/user.h"

namespace automation {

struct ScriptLine {
    int number = 0;
    std::string command;
    long long value = 0;  // control id, milliseconds or command id
    std::string text;     // TEXT, key name or FILE
};

// A decimal integer with an optional sign and nothing else.
bool ParseNumber(const std::string& s, long long& v);
// Parses a whole script; on a fault returns false with `error` naming the line.
bool ParseScript(const std::string& text, std::vector<ScriptLine>& out, std::string& error);

class ScriptedUser : public platform::UserSide {
public:
    std::deque<ScriptLine> pending;
    std::vector<std::string> failures;
    std::vector<std::string> boxes;
    std::vector<UINT> modalHistory;
    int exitCode = 0;
    bool live = false;         // a display's user may act when the script has ended
    bool scripted = false;     // a --script plays the user
    bool echoBoxes = false;    // "box: TEXT" on standard error
    bool scriptEnded = false;  // the user has nothing more to do

    void Opened(UINT templateId) override { modalHistory.push_back(templateId); }
    void Box(const char* text) override;
    Step Next() override;
    // Runs the next queued line against the active window.
    void RunNext();

private:
    void Execute(const ScriptLine& l);
    void Fail(const ScriptLine& l, int code, const std::string& what);
};

// The one user, installed as the platform's user side.
ScriptedUser& User();

}  // namespace automation
