// The learning dictionary's save at exit: written to "acdataTEMP.txt" behind
// the "Saving Dictionary..." progress window, and put in place of
// "acdata.txt" only when the whole file was written.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

class PhraseDictionary;

// "acdata.txt" in the per-user data folder.
std::u16string AcdataPath(const std::u16string& userFolder);

// False when nothing replaced "acdata.txt": the dictionary had not loaded,
// the temporary file could not be written, or the user cancelled.
bool SaveLearningDictionary(HWND owner, PhraseDictionary& dictionary, const std::u16string& userFolder);

}  // namespace kx
