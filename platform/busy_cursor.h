// The wait-cursor seam: long file operations show the wait cursor and put the
// previous one back when they end.
#pragma once

namespace kx {

class BusyCursor {
public:
    virtual ~BusyCursor() = default;
    virtual void Begin() = 0;  // shows the wait cursor, remembering the current one
    virtual void End() = 0;    // restores the remembered cursor
};

// Shows the wait cursor for its lifetime; a null cursor does nothing.
class BusyScope {
public:
    explicit BusyScope(BusyCursor* cursor) : cursor_(cursor) { if (cursor_) cursor_->Begin(); }
    ~BusyScope() { if (cursor_) cursor_->End(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyCursor* cursor_;
};

}  // namespace kx
