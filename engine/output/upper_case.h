// Upper-casing of expansion text for the casing rule. It works unit by unit
// like CharUpperW and gives the same result on every platform, so what the
// tests and kxtool see is what Windows pastes: the simple (one-to-one)
// upper-case mapping of Latin-1, Latin Extended-A, the common Latin
// Extended-B letters, Latin Extended Additional, Greek, Cyrillic, Armenian,
// Roman numerals, circled and full-width letters. Letters without a single
// upper-case unit (German sharp s) and everything else stay as they are.
#pragma once

namespace kx {

char16_t UpperCaseUnit(char16_t c);

}  // namespace kx
