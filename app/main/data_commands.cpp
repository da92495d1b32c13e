// The main window's data commands: Backup Data, Restore Data, Save
// Shortcuts and Load Shortcuts.
#include <windows.h>
#include <shlobj.h>

#include "app/dialogs/backup_dialog.h"
#include "app/dialogs/shortcut_file_dialogs_win32.h"
#include "app/main/app_core.h"
#include "learn/phrase_dictionary.h"
#include "picture/legacy_conversion.h"
#include "picture/wic_codec_win32.h"

namespace kx {
namespace {

constexpr int kDocumentsFolder = 5;  // CSIDL_PERSONAL

std::u16string DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, kDocumentsFolder, nullptr, 0, path))) return {};
    return U(path);
}

BackupContext BackupPlace(AppServices& s) {
    return BackupContext{s.ctx.fs, s.folders, s.prompt, s.settings, DocumentsFolder()};
}

// The picture pass of start-up, for restored files that hold pictures in
// the older form; it does nothing once it has run.
void CheckRestoredPictures(AppServices& s) {
    std::unique_ptr<ImageCodec> codec = MakeWicCodec();
    if (!codec) return;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    ConvertLegacyPictures(LegacyConversion{s.settings, s.ctx.fs, s.security, s.folders, s.io, *codec, U(temp), {}, {}});
}

}  // namespace

void AppCore::BackupData() {
    const BackupContext place = BackupPlace(*services_);
    BackupDialog(place).Ask(window_);
}

void AppCore::RestoreData() {
    const BackupContext place = BackupPlace(*services_);
    const RestoreOutcome outcome = RestoreDialog(place).Ask(window_);
    if (!outcome.done) return;
    AppServices& s = *services_;
    // The learning dictionary loads the restored file in the background, as
    // at start-up.
    FinishRestore(s.ctx, s.stores, outcome,
                  RestoreFollowUp{[&s] { CheckRestoredPictures(s); },
                                  [this](std::u16string_view acdata) {
                                      engine_.LearningDictionary().StartLoading(std::u16string(acdata));
                                  }});
    RefillList();
    RefreshGroupView();
}

void AppCore::SaveShortcuts() {
    Win32ShortcutFileDialogs files(window_);
    SaveShortcutFile(services_->ctx, services_->stores, services_->dialogs, files, DocumentsFolder());
    RefillList();
}

void AppCore::LoadShortcuts() {
    Win32ShortcutFileDialogs files(window_);
    LoadShortcutFile(services_->ctx, services_->stores, services_->dialogs, files, DocumentsFolder());
    RefillList();
}

}  // namespace kx
