// A data context for the group and shared-store tests: scratch data folders,
// a registry (in memory natively, the real one under Wine), the system's
// files, and message boxes and dialogs answered from a script.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/data_context.h"
#include "core/file_paths.h"
#include "core/group_registry.h"
#include "core/local_store.h"
#include "core/shared_dialogs.h"
#include "core/shortcut_changes.h"
#include "platform/fake/fake_file_security.h"
#include "platform/fake/fixed_known_folders.h"
#include "tests/native/database_test_support.h"

namespace kx::test {

// Records every message as "<icon>|title|text" and answers questions in order.
struct ScriptedPrompt final : MessagePrompt {
    std::vector<std::u16string> shown;
    std::vector<QuestionBox> asked;
    std::deque<QuestionAnswer> answers;

    void ShowMessage(MessageIcon icon, std::u16string_view title, std::u16string_view text) override {
        static const char16_t* names[] = {u"E", u"W", u"I", u"Q"};
        shown.push_back(std::u16string(names[int(icon)]) + u"|" + std::u16string(title) + u"|" + std::u16string(text));
    }
    QuestionAnswer Ask(const QuestionBox& q) override {
        asked.push_back(q);
        if (answers.empty()) return ADD_FAILURE() << "unexpected question: " << U8(q.text), QuestionAnswer{};
        QuestionAnswer a = answers.front();
        return answers.pop_front(), a;
    }
    void Answer(int button, bool checked = false) { answers.push_back({button, checked}); }
    void Cancel() { answers.push_back({QuestionAnswer::kCancelled, false}); }
};

struct ScriptedDialogs final : SharedDialogs {
    std::deque<int> choices;
    std::deque<bool> passwords;  // whether the password dialog ends with a match
    std::vector<StoreChoiceRequest> requests;
    std::vector<std::u16string> expectedPasswords;
    std::vector<std::u16string> notices;  // "<field>|title|text"
    std::function<void()> duringPassword;  // what the dialog's message loop runs

    template <class T>
    static T Next(std::deque<T>& q, T none, const char* what) {
        if (q.empty()) return ADD_FAILURE() << "unexpected " << what, none;
        T t = q.front();
        return q.pop_front(), t;
    }
    int ChooseStore(const StoreChoiceRequest& r) override {
        requests.push_back(r);
        return Next(choices, int(kChoiceCancelled), "store choice");
    }
    bool AskAdminPassword(std::u16string_view expected) override {
        expectedPasswords.emplace_back(expected);
        if (duringPassword) duringPassword();
        return Next(passwords, false, "password dialog");
    }
    void ShowFieldNotice(SharedField field, std::u16string_view title, std::u16string_view text) override {
        notices.push_back(std::u16string(1, char16_t(u'0' + int(field))) + u"|" + std::u16string(title) + u"|" +
                          std::u16string(text));
    }
};

// The system's files, except that nothing can be made, written or removed
// below `locked` or `locked2` (folders without write permission), and a move
// onto a file there fails with `moveError` (a reader holding the file open
// gives SharingViolation). `moves` counts the moves tried.
struct LockedFiles final : FileSystem {
    FileSystem& inner = SystemFileSystem();
    std::u16string locked, locked2;
    FileError moveError = FileError::AccessDenied;
    int moves = 0;
    bool Under(std::u16string_view p) const {
        for (std::u16string_view f : {locked, locked2})
            if (!f.empty() && p.substr(0, f.size()) == f) return true;
        return false;
    }
    bool IsFolder(std::u16string_view p) override { return inner.IsFolder(p); }
    bool IsFile(std::u16string_view p) override { return inner.IsFile(p); }
    bool MakeFolder(std::u16string_view p) override { return !Under(p) && inner.MakeFolder(p); }
    bool Copy(std::u16string_view a, std::u16string_view b, bool r) override { return !Under(b) && inner.Copy(a, b, r); }
    std::vector<std::u16string> ListFiles(std::u16string_view f) override { return inner.ListFiles(f); }
    std::vector<std::u16string> ListFolders(std::u16string_view f) override { return inner.ListFolders(f); }
    bool FileSize(std::u16string_view p, uint64_t& n) override { return inner.FileSize(p, n); }
    bool Remove(std::u16string_view p) override { return !Under(p) && inner.Remove(p); }
    bool LastWriteTime(std::u16string_view p, int64_t& s) override { return inner.LastWriteTime(p, s); }
    FileError MoveReplacing(std::u16string_view a, std::u16string_view b) override {
        return ++moves, Under(b) ? moveError : inner.MoveReplacing(a, b);
    }
    std::u16string MakeUniqueFile(std::u16string_view f) override { return Under(f) ? u"" : inner.MakeUniqueFile(f); }
};

// Removes the registry sections the group and shared logic write, so every
// test starts from a first start.
inline void ClearDataSettings(Registry& reg) {
    reg.DeleteTree(Hive::CurrentUser, SettingsStore::SectionPath(settings::kGroupsSection));
    reg.DeleteTree(Hive::CurrentUser, SettingsStore::SectionPath(settings::kShared));
    reg.DeleteValue(Hive::CurrentUser, SettingsStore::SectionPath(settings::kSettings), u"SharedVsPrivateSelection");
}

struct DataRig {
    testing::ScratchDir dir;
    Registry& reg;
    SettingsStore settings{reg};
    FixedKnownFolders known{Sub(u"Roaming"), Sub(u"ProgramData")};
    DataFolders folders;
    FakeFileSecurity security;
    DatabaseIo io = SystemDatabaseIo();
    ScriptedPrompt prompt;
    ScriptedDialogs dialogs;
    DataContext ctx{settings, folders, SystemFileSystem(), security, io, prompt};
    LoadedStores stores;

