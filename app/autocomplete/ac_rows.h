// The Auto Complete window's rows and what the user does with them, without
// the window: which candidates become rows, which count as newly offered,
// the selection, and what an insertion types. The window thread fills it;
// the keystroke thread selects, inserts and hides through it, so its state
// is guarded by one lock, never held while the dictionary or the output
// work (the output may wait for the window thread).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "app/autocomplete/ac_dictionary.h"
#include "app/autocomplete/ac_layout.h"

namespace kx {

// What an insertion types: the phrase's part after the searched text, over
// the characters typed since the search.
struct AcInsertion {
    std::u16string phrase;   // the whole phrase, S
    std::u16string text;     // S from P on
    size_t typedLength = 0;  // P
    unsigned replaceCount = 0;
};

// The characters typed after `typed` at the end of `line` (the last place
// `typed` occurs), or -1 when `typed` is not in the line.
long TypedSinceSearch(const std::u16string& line, const std::u16string& typed);

class AcRows {
public:
    explicit AcRows(AcDictionary& dictionary) : dict_(dictionary) {}

    // Takes the first three candidates as rows, counts an impression for
    // each phrase that was not showing before, lowers the confidence the
    // search had in each. An empty list only marks the rows stale: false.
    bool Fill(const std::vector<AcCandidate>& list, bool keepCopy);
    // Fills again from the window's own copy (after an edit or removal).
    bool Refill();

    std::vector<AcCandidate> Rows() const;
    int Selection() const;
    bool Ready() const;
    bool Stale() const;
    bool Editing() const;
    void SetEditing(bool on);

    bool IsReady() const;
    void SelectStep(bool up);
    void Select(int row);
    // Selects the row that shows `phrase`; false when none does.
    bool SelectPhrase(const std::u16string& phrase);
    // Hidden: not ready, nothing selected. False (and nothing changes)
    // while a phrase is being edited.
    bool Hide();

    // The selected row's insertion, checked against the current line: the
    // characters typed since the row's search are replaced. False when there
    // is nothing to insert, or the searched text is no longer in the line.
    bool PrepareInsertion(AcInsertion& out);
    // Inserts the selected row: types it, and counts it accepted. False when
    // nothing was inserted.
    bool InsertSelected(AcOutput& output);
    std::u16string LastInserted() const;

    // The row's phrase (an empty text when there is no such row).
    std::u16string RowPhrase(int row) const;
    // Removes a row's phrase from the dictionary and from the window's copy.
    void RemoveRow(int row);
    // Stores an edited phrase; an empty text removes it.
    void ReplaceRow(int row, const std::u16string& text);

private:
    AcDictionary& dict_;
    mutable std::mutex lock_;
    std::vector<AcCandidate> rows_;
    std::vector<std::u16string> shownList_;
    std::vector<AcCandidate> keptList_;
    std::u16string lastInserted_;
    int selection_ = -1;
    bool ready_ = false;
    bool stale_ = false;
    bool editing_ = false;
};

}  // namespace kx
