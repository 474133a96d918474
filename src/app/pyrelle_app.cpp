// The application object: runs the main dialog once, then ends the program.
#include "app/pyrelle_app.h"

#include <memory>

#include "app/pyrelle_dlg.h"

CPyrelleApp theApp;

CPyrelleApp::CPyrelleApp() = default;

BOOL CPyrelleApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControlsStatic();
    // The dialog holds the 43200-entry history; it lives on the heap rather
    // than on the stack of this frame.
    auto dlg = std::make_unique<CPyrelleDlg>();
    m_pMainWnd = dlg.get();
    dlg->DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
