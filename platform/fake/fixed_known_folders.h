// Known folders fixed by the test.
#pragma once

#include "platform/known_folders.h"

namespace kx {

struct FixedKnownFolders final : KnownFolders {
    std::u16string roaming;
    std::u16string common;
    FixedKnownFolders(std::u16string r, std::u16string c) : roaming(std::move(r)), common(std::move(c)) {}
    std::u16string RoamingAppData() override { return roaming; }
    std::u16string CommonAppData() override { return common; }
};

}  // namespace kx
