// The user's side for tests and benchmarks: the platform without a display,
// on the virtual clock, a scripted user who answers modal windows, and what
// the program showed in its message boxes.
#pragma once

#include <string>
#include <vector>

#include "platform/afxwin.h"

namespace automation::testing {

// Starts the platform without a display, on the virtual clock, with the
// program's machine as it starts.
void Init(int argc, char** argv);

// Queues script lines (the --script commands) for the user: a modal window
// runs them while it is open; one left with nothing to run is closed with its
// default button, or IDCANCEL.
void PushUser(const std::string& lines);
// Checks script text as --script does: false with `error` naming the first
// bad line.
bool ParseScript(const std::string& text, std::string& error);
// Runs queued lines against the active window until none is left.
void RunUser();
void ClearUser();
// Script lines that failed (an expect that did not hold, a missing control).
const std::vector<std::string>& Failures();

// Every message box text, in the order the boxes opened.
const std::vector<std::string>& Boxes();
void ClearBoxes();

// The template ids of the modal windows opened so far (0 for a message box).
const std::vector<UINT>& ModalHistory();
void ClearModalHistory();

}  // namespace automation::testing

// The name the tests have long used for these.
namespace platform {
namespace testing = automation::testing;
}
