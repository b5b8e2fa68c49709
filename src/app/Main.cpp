#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"Vantrel", L"Vantrel", MB_OK);
    return 0;
}
