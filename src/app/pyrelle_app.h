// The application object.
#pragma once

#include "platform/afxwin.h"

class CPyrelleApp : public CWinApp {
public:
    CPyrelleApp();
    BOOL InitInstance() override;
};

extern CPyrelleApp theApp;
