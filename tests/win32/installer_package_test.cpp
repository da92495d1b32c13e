// The package's conditions, read out of installer/kestrix.wxs and evaluated
// by Windows Installer's rules for conditions, with what the program's
// installer switches then do, with Windows' msiexec. Wine's cannot show
// that: it never sets UPGRADINGPRODUCTCODE in an upgrade's removal of the
// old package, and the installer suite runs the package with Wine's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "app/lifecycle/installer_switches.h"
#include "app/lifecycle/switches.h"
#include "platform/fake/memory_registry.h"
#include "tests/native/database_test_support.h"

namespace kx {
namespace {

using Properties = std::map<std::string, std::string>;

// Conditions as MsiEvaluateCondition reads those the package has: terms
// joined by AND, each perhaps after NOT, each a property (true when set and
// not 0) or a comparison of properties and "literals" by = <> >< << >>, with
// ~ to ignore case. A missing property is the empty string. Anything else
// fails the test instead of being misread.
bool Evaluate(const std::string& condition, const Properties& p) {
    static const std::regex term(R"(\s*(NOT\s+)?(\w+|"[^"]*")\s*(?:(~?)(<>|><|<<|>>|=)\s*(\w+|"[^"]*"))?\s*)");
    const auto value = [&](std::string token) {
        if (token[0] == '"') return token.substr(1, token.size() - 2);
        EXPECT_FALSE(std::isdigit(uint8_t(token[0]))) << "an integer literal in " << condition;
        const auto found = p.find(token);
        return found == p.end() ? std::string() : found->second;
    };
    bool all = true;
    for (size_t at = 0, next; at != std::string::npos; at = next == std::string::npos ? next : next + 5) {
        next = condition.find(" AND ", at);
        const std::string text = condition.substr(at, next == std::string::npos ? next : next - at);
        std::smatch m;
        if (!std::regex_match(text, m, term)) {
            ADD_FAILURE() << "a condition this test cannot read: " << text;
            return false;
        }
        std::string a = value(m[2]);
        bool v = !a.empty() && a != "0";
        if (m[4].matched) {
            std::string b = value(m[5]);
            if (m[3].length())
                for (std::string* t : {&a, &b})
                    for (char& c : *t) c = char(std::tolower(uint8_t(c)));
            const std::string op = m[4];
            v = op == "=" ? a == b : op == "<>" ? a != b : op == "><" ? a.find(b) != std::string::npos
              : op == "<<" ? a.rfind(b, 0) == 0
                           : a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0;
        }
        all = all && (m[1].matched ? !v : v);
    }
    return all;
}

std::string Unescape(std::string s) {
    for (auto [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (size_t at; (at = s.find(from)) != std::string::npos;) s.replace(at, std::strlen(from), to);
    return s;
}

std::string Attribute(const std::string& element, const char* name) {
    std::smatch m;
    return std::regex_search(element, m, std::regex(std::string(" ") + name + "=\"([^\"]*)\"")) ? Unescape(m[1])
                                                                                               : std::string();
}

// A scheduled custom action: what it sets or which switch it runs, and when.
struct Action {
    std::string id, condition, property, value, command;
    int sequence = 0;
    // After InstallFinalize (6600): after the old package's removal, which
    // RemoveExistingProducts (1401) runs.
    bool AfterInstall() const { return sequence > 6600; }
};

// A property AppSearch fills from a registry value.
struct Search {
    std::string property, root;
    bool win64 = false;  // the 64-bit view in the 64-bit package; else the 32-bit one
};

struct Package {
    std::string text;
    std::vector<Action> actions;  // in the order they run in
    std::vector<Search> searches;
    std::string rememberRoot;  // where the install writes its folder
    std::map<std::string, std::string> defaultFolder;  // by architecture
};

const Package& ThePackage() {
    static const Package package = [] {
        Package p;
        std::ifstream in(KX_SOURCE_DIR "/installer/kestrix.wxs");
        std::stringstream all;
        all << in.rdbuf();
        p.text = all.str();
        std::map<std::string, std::string> definitions;
        const std::regex action("<CustomAction [^>]*/>"), custom("<Custom ([^>]*)>([^<]*)</Custom>");
        for (std::sregex_iterator i(p.text.begin(), p.text.end(), action), end; i != end; ++i)
            definitions[Attribute(i->str(), "Id")] = i->str();
        for (std::sregex_iterator i(p.text.begin(), p.text.end(), custom), end; i != end; ++i) {
            const std::string attributes = " " + (*i)[1].str(), definition = definitions[Attribute(attributes, "Action")];
            p.actions.push_back({Attribute(attributes, "Action"), Unescape((*i)[2]), Attribute(definition, "Property"),
                                 Attribute(definition, "Value"), Attribute(definition, "ExeCommand"),
                                 std::atoi(Attribute(attributes, "Sequence").c_str())});
            EXPECT_GT(p.actions.back().sequence, 0) << p.actions.back().id << " has no sequence number";
        }
        std::stable_sort(p.actions.begin(), p.actions.end(),
                         [](const Action& a, const Action& b) { return a.sequence < b.sequence; });
        const std::regex search("<Property Id=\"(\\w+)\">\\s*<RegistrySearch [^>]*>");
        for (std::sregex_iterator i(p.text.begin(), p.text.end(), search), end; i != end; ++i)
            p.searches.push_back({(*i)[1], Attribute(i->str(), "Root"), !Attribute(i->str(), "Win64").empty()});
        std::smatch m;
        std::regex_search(p.text, m, std::regex("<RegistryValue [^>]*Name=\"InstallFolder\"[^>]*>"));
        p.rememberRoot = Attribute(m.str(), "Root");
        std::regex_search(p.text, m, std::regex("\"x64\" \\?>\\s*<\\?define ProgramFiles = \"(\\w+)\""));
        p.defaultFolder["x64"] = m[1] == "ProgramFiles64Folder" ? "C:\\Program Files\\Kestrix\\" : "?";
        p.defaultFolder["x86"] = "C:\\Program Files (x86)\\Kestrix\\";
        return p;
    }();
    return package;
}

std::string Expand(const std::string& value, const Properties& p) {
    std::string out;
    for (size_t at = 0; at < value.size();) {
        const size_t open = value.find('[', at), close = value.find(']', open);
        if (open == std::string::npos) return out + value.substr(at);
        out += value.substr(at, open - at);
        const auto found = p.find(value.substr(open + 1, close - open - 1));
        if (found != p.end()) out += found->second;
        at = close + 1;
    }
    return out;
}

constexpr char kLocalAppData[] = "C:\\Users\\kim\\AppData\\Local\\";

// One machine with one user: the program's registry, the folders the
// package remembered, and the desktop the program runs on.
struct Machine final : InstallerHost {
    MemoryRegistry registry;
    std::map<std::string, std::string> remembered;  // "HKCU", "HKLM x64", "HKLM x86"
    RunningCopy running = RunningCopy::None;
    std::vector<std::u16string> starts;
    testing::ScratchDir dir;
    std::u16string program = dir.Path("kestrix.exe");

    Machine() { std::ofstream(std::filesystem::path(program)) << "MZ"; }

    RunningCopy EndRunningCopy() override { return std::exchange(running, RunningCopy::None); }
    void StartProgram(std::u16string_view arguments) override {
        if (running != RunningCopy::None) return;
        starts.emplace_back(arguments);
        const std::vector<std::u16string> args{program, std::u16string(arguments)};
        running = ActionForArguments(args) == StartAction::Hide ? RunningCopy::InTray : RunningCopy::Shown;
    }

    // The package's properties for a session: its scope, as ALLUSERS holds
    // it once the installation has started, and what AppSearch found.
    Properties Session(const std::string& arch, bool perUser, Properties p) {
        p["LocalAppDataFolder"] = kLocalAppData;
        p["ALLUSERS"] = perUser ? "" : "1";
        for (const Search& s : ThePackage().searches)
            p[s.property] = remembered[s.root == "HKCU" ? "HKCU" : s.win64 && arch == "x64" ? "HKLM x64" : "HKLM x86"];
        return p;
    }
    // Runs the actions whose condition holds; the switches run the program.
    void Run(Properties& p, bool afterInstall) {
        for (const Action& a : ThePackage().actions) {
            if (a.AfterInstall() != afterInstall || !Evaluate(a.condition, p)) continue;
            if (!a.property.empty()) p[a.property] = Expand(a.value, p);
            const std::vector<std::u16string> args{program, std::u16string(a.command.begin(), a.command.end())};
            CarryOutInstallerRequest(InstallerRequestFor(args), program, *this, registry, SystemFileSystem(), nullptr);
        }
    }
    // Installs (or upgrades, when a Kestrix is installed) and returns the
    // folder. The old package is removed in the middle, as
    // RemoveExistingProducts does.
    std::string Install(const std::string& arch, bool perUser, bool upgrade) {
        Properties p = Session(arch, perUser, {});
        if (upgrade) p["WIX_UPGRADE_DETECTED"] = "{OLD}";
        Run(p, false);
        if (upgrade) Remove(arch, perUser, true);
        // Windows points Program Files at the user's own programs folder for
        // an install for this user (Single Package Authoring).
        std::string folder = p["INSTALLFOLDER"];
        if (folder.empty() && perUser)
            folder = std::string(kLocalAppData) + "Programs\\Kestrix\\";
        if (folder.empty()) folder = ThePackage().defaultFolder.at(arch);
        // HKMU is the user's hive for this user, else the machine's, in the
        // view of the package's architecture.
        const bool userHive = ThePackage().rememberRoot == "HKCU" || (ThePackage().rememberRoot == "HKMU" && perUser);
        remembered[userHive ? "HKCU" : "HKLM " + arch] = folder;
        Run(p, true);
        return folder;
    }
    void Remove(const std::string& arch, bool perUser, bool forUpgrade) {
        Properties p = Session(arch, perUser, {{"REMOVE", "ALL"}, {"Installed", "1"}});
        if (forUpgrade) p["UPGRADINGPRODUCTCODE"] = "{NEW}";
        Run(p, false);
    }

    bool RunValue(Hive hive) { return !RunEntries(registry, program).Read(hive).empty(); }
};

TEST(InstallerPackage, AnUpgradeRestartsWhatRanAndKeepsTheRunValuesForTheRemovalAfterIt) {
    for (const RunningCopy before : {RunningCopy::None, RunningCopy::InTray, RunningCopy::Shown}) {
        SCOPED_TRACE(int(before));
        Machine m;
        m.Install("x64", false, false);
        RunEntries(m.registry, m.program).AddForThisUser();
        RunEntries(m.registry, m.program).WriteMachineValue();
        m.running = before;

        m.Install("x64", false, true);
        EXPECT_EQ(m.running, before);
        EXPECT_EQ(m.starts.size(), before == RunningCopy::None ? 0u : 1u);
        EXPECT_TRUE(m.RunValue(Hive::CurrentUser) && m.RunValue(Hive::LocalMachine));

        m.Remove("x64", false, false);
        EXPECT_EQ(m.running, RunningCopy::None);
        EXPECT_FALSE(m.RunValue(Hive::CurrentUser) || m.RunValue(Hive::LocalMachine));
    }
}

TEST(InstallerPackage, AnUpgradeThatNeverFinishedDoesNotOutliveTheNextStart) {
    Machine m;
    RunEntries(m.registry, m.program).AddForThisUser();
    Properties p = m.Session("x64", false, {{"WIX_UPGRADE_DETECTED", "{OLD}"}});
    m.Run(p, false);  // then the new package fails and rolls back
    ForgetUnfinishedUpgrade(m.registry);
    m.Remove("x64", false, false);
    EXPECT_FALSE(m.RunValue(Hive::CurrentUser));
}

TEST(InstallerPackage, RunValuesFollowTheProgramWhenAnUpgradeMovesIt) {
    Machine m;
    const std::u16string gone = m.dir.Path("x86\\kestrix.exe"), other = m.dir.Path("other.exe");
    std::ofstream(std::filesystem::path(other)) << "MZ";
    RunEntries(m.registry, gone).AddForThisUser();
    RunEntries(m.registry, other).WriteMachineValue();  // not ours to change
    m.running = RunningCopy::InTray;
    m.Install("x64", false, true);
    EXPECT_EQ(RunEntries(m.registry, m.program).Read(Hive::CurrentUser), RunEntries(m.registry, m.program).CommandText());
    EXPECT_EQ(RunEntries(m.registry, m.program).Read(Hive::LocalMachine), RunEntries(m.registry, other).CommandText());
}

TEST(InstallerPackage, TheFolderFollowsScopeAndArchitectureNotAnotherInstallsMemory) {
    const std::string perUserDefault = std::string(kLocalAppData) + "Programs\\Kestrix\\";
    const std::string x86 = "C:\\Program Files (x86)\\Kestrix\\", apps = "D:\\Apps\\Kestrix\\";
    struct Case {
        const char* what;
        std::map<std::string, std::string> remembered;  // by earlier installs, or written by someone else
        const char* arch;
        bool perUser;
        std::string expected;
    } cases[] = {
        {"the 64-bit package after the 32-bit one", {{"HKCU", x86}, {"HKLM x86", x86}}, "x64", false,
         "C:\\Program Files\\Kestrix\\"},
        {"for all users where an earlier one went", {{"HKLM x64", apps}, {"HKCU", perUserDefault}}, "x64", false, apps},
        {"for this user, remembered inside local application data", {{"HKCU", std::string(kLocalAppData) + "Kx\\"}},
         "x64", true, std::string(kLocalAppData) + "Kx\\"},
        {"for this user, remembered there in other letter case", {{"HKCU", "c:\\users\\KIM\\appdata\\local\\Kx\\"}},
         "x64", true, "c:\\users\\KIM\\appdata\\local\\Kx\\"},
        {"for this user, remembered in Program Files", {{"HKCU", "C:\\Program Files\\Kestrix\\"}}, "x64", true,
         perUserDefault},
        {"for this user, remembered on a share", {{"HKCU", "\\\\server\\apps\\Kestrix\\"}}, "x86", true,
         perUserDefault},
        {"for this user, remembered out of local application data by ..",
         {{"HKCU", std::string(kLocalAppData) + "..\\..\\..\\Public\\"}}, "x64", true, perUserDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        m.remembered = c.remembered;
        EXPECT_EQ(m.Install(c.arch, c.perUser, false), c.expected);
    }
}

}  // namespace
}  // namespace kx
