#include "app/main/app_services.h"

namespace kx {

AppServices::AppServices()
    : folders(DataFolders::Resolve(knownFolders)),
      io(SystemDatabaseIo(&clips, &cursor)),
      ctx{settings, folders, SystemFileSystem(), security, io, prompt, &ownership} {}

}  // namespace kx
