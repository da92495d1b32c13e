// Stand-ins for parts of the engine that a host does not run: the key
// stream feeds no Auto Complete.
#pragma once

#include "engine/matcher/engine_ports.h"

namespace kx {

class NoAutoComplete final : public AutoCompleteLink {
public:
    void TrackEdit(const KeyEvent&) override {}
    void FeedKey(const KeyEvent&) override {}
    void CancelDoubleCtrl() override {}
    bool LearningAvailable() override { return false; }
    bool IsAutoCompleteWindow(WindowHandle) override { return false; }
};

}  // namespace kx
