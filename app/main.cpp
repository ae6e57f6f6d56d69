#include <windows.h>

#include "app/CVantorelApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static CVantorelApp app;
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 0;
    }
    return app.Run();
}
