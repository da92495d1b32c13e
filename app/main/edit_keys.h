// Which keys an edit box in the main window (the search box) keeps for
// itself, ahead of the window's accelerators: Ctrl+X there cuts text, it
// does not switch expansion off; Ctrl+A selects the box's text, not every
// row of the list.
#pragma once

namespace kx {

// True for the editing and caret keys: Ctrl with A, C, V, X, Y, Z, Insert,
// Delete, Backspace and the arrow, Home and End keys, and every key without
// Ctrl or Alt except the function keys. The rest (Ctrl+O, Ctrl+P, F1, ...)
// stays with the window.
bool EditBoxOwnsKey(unsigned virtualKey, bool ctrl, bool alt);

}  // namespace kx
