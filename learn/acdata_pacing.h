// How the loader of "acdata.txt" shares the dictionary with typing and
// searching while it reads a large file in the background.
//
// The loader stores lines under the dictionary's lock and now and then lets
// go of it, so that the learners and the searcher (which poll every 100 ms)
// get their turn. It lets go by the time it has worked, not after each line.
// A short wait is not short on Windows: Sleep and the wait functions time
// out on the system clock's tick, 15.625 ms by default, and a wait shorter
// than a tick may last a whole tick (Microsoft's documentation of Sleep and
// of timeBeginPeriod). A pause of a few milliseconds after every one of the
// 114,000 lines of a file at the memory cap would last half an hour there;
// paced by work, that file loads in a fraction of a second of work plus one
// tick per slice.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace kx {

// The loader works this long under the lock before it gives way: half a
// Windows tick, so a search or a statistics call from the window waits at
// most that long for the lock.
inline constexpr uint32_t kLoaderSliceMs = 8;
// How long it gives way: the shortest wait there is. Windows rounds it up
// to the next tick; the other threads need far less to take the lock.
inline constexpr uint32_t kLoaderGiveWayMs = 1;

// Measures a job's slices of work on a clock.
class WorkPacer {
public:
    WorkPacer(Clock& clock, uint32_t sliceMs) : clock_(clock), sliceMs_(sliceMs), start_(clock.TickMs()) {}
    // Asked after each step: the slice is spent and the job should give way.
    // Unsigned difference, so a tick count that wraps does not matter.
    bool SliceSpent() const { return uint32_t(clock_.TickMs() - start_) >= sliceMs_; }
    // The job has the lock again: time waited for it is not work.
    void StartSlice() { start_ = clock_.TickMs(); }

private:
    Clock& clock_;
    uint32_t sliceMs_;
    uint32_t start_;
};

}  // namespace kx