    explicit DataRig(Registry& r) : reg(r) {
        ClearDataSettings(reg);
        SystemFileSystem().MakeFolder(known.roaming);
        SystemFileSystem().MakeFolder(known.common);
        folders = DataFolders::Resolve(known);
    }
    ~DataRig() { ClearDataSettings(reg); }

    std::u16string Sub(std::u16string_view name) const { return JoinPath(dir.Path(""), name); }
    GroupRegistry Groups() { return GroupRegistry(settings); }

    using Items = std::initializer_list<std::pair<const char16_t*, const char16_t*>>;
    // Writes a database file holding keyword=text pairs.
    void MakeFile(const std::u16string& path, Items items, bool shared = false, std::u16string_view password = {}) {
        StoreRef s = ShortcutStore::Create();
        s->SetCarriesPassword(shared);
        s->SetAdminPassword(password);
        for (auto& [k, v] : items) s->Insert(k, ShortcutEntry::Make(ShortcutKind::SimpleText, v));
        ASSERT_TRUE(ShortcutStore::Save(*s, path, io));
    }
    // After the first start, with the Default group's file holding `items`.
    void StartWith(Items items) {
        ChooseStartupGroup(ctx);
        RelocateDataAtStartup(ctx);
        MakeFile(folders.DefaultGroupFile(), items);
    }
    // Registers group `name` with a file of its own in the scratch folder.
    std::u16string AddGroupFile(std::u16string_view name, Items items) {
        const std::u16string file = Sub(std::u16string(name) + u".dat");
        MakeFile(file, items);
        Groups().Register(name, file);
        return file;
    }
    static std::u16string Text(const ShortcutStore& s, std::u16string_view keyword) { return testing::PlainOf(s, keyword); }
    StoreRef Load(const std::u16string& path, bool password = false) { return testing::LoadedFrom(path, io, password); }
    // Saves a text shortcut as the editors do, replacing `oldKeyword`'s when given.
    StoreResult Store(bool shared, std::u16string_view keyword, std::u16string_view text,
                      std::u16string_view oldKeyword = {}) {
        return StoreShortcut(ctx, stores, dialogs, shared, keyword, testing::TextEntry(text), oldKeyword);
    }
    // Shared shortcuts on or off, from `path`.
    void UseShared(const std::u16string& path, bool on = true) {
        settings.WriteBool(settings::SharedEnabled, on);
        settings.Write(settings::SharedPath, path);
    }
    std::u16string TakeMessages() {
        std::u16string all;
        for (auto& m : prompt.shown) all += m + u"\n";
        return prompt.shown.clear(), all;
    }
};

using RegistryMaker = std::function<std::unique_ptr<Registry>()>;

// Group and shared-store tests run against each registry they are
// instantiated with: in memory natively, the real one under Wine as well.
class DataTest : public ::testing::TestWithParam<RegistryMaker> {
protected:
    std::unique_ptr<Registry> reg = GetParam()();
    DataRig rig{*reg};
};

}  // namespace kx::test
