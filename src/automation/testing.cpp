#include "automation/testing.h"

#include "automation/script.h"
#include "automation/services.h"
#include "platform/qt/qt.h"

namespace automation::testing {

void Init(int argc, char** argv) {
    platform::qt::Start(argc, argv, false);
    SetUpServices();
    platform::InstallUserSide(&User());
}

void PushUser(const std::string& lines) {
    std::vector<ScriptLine> parsed;
    std::string error;
    if (!automation::ParseScript(lines, parsed, error)) {
        User().failures.push_back("bad user script: " + error);
        return;
    }
    for (auto& l : parsed) User().pending.push_back(l);
}

bool ParseScript(const std::string& text, std::string& error) {
    std::vector<ScriptLine> parsed;
    return automation::ParseScript(text, parsed, error);
}

void RunUser() {
    while (!User().pending.empty()) User().RunNext();
}

void ClearUser() {
    User().pending.clear();
    User().failures.clear();
}

const std::vector<std::string>& Failures() {
    return User().failures;
}
const std::vector<std::string>& Boxes() {
    return User().boxes;
}
void ClearBoxes() {
    User().boxes.clear();
}
const std::vector<UINT>& ModalHistory() {
    return User().modalHistory;
}
void ClearModalHistory() {
    User().modalHistory.clear();
}

}  // namespace automation::testing
