// The settings reader over the in-memory registry: each value from the policy key, else from
// the user's key, with the same rules; the administrative template names exactly what is read
// under the policy key; a policy that turns the home page off leaves the session refusing it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "FakePlatform.h"
#include "InlineExecutor.h"
#include "catalogue/Settings.h"
#include "model/ServiceSession.h"

namespace rondel {
namespace {

using namespace platform;
using fake::FakeMachine;

using Value = std::pair<uint32_t, std::vector<uint8_t>>;

Value Dword(uint32_t value) {
    return {kRegDword, {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                        static_cast<uint8_t>(value >> 24)}};
}

TEST(Settings, EachValueFromThePolicyKeyElseFromTheUsersKey) {
    const Value text{kRegSz, {'7', '0', '0', 0}};
    const struct {
        const char* what;
        std::optional<Value> policy, user;  // WatchInterval
        std::optional<Value> disableHomePage;
        unsigned interval;
        bool homePage;
    } cases[] = {
        {"nothing set", {}, {}, {}, 500, true},
        {"the user's 0", {}, Dword(0), {}, 0, true},
        {"the user's, below", {}, Dword(100), {}, 250, true},
        {"the user's, within", {}, Dword(1000), {}, 1000, true},
        {"the user's, above", {}, Dword(100000), {}, 60000, true},
        {"the user's 0xFFFFFFFF", {}, Dword(0xFFFFFFFFu), {}, 60000, true},
        {"the user's a string", {}, text, {}, 500, true},
        {"the user's one byte", {}, Value{kRegBinary, {7}}, {}, 500, true},
        {"the user's a dword of 3 bytes", {}, Value{kRegDword, {7, 7, 7}}, {}, 500, true},
        {"the policy's before the user's", Dword(2000), Dword(1000), {}, 2000, true},
        {"the policy's 0 turns the following off", Dword(0), Dword(1000), {}, 0, true},
        {"the policy's held to the least", Dword(1), Dword(1000), {}, 250, true},
        {"the policy's held to the most", Dword(60001), {}, {}, 60000, true},
        {"the policy's alone", Dword(3000), {}, {}, 3000, true},
        {"the policy's a string: the user's", text, Dword(1000), {}, 1000, true},
        {"the policy's a qword: the user's", Value{kRegQword, {0xE8, 3, 0, 0, 0, 0, 0, 0}}, Dword(1000), {}, 1000, true},
        {"the policy's a dword of 3 bytes: the default", Value{kRegDword, {7, 7, 7}}, {}, {}, 500, true},
        {"the home page turned off", {}, {}, Dword(1), 500, false},
        {"the home page turned off by any number but 0", {}, {}, Dword(2), 500, false},
        {"the home page left on by 0", {}, {}, Dword(0), 500, true},
        {"the home page's policy a string", {}, {}, Value{kRegSz, {'1', 0}}, 500, true},
        {"the home page's policy a dword of 1 byte", {}, {}, Value{kRegDword, {1}}, 500, true},
    };
    for (const auto& c : cases) {
        FakeMachine machine;
        machine.registry.CreateKey(kPolicyKey);
        machine.registry.CreateKey(kUserSettingsKey, kHkeyCurrentUser);
        if (c.policy) machine.registry.SetValue(kPolicyKey, "WatchInterval", c.policy->first, c.policy->second);
        if (c.user) machine.registry.SetValue(kUserSettingsKey, "WatchInterval", c.user->first, c.user->second, kHkeyCurrentUser);
        if (c.disableHomePage)
            machine.registry.SetValue(kPolicyKey, "DisableHomePage", c.disableHomePage->first, c.disableHomePage->second);
        const Settings settings = ReadSettings(machine.registry);
        EXPECT_EQ(settings.watchIntervalMs, c.interval) << c.what;
        EXPECT_EQ(settings.homePageAllowed, c.homePage) << c.what;
    }

    // Where the values are not read from.
    FakeMachine elsewhere;
    elsewhere.registry.SetDword(kUserSettingsKey, "DisableHomePage", 1, kHkeyCurrentUser);
    elsewhere.registry.SetDword(kPolicyKey, "WatchInterval", 2000, kHkeyCurrentUser);
    elsewhere.registry.SetDword(kUserSettingsKey, "WatchInterval", 3000);
    EXPECT_EQ(ReadSettings(elsewhere.registry).watchIntervalMs, 500u) << "the user's policies, the machine's settings";
    EXPECT_TRUE(ReadSettings(elsewhere.registry).homePageAllowed) << "only a policy turns the home page off";

    FakeMachine unreadable;
    unreadable.registry.SetDword(kUserSettingsKey, "WatchInterval", 1000, kHkeyCurrentUser);
    unreadable.registry.LimitAccess(kUserSettingsKey, 0, kHkeyCurrentUser);
    EXPECT_EQ(ReadSettings(unreadable.registry).watchIntervalMs, 500u) << "the user's key unreadable";
    unreadable.registry.SetDword(kPolicyKey, "WatchInterval", 2000);
    unreadable.registry.SetDword(kPolicyKey, "DisableHomePage", 1);
    unreadable.registry.LimitAccess(kPolicyKey, 0);
    EXPECT_EQ(ReadSettings(unreadable.registry).watchIntervalMs, 500u) << "the policy key unreadable";
    EXPECT_TRUE(ReadSettings(unreadable.registry).homePageAllowed) << "the policy key unreadable";
}

// Writes down which values are asked for under which key.
class RecordingRegistry final : public IRegistry {
public:
    explicit RecordingRegistry(IRegistry& inner) : inner_(inner) {}
    std::set<std::pair<std::string, std::string>> asked;  // key ("HKLM\..." or "HKCU\..."), value name

