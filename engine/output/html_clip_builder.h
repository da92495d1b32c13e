// The clip builder the database reader calls for every rich-text and picture
// record while a store loads.
#pragma once

#include "core/database_io.h"
#include "engine/output/png_encoder.h"
#include "engine/output/rich_html_clip.h"

namespace kx {

class HtmlClipBuilder : public ClipBuilder {
public:
    // `encoder` renders the pictures; it must outlive the builder.
    explicit HtmlClipBuilder(PngEncoder& encoder) : encoder_(encoder) {}

    bool BuildRich(ShortcutEntry& entry) override;
    bool BuildPicture(ShortcutEntry& entry) override;

private:
    PngEncoder& encoder_;
};

}  // namespace kx
