// The application object: runs the wizard's pages one after another.
#pragma once
#include <windows.h>

class CSetupApp {
public:
    // Runs the page sequence; always FALSE: there is no message loop of the application's own.
    BOOL InitInstance();
};

extern CSetupApp theApp;
