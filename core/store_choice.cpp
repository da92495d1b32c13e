#include "core/store_choice.h"

namespace kx {

StoreChoiceRequest StoreChoiceFor(StoreAction action, const SettingsStore& settings) {
    StoreChoiceRequest r;
    r.title = u"Shared Shortcuts Selection";
    switch (action) {
    case StoreAction::NewShortcut:
        r.heading = u"Which kind do you want to create?";
        r.text = u"This shortcut can either be created as private or shared.";
        break;
    case StoreAction::EditBoth:
        r.heading = u"Which one do you want to edit?";
        r.text = u"This shortcut exists in both your private and shared data.";
        break;
    case StoreAction::DeleteMixed:
        r.title = u"Delete Shortcuts";
        r.heading = u"Which ones do you want to delete?";
        r.text = u"You have selected both private and shared shortcuts.";
        r.bothOffered = true;
        break;
    case StoreAction::SaveFile:
        r.heading = u"Where do you want to save them?";
        r.text = u"Shortcuts can be saved in your private or shared data.";
        break;
    case StoreAction::LoadFile:
        r.heading = u"Where do you want to load them from?";
        r.text = u"Shortcuts can be loaded from either your private or shared data.";
        break;
    }
    const int saved = settings.ReadInt(settings::SharedVsPrivateSelection);
    r.preselected = saved == 1 ? kChoiceShared : (saved == 2 && r.bothOffered) ? kChoiceBoth : kChoicePrivate;
    return r;
}

int ChooseStore(StoreAction action, bool sharedLoaded, SharedDialogs& dialogs, SettingsStore& settings) {
    if (!sharedLoaded) return kChoicePrivate;
    const StoreChoiceRequest request = StoreChoiceFor(action, settings);
    const int choice = dialogs.ChooseStore(request);
    if (choice == kChoiceCancelled) return kChoiceCancelled;
    if (choice == kChoiceBoth && !request.bothOffered) return kChoiceCancelled;
    settings.WriteInt(settings::SharedVsPrivateSelection, choice - 1);
    return choice;
}

}  // namespace kx
