#pragma once
// The main frame's window class, registered as the application does before
// it makes a frame, for tests and benchmarks that make one in-process.
#include <windows.h>

namespace wintest {

inline void RegisterFrameClass() {
    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = DefWindowProcA;
    frameClass.hInstance = GetModuleHandleA(nullptr);
    frameClass.lpszClassName = "VantorelMainFrame";
    RegisterClassA(&frameClass);
}

}  // namespace wintest
