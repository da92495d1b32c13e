#include "core/group_transfer.h"

#include <optional>

#include "core/save_with_notice.h"
#include "core/shortcut_changes.h"
#include "base/text.h"

namespace kx {

std::vector<TransferTarget> TransferTargets(const GroupRegistry& groups) {
    std::vector<TransferTarget> out;
    const std::u16string current = groups.CurrentName();
    const auto names = groups.Names();
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] != current) out.push_back({i, names[i]});
    return out;
}

TransferItem TransferItemFor(const DisplayRecord& row) {
    return TransferItem{WinningKeyword(row), row.expansion, (row.origin & OriginShared) != 0};
}

namespace {

enum class Conflict { Overwrite, Skip, Cancel };

Conflict AskConflict(MessagePrompt& prompt, TransferMode mode, std::u16string_view keyword, bool& forAll) {
    QuestionBox q;
    q.title = mode == TransferMode::Move ? u"Overwrite shortcut?" : u"Kestrix";
    q.text = FormatS(u"The shortcut \"%s\" already exists in the target group. Overwrite shortcut?", keyword);
    q.buttons = {u"Overwrite shortcut", u"Skip shortcut"};
    q.checkBox = u"Do this for all conflicts";
    q.cancellable = true;
    const QuestionAnswer a = prompt.Ask(q);
    if (a.button != 0 && a.button != 1) return Conflict::Cancel;
    forAll = a.checked;
    return a.button == 0 ? Conflict::Overwrite : Conflict::Skip;
}

EntryRef CopyOf(const ShortcutEntry& e) { return ShortcutEntry::Make(e.kind, e.plainText, e.richText); }

}  // namespace

TransferResult TransferShortcuts(const DataContext& ctx, LoadedStores& stores, SharedDialogs& dialogs,
                                 TransferMode mode, size_t targetIndex, const std::vector<TransferItem>& items) {
    TransferResult result;
    GroupRegistry groups(ctx.settings);
    const auto name = groups.NameAt(targetIndex);
    const std::u16string path = name ? groups.LocationOf(*name) : std::u16string();
    StoreRef target = ShortcutStore::Create();
    uint32_t count = 0;
    if (ShortcutStore::Load(*target, path, false, count, ctx.io) != LoadOk) return result;
    result.loaded = true;

    std::optional<Conflict> answerForAll;
    std::vector<const TransferItem*> written;
    for (const auto& item : items) {
        if (item.keyword.empty() || !item.entry) continue;
        if (target->Contains(item.keyword)) {
            Conflict c;
            if (answerForAll) {
                c = *answerForAll;
            } else {
                bool forAll = false;
                c = AskConflict(ctx.prompt, mode, item.keyword, forAll);
                if (c == Conflict::Cancel) {
                    result.cancelled = true;
                    return result;
                }
                if (forAll) answerForAll = c;
            }
            if (c == Conflict::Skip) continue;
        }
        target->Insert(item.keyword, CopyOf(*item.entry));
        written.push_back(&item);
    }

    result.saved = SaveWithNotice(*target, path, ctx.io, ctx.SaveNotice());
    // Without the target saved, removing them from the source would lose them.
    if (!result.saved) return result;
    for (const auto* item : written) result.written.push_back(item->keyword);

    if (mode == TransferMode::Move && !written.empty()) {
        std::vector<std::u16string> local, shared;
        for (const auto* item : written) (item->fromShared ? shared : local).push_back(item->keyword);
        RemoveShortcuts(ctx, stores, dialogs, local, shared);
    }
    if (!written.empty()) {
        const bool one = written.size() == 1;
        if (mode == TransferMode::Move)
            ctx.prompt.ShowMessage(MessageIcon::Information, u"Moved",
                                   one ? u"Shortcut moved successfully." : u"Shortcuts moved successfully.");
        else
            ctx.prompt.ShowMessage(MessageIcon::Information, u"Copied",
                                   one ? u"Shortcut copied successfully." : u"Shortcuts copied successfully.");
    }
    return result;
}

}  // namespace kx
