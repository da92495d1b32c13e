// A dictionary of generated phrases as large as the memory cap allows: what
// a user who has typed for years carries in "acdata.txt". The benchmarks,
// the test suites and anyone reproducing a report build the same file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kx {

class PhraseDictionary;

// Phrases of two to eight words drawn with Zipf-like frequencies from 160
// common and office words, a quarter of them ending in a full stop, as
// typed text repeats its common words. The same seed gives the same list.
std::vector<std::u16string> GeneratedPhrases(size_t count, uint32_t seed);

// Adds generated phrases until the memory estimate reaches the dictionary's
// limit (about 114,000 at the 100 MiB cap). Each is seen at counter 0, so
// none is stale; a few were accepted and offered.
void FillToMemoryLimit(PhraseDictionary& dictionary);

}  // namespace kx