    RegistryKeyHandle OpenKey(RawHandle root, const std::string& subKey, uint32_t access, uint32_t& error) override {
        RegistryKeyHandle key = inner_.OpenKey(root, subKey, access, error);
        if (key) paths_[key.get()] = (root == kHkeyLocalMachine ? "HKLM\\" : "HKCU\\") + subKey;
        return key;
    }
    uint32_t QueryValue(RawHandle key, const std::string& name, RegistryData& data) override {
        asked.emplace(paths_.at(key), name);
        return inner_.QueryValue(key, name, data);
    }
    uint32_t SetValue(RawHandle key, const std::string& name, uint32_t type, std::span<const uint8_t> bytes) override {
        return inner_.SetValue(key, name, type, bytes);
    }
    std::unique_ptr<IKeyWatch> WatchKey(RawHandle root, const std::string& subKey) override {
        return inner_.WatchKey(root, subKey);
    }
    std::optional<std::vector<KeyStamp>> SubKeyStamps(RawHandle root, const std::string& subKey) override {
        return inner_.SubKeyStamps(root, subKey);
    }
    void CloseHandle(RawHandle handle) noexcept override { inner_.CloseHandle(handle); }

private:
    IRegistry& inner_;
    std::map<RawHandle, std::string> paths_;
};

TEST(Settings, TheAdministrativeTemplateNamesExactlyTheValuesReadUnderThePolicyKey) {
    std::ifstream file(RONDEL_POLICY_TEMPLATE);
    ASSERT_TRUE(file) << RONDEL_POLICY_TEMPLATE;
    std::stringstream content;
    content << file.rdbuf();
    const std::string admx = content.str();

    std::set<std::pair<std::string, std::string>> named;
    const std::regex policy(R"re(<policy\s[^>]*>[\s\S]*?</policy>)re");
    const std::regex key(R"re(\skey="([^"]*)")re");
    const std::regex valueName(R"re(\svalueName="([^"]*)")re");
    for (auto p = std::sregex_iterator(admx.begin(), admx.end(), policy); p != std::sregex_iterator(); ++p) {
        const std::string text = p->str();
        std::smatch keyMatch;
        ASSERT_TRUE(std::regex_search(text, keyMatch, key)) << text;
        for (auto v = std::sregex_iterator(text.begin(), text.end(), valueName); v != std::sregex_iterator(); ++v)
            named.emplace("HKLM\\" + keyMatch[1].str(), (*v)[1].str());
    }

    // Every key there, so that every value asked for is seen.
    FakeMachine machine;
    machine.registry.CreateKey(kPolicyKey);
    machine.registry.CreateKey(kUserSettingsKey, kHkeyCurrentUser);
    RecordingRegistry recording(machine.registry);
    ReadSettings(recording);
    std::set<std::pair<std::string, std::string>> read;
    for (const auto& [path, name] : recording.asked)
        if (path == std::string("HKLM\\") + kPolicyKey) read.emplace(path, name);
    EXPECT_FALSE(read.empty());
    EXPECT_EQ(named, read);
}

class SessionPolicy : public ::testing::Test {
protected:
    SessionServices Services() {
        return {[] { return uint64_t{1000}; }, [](uint32_t) {}, [] { return std::array<int, 3>{9, 0, 0}; },
                [](const std::string& text) { return text; }, [this](Platform&) { ++homePages; }};
    }
    FakeMachine machine;
    fake::InlineExecutor executor;
    int homePages = 0;
};

TEST_F(SessionPolicy, TheHomePageIsOpenedOnlyWhenNoPolicyTurnsItOffAskedWhileTheSettingsAreReadToo) {
    for (const bool turnedOff : {false, true}) {
        if (turnedOff) machine.registry.SetDword(kPolicyKey, "DisableHomePage", 1);
        homePages = 0;
        ServiceSession session(machine.Platform(), executor, Services());
        EXPECT_FALSE(session.HomePageAllowed()) << "before the settings are read";
        session.Ask(Request::HomePage, true);  // from the menu while the start-up reads: held until then
        session.Start();
        executor.Settle();
        EXPECT_EQ(session.HomePageAllowed(), !turnedOff);
        EXPECT_EQ(homePages, turnedOff ? 0 : 1) << "asked while the settings were read, " << turnedOff;
        EXPECT_EQ(session.Ask(Request::HomePage, true), !turnedOff);
        executor.Settle();
        EXPECT_EQ(homePages, turnedOff ? 0 : 2) << turnedOff;
    }
}

}  // namespace
}  // namespace rondel
