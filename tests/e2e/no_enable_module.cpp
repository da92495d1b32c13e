// A hook module that lacks "EnableHook", for the link's failure path.
#include <windows.h>

extern "C" {
BOOLEAN WINAPI GetDllVer() { return 1; }
BOOLEAN WINAPI IsHooksSet() { return FALSE; }
BOOLEAN WINAPI SetHooks(HWND) { return TRUE; }
BOOLEAN WINAPI UnSetHooks(HWND) { return TRUE; }
BOOLEAN WINAPI IsHookEnabled(int) { return FALSE; }
}
