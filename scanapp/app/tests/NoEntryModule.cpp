// A library without the source manager's entry: what a damaged or foreign
// TWAIN_32.DLL looks like to the utility.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
