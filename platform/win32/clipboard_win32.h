// The system clipboard.
#pragma once

#include "platform/clipboard.h"

namespace kx {

class Win32Clipboard final : public Clipboard {
public:
    bool Open(WindowHandle owner) override;
    bool Close() override;
    bool Empty() override;
    unsigned RegisterFormat(std::u16string_view name) override;
    bool SetData(unsigned format, std::span<const uint8_t> bytes) override;
    std::optional<std::vector<uint8_t>> GetData(unsigned format) override;
    size_t DataSize(unsigned format) override;
    std::vector<unsigned> Formats() override;
    bool OfferDelayed(unsigned format) override;
};

}  // namespace kx
