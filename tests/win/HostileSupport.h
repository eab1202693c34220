// Helpers of the hostile-input tests: test services whose keys hold raw values, and the
// catalogue of the whole machine built in-process, as the main window builds it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestService.h"
#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceEntry.h"
#include "platform/Win32Platform.h"

namespace rondel::testing {

// The version strings of the test service and of vi_japanese.exe, and the texts of a file not found.
inline const std::string kServiceCompany = "ロンデル試験株式会社";
inline const std::string kServiceDescription = "ロンデル試験用サービス";
inline const std::string kJapaneseDescription = "日本語の版情報のある実行ファイル";
inline const std::string kUnknown = "不明";
inline const std::string kNotFound = "実行ファイルが見つかりません";
// A plain service registered beside the odd ones; it must be listed as ever.
inline const std::string kCanary = "RondelT_HCanary";
inline const std::string kCanaryDisplay = "ロンデル試験カナリア";

inline constexpr DWORD kDeleted = 0xFFFFFFFF;  // the value is removed from the key

// A registry value exactly as stored: type and bytes.
struct Value {
    std::string name;
    DWORD type = REG_SZ;
    std::string bytes;
};

std::string Sz(const std::string& text);  // with its NUL
std::string Dword(DWORD value);
std::string Qword(unsigned long long value);
std::string Multi(const std::string& a, const std::string& b);

// Text of exactly `bytes` bytes: `head`, then `fill` repeated while it fits, then 'x' to the end.
std::string TextOfLength(std::string head, std::size_t bytes, const std::string& fill = "x");

// Stopped test services, each registered with the display name "試験 " + its name less the
// prefix and its key given raw values; removed with the object. The canary is always there.
class Services {
public:
    Services();
    fixtures::TestService& Add(const std::string& name, const std::vector<Value>& values, const std::string& image = {});

private:
    std::vector<std::unique_ptr<fixtures::TestService>> services_;
};

// A directory of its own under the temporary directory, emptied and removed with the object.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& Path() const { return path_; }  // ends with a backslash
    // Each makes something below the directory and gives its full path.
    std::string Directory(const std::string& relative);
    std::string Copy(const std::string& source, const std::string& relative);
    std::string Write(const std::string& relative, const std::string& bytes);

private:
    std::string path_;
    std::vector<std::string> files_;
    std::vector<std::string> directories_;
};

// The catalogue of the whole machine, built in-process with the default icon.
class BuiltCatalogue {
public:
    BuiltCatalogue();

    const BuildResult& Result() const { return result_; }
    double Seconds() const { return seconds_; }
    // A stopped service's entry and whether its image is the default icon; nullopt when it is
    // not in the stopped list.
    std::optional<std::pair<ServiceEntry, bool>> Stopped(const std::string& name);
    std::vector<std::string> ErrorsOf(const std::string& name) const;
    std::set<std::string> AllNames() const;

private:
    platform::Win32Platform win32_;
    platform::Platform system_;
    platform::IconHandle defaultIcon_;
    ServiceCatalogue catalogue_;
    BuildResult result_;
    double seconds_ = 0;
    std::vector<DWORD> defaultPixels_;
};

// What a service shows in the stopped list.
struct Listed {
    std::string displayName;
    std::string imagePath;
    std::string company;
    std::string description;
    std::string error;  // its one entry in readErrors; empty: none
};

// The service is in the stopped list with these texts and error, and shows the default icon
// exactly when no file was found for it.
void ExpectListed(BuiltCatalogue& built, const std::string& name, const Listed& expected);

// Every service the manager knows is listed, the canary as ever, and the build was quick.
void ExpectTheRestListed(BuiltCatalogue& built);

}  // namespace rondel::testing
