// Writing a document to standard output exactly as it is: documents carry
// their own CR LF line ends, which a text-mode stream on Windows would double.
#pragma once

#include <string_view>

namespace kx {

// False, after a message naming `command` on standard error, when the
// output could not be written whole.
bool WriteRawToStdout(std::string_view data, const char* command);

}  // namespace kx
