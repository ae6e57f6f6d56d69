#include <windows.h>

#include "app/CVantorelApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    static CVantorelApp app;
    // How the program was started (a shortcut set to maximised, say).
    app.m_nCmdShow = showCommand;
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 0;
    }
    return app.Run();
}
