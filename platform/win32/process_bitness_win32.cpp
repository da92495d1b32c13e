#include "platform/win32/process_bitness_win32.h"

#include <windows.h>

namespace kx {

bool Win32ProcessBitness::RunsUnderWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace kx
