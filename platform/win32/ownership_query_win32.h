// The ownership seam over the file system's security descriptors.
#pragma once

#include "platform/ownership_query.h"

namespace kx {

class Win32OwnershipQuery final : public OwnershipQuery {
public:
    bool Read(std::u16string_view path, OwnershipFacts& out) override;
};

}  // namespace kx
