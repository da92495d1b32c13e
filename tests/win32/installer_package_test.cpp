// The package's conditions, read out of installer/kestrix.wxs and evaluated
// by Windows Installer's rules for conditions, with what the program's
// installer switches then do. Wine's msiexec cannot show the Windows side:
// it never sets UPGRADINGPRODUCTCODE in an upgrade's removal of the old
// package. Each scenario runs both ways.
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

// Conditions as MsiEvaluateCondition reads them: properties, "literals" and
// integers; = <> < > <= >= and the substring operators >< << >>, each with
// ~ for a comparison that ignores case; NOT over AND over OR; a missing
// property is the empty string, and a value alone is true when not empty.
class Condition {
public:
    Condition(std::string_view text, const Properties& p) : s_(text), p_(p) {}
    bool Evaluate() {
        const bool v = Or();
        Skip();
        EXPECT_EQ(at_, s_.size()) << "unread condition text: " << s_.substr(at_);
        return v;
    }

private:
    struct Value {
        std::string text;
        bool integer = false;  // an integer literal, or a property that holds one
        bool literal = false;  // written as an integer
        long number = 0;
    };
    void Skip() {
        while (at_ < s_.size() && s_[at_] == ' ') ++at_;
    }
    bool Word(const char* w) {
        Skip();
        const size_t n = std::strlen(w);
        if (s_.compare(at_, n, w) != 0 || (at_ + n < s_.size() && std::isalnum(uint8_t(s_[at_ + n])))) return false;
        at_ += n;
        return true;
    }
    bool Or() {
        bool v = And();
        while (Word("OR")) v = And() || v;
        return v;
    }
    bool And() {
        bool v = Not();
        while (Word("AND")) v = Not() && v;
        return v;
    }
    bool Not() { return Word("NOT") ? !Not() : Term(); }
    bool Term() {
        Skip();
        if (s_[at_] == '(') {
            ++at_;
            const bool v = Or();
            Skip();
            EXPECT_EQ(s_[at_], ')');
            ++at_;
            return v;
        }
        const Value left = Operand();
        Skip();
        static const char* const kOperators[] = {"<>", "<=", ">=", "><", "<<", ">>", "<", ">", "="};
        const bool noCase = at_ < s_.size() && s_[at_] == '~';
        for (const char* op : kOperators)
            if (s_.compare(at_ + noCase, std::strlen(op), op) == 0) {
                at_ += noCase + std::strlen(op);
                return Compare(left, op, Operand(), noCase);
            }
        return left.integer ? left.number != 0 : !left.text.empty();
    }
    Value Operand() {
        Skip();
        Value v;
        if (s_[at_] == '"') {
            const size_t end = s_.find('"', at_ + 1);
            v.text = s_.substr(at_ + 1, end - at_ - 1);
            at_ = end + 1;
            return v;
        }
        const size_t start = at_;
        while (at_ < s_.size() && (std::isalnum(uint8_t(s_[at_])) || s_[at_] == '_' || s_[at_] == '.')) ++at_;
        const std::string token = s_.substr(start, at_ - start);
        EXPECT_FALSE(token.empty()) << "no operand at " << s_.substr(start);
        if (std::isdigit(uint8_t(token[0]))) return Value{token, true, true, std::stol(token)};
        const auto found = p_.find(token);
        v.text = found == p_.end() ? "" : found->second;
        v.integer = !v.text.empty() && v.text.find_first_not_of("0123456789") == std::string::npos;
        if (v.integer) v.number = std::stol(v.text);
        return v;
    }
    static bool Compare(Value a, std::string_view op, Value b, bool noCase) {
        if (a.integer && b.integer && op != "><" && op != "<<" && op != ">>") {
            const long x = a.number, y = b.number;
            return op == "=" ? x == y : op == "<>" ? x != y : op == "<" ? x < y : op == ">" ? x > y
                 : op == "<=" ? x <= y : x >= y;
        }
        if (a.literal != b.literal && !(a.integer && b.integer)) return op == "<>";
        if (noCase)
            for (std::string* t : {&a.text, &b.text})
                for (char& c : *t) c = char(std::tolower(uint8_t(c)));
        const std::string& x = a.text;
        const std::string& y = b.text;
        if (op == "><") return x.find(y) != std::string::npos;
        if (op == "<<") return x.compare(0, y.size(), y) == 0;
        if (op == ">>") return x.size() >= y.size() && x.compare(x.size() - y.size(), y.size(), y) == 0;
        return op == "=" ? x == y : op == "<>" ? x != y : op == "<" ? x < y : op == ">" ? x > y
             : op == "<=" ? x <= y : x >= y;
    }
    std::string s_;
    const Properties& p_;
    size_t at_ = 0;
};

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

