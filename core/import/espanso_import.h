// espanso's YAML match files: a folder of them, or one file, with the files
// they import; and the legacy layout of version 0.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "core/import/import.h"

namespace kx {

// Adds the matches of one match file's bytes to the preview. `origin` names
// the file; the paths it imports are added to `imports` as written.
// `configFolder` stands for $CONFIG in picture paths.
void ReadEspansoFile(std::string_view bytes, std::u16string_view origin, const ImportEnvironment& env,
                     std::u16string_view configFolder, ImportPreview& preview, std::vector<std::u16string>& imports);

// Reads a match folder (every *.yml and *.yaml below it, "packages"
// included, but not the files named "_..." unless another file imports
// them), espanso's root folder (its "match" folder, or the legacy
// "default.yml" with "user\*.yml"), or a single match file.
void ReadEspansoImport(std::u16string_view path, const ImportEnvironment& env, ImportPreview& preview);

// A date variable's text: `format` with chrono's codes (%Y %m %d %H %M %S
// %y %b %B %a %A %e %j %I %p %%) for `now` moved by `offsetSeconds`.
std::u16string FormatEspansoDate(std::u16string_view format, const LocalTime& now, int64_t offsetSeconds);

}  // namespace kx
