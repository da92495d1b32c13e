#include "app/autocomplete/ac_rows.h"

#include <algorithm>

namespace kx {

long TypedSinceSearch(const std::u16string& line, const std::u16string& typed) {
    const size_t at = line.rfind(typed);
    if (at == std::u16string::npos) return -1;
    return long(line.size()) - long(at) - long(typed.size());
}

bool AcRows::Fill(const std::vector<AcCandidate>& list, bool keepCopy) {
    std::vector<AcCandidate> rows;
    std::vector<std::u16string> previous;
    {
        std::lock_guard<std::mutex> g(lock_);
        if (list.empty()) {
            stale_ = true;
            return false;
        }
        rows.assign(list.begin(), list.begin() + std::min<size_t>(list.size(), kAcMaxRows));
        if (keepCopy) keptList_ = rows;
        previous = std::move(shownList_);
        shownList_.clear();
        for (const AcCandidate& c : rows) shownList_.push_back(c.phrase);
        rows_ = rows;
        selection_ = 0;
        ready_ = true;
        stale_ = false;
    }
    // The search offered each of these once more; a phrase counts as offered
    // to the user only when it newly appears.
    for (const AcCandidate& c : rows) {
        dict_.LowerConfidence(c.phrase, c.typedText.size());
        if (std::find(previous.begin(), previous.end(), c.phrase) == previous.end()) dict_.CountImpression(c.phrase);
    }
    return true;
}

bool AcRows::Refill() {
    std::vector<AcCandidate> kept;
    {
        std::lock_guard<std::mutex> g(lock_);
        kept = keptList_;
    }
    if (kept.empty()) {
        std::lock_guard<std::mutex> g(lock_);
        rows_.clear();
        return false;
    }
    return Fill(kept, false);
}

std::vector<AcCandidate> AcRows::Rows() const {
    std::lock_guard<std::mutex> g(lock_);
    return rows_;
}

int AcRows::Selection() const {
    std::lock_guard<std::mutex> g(lock_);
    return selection_;
}

bool AcRows::Ready() const {
    std::lock_guard<std::mutex> g(lock_);
    return ready_;
}

bool AcRows::Stale() const {
    std::lock_guard<std::mutex> g(lock_);
    return stale_;
}

bool AcRows::Editing() const {
    std::lock_guard<std::mutex> g(lock_);
    return editing_;
}

void AcRows::SetEditing(bool on) {
    std::lock_guard<std::mutex> g(lock_);
    editing_ = on;
}

bool AcRows::IsReady() const {
    std::lock_guard<std::mutex> g(lock_);
    return ready_ && selection_ >= 0;
}

void AcRows::SelectStep(bool up) {
    std::lock_guard<std::mutex> g(lock_);
    if (selection_ < 0 || rows_.empty()) return;
    if (up) selection_ = std::max(selection_ - 1, 0);
    else selection_ = std::min(selection_ + 1, int(rows_.size()) - 1);
}

void AcRows::Select(int row) {
    std::lock_guard<std::mutex> g(lock_);
    if (row >= 0 && row < int(rows_.size())) selection_ = row;
}

bool AcRows::SelectPhrase(const std::u16string& phrase) {
    std::lock_guard<std::mutex> g(lock_);
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].phrase != phrase) continue;
        selection_ = int(i);
        return true;
    }
    return false;
}

bool AcRows::Hide() {
    std::lock_guard<std::mutex> g(lock_);
    if (editing_) return false;
    selection_ = -1;
    ready_ = false;
    return true;
}

bool AcRows::PrepareInsertion(AcInsertion& out) {
    std::u16string typed;
    {
        std::lock_guard<std::mutex> g(lock_);
        if (editing_ || !ready_ || selection_ < 0 || selection_ >= int(rows_.size())) return false;
        const AcCandidate& row = rows_[size_t(selection_)];
        out.phrase = row.phrase;
        out.typedLength = std::min(row.typedText.size(), row.phrase.size());
        out.text = row.phrase.substr(out.typedLength);
        out.replaceCount = 0;
        typed = row.typedText;
    }
    // The user may have typed on after these rows were found, whether or not
    // a later search came back empty: replace what was typed since, so that
    // "thank yo" becomes the phrase and never "thank youou".
    const long extra = TypedSinceSearch(dict_.GetCurrentLine(), typed);
    if (extra < 0) return false;
    out.replaceCount = unsigned(extra);
    return true;
}

bool AcRows::InsertSelected(AcOutput& output) {
    AcInsertion ins;
    if (!PrepareInsertion(ins)) return false;
    {
        std::lock_guard<std::mutex> g(lock_);
        lastInserted_ = ins.phrase;
    }
    dict_.ClearTypingRing();
    output.InsertPhrase(ins.text, ins.replaceCount);
    dict_.CountAccepted(ins.phrase);
    dict_.RaiseConfidence(ins.phrase, ins.typedLength);
    // Two zero units make the dictionary forget the unit fed before the
    // insertion; the learner drops the units themselves.
    dict_.FeedTypedUnit(0);
    dict_.FeedTypedUnit(0);
    Hide();
    return true;
}

std::u16string AcRows::LastInserted() const {
    std::lock_guard<std::mutex> g(lock_);
    return lastInserted_;
}

std::u16string AcRows::RowPhrase(int row) const {
    std::lock_guard<std::mutex> g(lock_);
    if (row < 0 || row >= int(rows_.size())) return {};
    return rows_[size_t(row)].phrase;
}

void AcRows::RemoveRow(int row) {
    const std::u16string phrase = RowPhrase(row);
    if (phrase.empty()) return;
    dict_.RemovePhrase(phrase);
    {
        std::lock_guard<std::mutex> g(lock_);
        std::erase_if(keptList_, [&](const AcCandidate& c) { return c.phrase == phrase; });
    }
    Refill();
}

void AcRows::ReplaceRow(int row, const std::u16string& text) {
    const std::u16string phrase = RowPhrase(row);
    if (phrase.empty() || text == phrase) return;
    if (text.empty()) {
        RemoveRow(row);
        return;
    }
    dict_.RenamePhrase(phrase, text);
    {
        std::lock_guard<std::mutex> g(lock_);
        for (AcCandidate& c : keptList_)
            if (c.phrase == phrase) c.phrase = text;
    }
    Refill();
}

}  // namespace kx
