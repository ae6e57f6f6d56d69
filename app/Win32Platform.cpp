#include "app/Win32Platform.h"

Win32Platform& ThePlatform() {
    static Win32Platform platform;
    return platform;
}
