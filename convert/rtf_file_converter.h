// The document converter as the clipboard builder uses it: an RTF file in,
// an HTML file out.
#pragma once

#include <filesystem>
#include <string>

namespace kx {

// Reads `rtfPath`, converts it and writes the HTML document to `htmlPath`
// (created anew). False, with a message in *error when given, when the RTF
// file cannot be read, is not RTF, or the HTML file cannot be written.
bool ConvertRtfFileToHtmlFile(const std::filesystem::path& rtfPath, const std::filesystem::path& htmlPath,
                              std::string* error);

}  // namespace kx
