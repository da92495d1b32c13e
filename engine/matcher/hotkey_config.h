// The on/off hotkeys as the application holds them. The Options window writes
// them on the UI thread while the engine reads them at every key event.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "settings/settings_store.h"
#include "base/text.h"

namespace kx {

class HotkeyConfig {
public:
    struct Values {
        bool shortcutsOn = false;
        std::u16string shortcutsCombo = u"CTRL+ALT+SPACE";
        bool autoCompleteOn = false;
        std::u16string autoCompleteCombo = u"CTRL+ALT+ENTER";
    };

    void Set(Values v) {
        std::lock_guard<std::mutex> g(lock_);
        v_ = std::move(v);
    }
    Values Get() const {
        std::lock_guard<std::mutex> g(lock_);
        return v_;
    }
    void LoadFrom(const SettingsStore& s) {
        Set({s.ReadBool(settings::ToggleExpansions), s.Read(settings::ToggleExpansionsCombo),
             s.ReadBool(settings::ToggleAutoComplete), s.Read(settings::ToggleAutoCompleteCombo)});
    }

    // Checks an event's combination text against both hotkeys in one lock.
    struct Hits { bool shortcuts; bool autoComplete; bool combosEqual; bool autoCompleteOn; };
    Hits Match(std::u16string_view text) const {
        std::lock_guard<std::mutex> g(lock_);
        return {v_.shortcutsOn && EqualsNoCaseAscii(text, v_.shortcutsCombo),
                EqualsNoCaseAscii(text, v_.autoCompleteCombo),
                EqualsNoCaseAscii(v_.autoCompleteCombo, v_.shortcutsCombo), v_.autoCompleteOn};
    }

private:
    mutable std::mutex lock_;
    Values v_;
};

}  // namespace kx