// Whose msiexec: Windows' follows its documentation; Wine's sets no
// UPGRADINGPRODUCTCODE.
enum class Msiexec { Windows, Wine };

constexpr char kLocalAppData[] = "C:\\Users\\kim\\AppData\\Local\\";

// One machine with one user: the program's registry, the folders the
// package remembered, and the desktop the program runs on.
struct Machine final : InstallerHost {
    Msiexec msiexec = Msiexec::Windows;
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
            if (a.AfterInstall() != afterInstall || !Condition(a.condition, p).Evaluate()) continue;
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
        // an install for this user (Single Package Authoring); Wine does not.
        std::string folder = p["INSTALLFOLDER"];
        if (folder.empty() && perUser && msiexec == Msiexec::Windows)
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
        if (forUpgrade && msiexec == Msiexec::Windows) p["UPGRADINGPRODUCTCODE"] = "{NEW}";
        Run(p, false);
    }

    bool RunValue(Hive hive) { return !RunEntries(registry, program).Read(hive).empty(); }
};

class InstallerPackage : public ::testing::TestWithParam<Msiexec> {};

TEST_P(InstallerPackage, AnUpgradeRestartsWhatRanAndKeepsTheRunValuesForTheRemovalAfterIt) {
    for (const RunningCopy before : {RunningCopy::None, RunningCopy::InTray, RunningCopy::Shown}) {
        SCOPED_TRACE(int(before));
        Machine m;
        m.msiexec = GetParam();
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

TEST_P(InstallerPackage, AnUpgradeThatNeverFinishedDoesNotOutliveTheNextStart) {
    Machine m;
    m.msiexec = GetParam();
    RunEntries(m.registry, m.program).AddForThisUser();
    Properties p = m.Session("x64", false, {{"WIX_UPGRADE_DETECTED", "{OLD}"}});
    m.Run(p, false);  // then the new package fails and rolls back
    ForgetUnfinishedUpgrade(m.registry);
    m.Remove("x64", false, false);
    EXPECT_FALSE(m.RunValue(Hive::CurrentUser));
}

INSTANTIATE_TEST_SUITE_P(Msiexecs, InstallerPackage, ::testing::Values(Msiexec::Windows, Msiexec::Wine));

// The folder and the moved program do not depend on UPGRADINGPRODUCTCODE:
// Windows' msiexec alone.
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
        {"for all users by someone who once installed for themselves", {{"HKCU", perUserDefault}}, "x64", false,
         "C:\\Program Files\\Kestrix\\"},
        {"the 64-bit package after the 32-bit one", {{"HKCU", x86}, {"HKLM x86", x86}}, "x64", false,
         "C:\\Program Files\\Kestrix\\"},
        {"for all users where an earlier one went", {{"HKLM x64", apps}, {"HKCU", perUserDefault}}, "x64", false, apps},
        {"for this user", {{"HKLM x64", apps}}, "x64", true, perUserDefault},
        {"for this user, remembered inside local application data", {{"HKCU", std::string(kLocalAppData) + "Kx\\"}},
         "x64", true, std::string(kLocalAppData) + "Kx\\"},
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

TEST(InstallerPackage, TheConditionRulesOfTheDecisionsAbove) {
    const Properties p{{"A", "2"}, {"B", ""}, {"F", "C:\\Users\\Kim\\x"}, {"L", "c:\\users\\kim\\"}};
    struct {
        const char* condition;
        bool expected;
    } cases[] = {
        {"A", true}, {"B", false}, {"MISSING", false}, {"NOT B", true}, {"A=2", true}, {"A=\"2\"", true},
        {"B=1", false}, {"NOT A OR (A=2 AND B=1)", false}, {"A AND NOT (A=2 AND B=1)", true},
        {"F << L", false}, {"F ~<< L", true}, {"F >< \"..\"", false}, {"L >> \"\\\"", true}, {"A <> 3", true},
    };
    for (const auto& c : cases) EXPECT_EQ(Condition(c.condition, p).Evaluate(), c.expected) << c.condition;
    EXPECT_FALSE(ThePackage().actions.empty());
}

}  // namespace
}  // namespace kx
