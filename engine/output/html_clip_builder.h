// The clip builder the database reader calls for every rich-text record
// while a store loads.
#pragma once

#include "core/database_io.h"
#include "engine/output/rich_html_clip.h"

namespace kx {

class HtmlClipBuilder : public ClipBuilder {
public:
    bool BuildRich(ShortcutEntry& entry) override;
};

}  // namespace kx
