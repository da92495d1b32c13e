#include "app/options/run_at_startup.h"

namespace kx {

RunChoice CurrentRunChoice(const RunEntries& entries) {
    if (entries.MachineValueExists()) return RunChoice::AllUsers;
    if (entries.UserValueExists()) return RunChoice::ThisUser;
    return RunChoice::Off;
}

RunChoiceResult ApplyRunChoice(RunEntries& entries, Elevation* elevation, RunChoice wanted) {
    RunChoiceResult result;
    if (wanted == CurrentRunChoice(entries)) return result;
    switch (wanted) {
    case RunChoice::Off:
        if (entries.UserValueExists()) entries.Remove(nullptr);
        result.adminNeeded = !entries.RemoveForAllUsers(elevation);
        break;
    case RunChoice::AllUsers:
        result.adminNeeded = result.addFailed = !entries.AddForAllUsers(elevation);
        break;
    case RunChoice::ThisUser:
        entries.AddForThisUser();
        result.adminNeeded = !entries.RemoveForAllUsers(elevation);
        break;
    }
    return result;
}

}  // namespace kx
