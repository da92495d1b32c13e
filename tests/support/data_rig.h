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
#include "core/shared_dialogs.h"
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
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << U8(q.text);
            return {};
        }
        QuestionAnswer a = answers.front();
        answers.pop_front();
        return a;
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

    int ChooseStore(const StoreChoiceRequest& r) override {
        requests.push_back(r);
        if (choices.empty()) { ADD_FAILURE() << "unexpected store choice"; return kChoiceCancelled; }
        int c = choices.front();
        choices.pop_front();
        return c;
    }
    bool AskAdminPassword(std::u16string_view expected) override {
        expectedPasswords.emplace_back(expected);
        if (passwords.empty()) { ADD_FAILURE() << "unexpected password dialog"; return false; }
        bool ok = passwords.front();
        passwords.pop_front();
        return ok;
    }
    void ShowFieldNotice(SharedField field, std::u16string_view title, std::u16string_view text) override {
        notices.push_back(std::u16string(1, char16_t(u'0' + int(field))) + u"|" + std::u16string(title) + u"|" +
                          std::u16string(text));
    }
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

    // Writes a database file holding keyword=text pairs.
    void MakeFile(const std::u16string& path, std::initializer_list<std::pair<const char16_t*, const char16_t*>> items,
                  bool shared = false, std::u16string_view password = {}) {
        StoreRef s = ShortcutStore::Create();
        s->SetCarriesPassword(shared);
        s->SetAdminPassword(password);
        for (auto& [k, v] : items) s->Insert(k, ShortcutEntry::Make(ShortcutKind::SimpleText, v));
        ASSERT_TRUE(ShortcutStore::Save(*s, path, io));
    }
    static std::u16string Text(const ShortcutStore& s, std::u16string_view keyword) {
        return testing::PlainOf(s, keyword);
    }
    std::u16string TakeMessages() {
        std::u16string all;
        for (auto& m : prompt.shown) all += m + u"\n";
        prompt.shown.clear();
        return all;
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
