#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"Tarnwick: the main window is not built yet.", L"Tarnwick", MB_OK);
    return 0;
}
