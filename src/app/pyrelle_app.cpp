// The application object: runs the main dialog once, then ends the program.
#include "app/pyrelle_app.h"

#include <cstdlib>
#include <memory>

#include "app/pyrelle_dlg.h"

CPyrelleApp theApp;

namespace {

// The window system can end the process from under the window (a lost
// display connection ends it through exit): the main window lets go of
// the port first.
void LetGoAtExit() {
    if (auto* dlg = dynamic_cast<CPyrelleDlg*>(theApp.m_pMainWnd)) dlg->LetGo();
}

}  // namespace

CPyrelleApp::CPyrelleApp() = default;

BOOL CPyrelleApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControlsStatic();
    // The dialog holds the 43200-entry history; it lives on the heap rather
    // than on the stack of this frame.
    static const bool atExit = std::atexit(&LetGoAtExit) == 0;
    (void)atExit;
    auto dlg = std::make_unique<CPyrelleDlg>();
    m_pMainWnd = dlg.get();
    dlg->DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
