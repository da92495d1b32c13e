#include "app/main/app_services.h"

#include "engine/output/rich_html_clip.h"

namespace kx {

bool RichClipBuilder::BuildRich(ShortcutEntry& entry) { return BuildRichHtmlClip(entry); }

AppServices::AppServices()
    : folders(DataFolders::Resolve(knownFolders)),
      io(SystemDatabaseIo(&clips, &cursor)),
      ctx{settings, folders, SystemFileSystem(), security, io, prompt} {}

}  // namespace kx
