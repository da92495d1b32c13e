// A learning dictionary for tests: no worker threads (the tests run the
// passes themselves) and a 2 GiB address space, so the memory limit is the
// usual one.
#pragma once

#include "learn/phrase_dictionary.h"

namespace kx {

inline DictionaryOptions QuietDictionaryOptions() {
    DictionaryOptions o;
    o.startWorkers = false;
    o.totalVirtual = 0x80000000ull;
    return o;
}

}  // namespace kx
