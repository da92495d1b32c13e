// A program seam that answers from a table a test fills, and counts how
// often it was asked.
#pragma once

#include <map>

#include "platform/program_query.h"

namespace kx {

class FakePrograms final : public ProgramQuery {
public:
    WindowProgram ProgramOf(WindowHandle window) override {
        ++asked;
        auto it = programs_.find(window);
        return it == programs_.end() ? WindowProgram{} : it->second;
    }
    void Set(WindowHandle window, std::u16string fileName, bool blocksOurInput = false) {
        programs_[window] = {std::move(fileName), blocksOurInput};
    }
    int asked = 0;

private:
    std::map<WindowHandle, WindowProgram> programs_;
};

}  // namespace kx
