// Run by the history log tests as another process: tries to read and to
// write the file it is given. Exit code: bit 0 the read worked, bit 1 the
// open for writing worked, 8 bad arguments.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 8;
    int result = 0;
    HANDLE r = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (r != INVALID_HANDLE_VALUE) {
        char buffer[64];
        DWORD got = 0;
        if (ReadFile(r, buffer, sizeof buffer, &got, nullptr) && got > 0) result |= 1;
        CloseHandle(r);
    }
    HANDLE w = CreateFileA(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (w != INVALID_HANDLE_VALUE) {
        result |= 2;
        CloseHandle(w);
    }
    return result;
}
