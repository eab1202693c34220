// RondelBench.exe [--sizes 300,1000] [--rounds 9]: how long a refresh takes under Wine, against a
// plain program that does only the irreducible work of the same listing, once per service (one
// enumeration; each service's key opened and its three values read; its executable's version
// strings read and its icon extracted).
//
// For each size N it registers N stopped services in the prefix, in two mixes: "shared", the
// way real machines look (most services share a few host executables, the way svchost hosts
// them; the rest have executables of their own), and "own" (every service its own executable).
// Catalogue and baseline run alternately, the medians are compared. A stopwatch on every call
// through the platform seam tells where the catalogue's time goes. Then the main window's
// refresh is timed with the largest tab shown. The services and files are removed at the end.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FixturePaths.h"
#include "FormSupport.h"
#include "TimedPlatform.h"
#include "catalogue/CatalogueMemory.h"
#include "catalogue/ServiceCatalogue.h"
#include "platform/Win32Handles.h"
#include "ui/Unit1.h"

using namespace rondel;
using namespace rondel::bench;

namespace {

const char kBenchDirectory[] = "C:\\RondelBench";
constexpr int kSharedHosts = 4;
constexpr int kSharedPercent = 80;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A small deterministic generator: the same services every run.
unsigned Next(unsigned& state) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
}

struct Registered {
    std::vector<std::string> names;
    ~Registered() {
        unique_schandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        for (const std::string& name : names) {
            unique_schandle service(::OpenServiceA(manager.get(), name.c_str(), DELETE));
            if (service) ::DeleteService(service.get());
        }
    }
};

std::string OwnExecutable(int i) { return std::string(kBenchDirectory) + "\\own\\svc" + std::to_string(i) + ".exe"; }

bool PrepareFiles(int count) {
    ::CreateDirectoryA(kBenchDirectory, nullptr);
    ::CreateDirectoryA((std::string(kBenchDirectory) + "\\shared").c_str(), nullptr);
    ::CreateDirectoryA((std::string(kBenchDirectory) + "\\own").c_str(), nullptr);
    const std::string host = fixtures::TestServicePath();
    const std::string own = fixtures::FixturePath("vi_japanese.exe");
    for (int k = 0; k < kSharedHosts; ++k) {
        const std::string target = std::string(kBenchDirectory) + "\\shared\\host" + std::to_string(k) + ".exe";
        if (!::CopyFileA(host.c_str(), target.c_str(), FALSE)) return false;
    }
    for (int i = 0; i < count; ++i)
        if (::GetFileAttributesA(OwnExecutable(i).c_str()) == INVALID_FILE_ATTRIBUTES &&
            !::CopyFileA(own.c_str(), OwnExecutable(i).c_str(), FALSE))
            return false;
    return true;
}

// N stopped services; with shared, most run from a few host executables with arguments.
bool Register(Registered& registered, const char* mix, int count, bool shared) {
    unique_schandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    unsigned random = 12345;
    for (int i = 0; i < count; ++i) {
        const std::string name = std::string("RondelB_") + mix + std::to_string(1000 + i);
        // Display names with repeats: the sort meets equal names.
        const std::string display = "ベンチ サービス " + std::to_string(Next(random) % (count / 2 + 1));
        std::string image;
        if (shared && static_cast<int>(Next(random) % 100) < kSharedPercent) {
            image = std::string(kBenchDirectory) + "\\shared\\host" + std::to_string(Next(random) % kSharedHosts) +
                    ".exe -k group" + std::to_string(i % 17);
        } else {
            image = "\"" + OwnExecutable(i) + "\" -service";
        }
        unique_schandle service(::CreateServiceA(manager.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                                 SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                                 SERVICE_ERROR_IGNORE, image.c_str(), nullptr, nullptr, nullptr,
                                                 nullptr, nullptr));
        if (!service) return false;
        registered.names.push_back(name);
        // The display name as the catalogue reads it (the manager refuses equal display names).
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("SYSTEM\\CurrentControlSet\\Services\\" + name).c_str(), 0,
                            KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            ::RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(display.c_str()),
                             static_cast<DWORD>(display.size() + 1));
            ::RegCloseKey(key);
        }
    }
    return true;
}

std::string QueryString(HKEY key, const char* name) {
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    return value;
}

// The plain program: the same listing's irreducible work, once per service. Returns how many
// services it listed.
int BaselineBuild() {
    unique_schandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    DWORD needed = 0, count = 0, resume = 0;
    ::EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &count, &resume);
    std::vector<BYTE> buffer(needed + 1024);
    resume = 0;
    if (!::EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL,
                               reinterpret_cast<LPENUM_SERVICE_STATUSA>(buffer.data()),
                               static_cast<DWORD>(buffer.size()), &needed, &count, &resume))
        return 0;
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
    for (DWORD r = 0; r < count; ++r) {
        HKEY key = nullptr;
        std::string image;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            (std::string("SYSTEM\\CurrentControlSet\\Services\\") + records[r].lpServiceName).c_str(),
                            0, KEY_READ, &key) == ERROR_SUCCESS) {
            QueryString(key, "DisplayName");
            DWORD type = 0, size = sizeof type;
            ::RegQueryValueExA(key, "Type", nullptr, nullptr, reinterpret_cast<BYTE*>(&type), &size);
            image = QueryString(key, "ImagePath");
            ::RegCloseKey(key);
        }
        // The executable: a quoted path, or the text up to the first blank.
        std::string path = image.empty() || image[0] != '"' ? image.substr(0, image.find(' '))
                                                             : image.substr(1, image.find('"', 1) - 1);
        char expanded[MAX_PATH] = {};
        ::ExpandEnvironmentStringsA(path.c_str(), expanded, MAX_PATH);
        DWORD handle = 0;
        const DWORD versionSize = ::GetFileVersionInfoSizeA(expanded, &handle);
        if (versionSize > 0) {
            std::vector<BYTE> block(versionSize);
            if (::GetFileVersionInfoA(expanded, 0, versionSize, block.data())) {
                WORD* translation = nullptr;
                UINT length = 0;
                if (::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                     &length) &&
                    length >= 4) {
                    char sub[64];
                    for (const char* name : {"CompanyName", "FileDescription"}) {
                        std::snprintf(sub, sizeof sub, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1],
                                      name);
                        char* text = nullptr;
                        ::VerQueryValueA(block.data(), sub, reinterpret_cast<void**>(&text), &length);
                    }
                }
            }
        }
        WORD index = 0;
        unique_hicon icon(::ExtractAssociatedIconA(::GetModuleHandleA(nullptr), expanded, &index));
    }
    return static_cast<int>(count);
}

struct Result {
    double catalogue = 0, baseline = 0;
    int services = 0;
    Shares shares;
};

Result Measure(int rounds) {
    Shares shares;
    TimedPlatform timed(shares);
    platform::Platform system = timed.View();
    ServiceCatalogue catalogue(system);
    const platform::IconHandle defaultIcon = LoadSystemIcon(system, kDefaultServiceIconIndex);
    std::vector<double> catalogueTimes, baselineTimes;
    Shares total;
    Result result;
    // One of each first: the file cache is warm for both.
    catalogue.Clear();
    catalogue.BuildServiceLists(defaultIcon.get());
    BaselineBuild();
    for (int round = 0; round < rounds; ++round) {
        shares.Reset();
        const double start = Stopwatch::Now();
        catalogue.Clear();
        catalogue.BuildServiceLists(defaultIcon.get());
        catalogueTimes.push_back(Stopwatch::Now() - start);
        for (int s = 0; s < kShareCount; ++s) total.seconds[s] += shares.seconds[s];
        const double baselineStart = Stopwatch::Now();
        result.services = BaselineBuild();
        baselineTimes.push_back(Stopwatch::Now() - baselineStart);
    }
    result.catalogue = Median(catalogueTimes);
    result.baseline = Median(baselineTimes);
    double sum = 0;
    for (const double t : catalogueTimes) sum += t;
    for (int s = 0; s < kShareCount; ++s) result.shares.seconds[s] = total.seconds[s] / sum;  // fractions
    return result;
}

// F5 when nothing changed: the build with the memory of the builds before (no catalogue comes),
// and when one executable was written in between (only it is read again).
void MeasureUnchanged(int rounds) {
    platform::Win32Platform machine;
    platform::Platform system = machine.View();
    const platform::IconHandle defaultIcon = LoadSystemIcon(system, kDefaultServiceIconIndex);
    CatalogueMemory memory(system);
    const CatalogueBuild first = BuildCatalogue(system, defaultIcon.get(), &memory);
    std::vector<double> unchanged;
    bool allUnchanged = true;
    for (int round = 0; round < rounds; ++round) {
        const double start = Stopwatch::Now();
        const CatalogueBuild again = BuildCatalogue(system, defaultIcon.get(), &memory);
        unchanged.push_back(Stopwatch::Now() - start);
        allUnchanged = allUnchanged && again.result.unchanged;
    }
    std::printf("F5, nothing changed: %7.1f ms%s\n", Median(unchanged) * 1000,
                allUnchanged ? "" : " (a build found a change!)");
    std::fflush(stdout);
}

void Report(const char* mix, int added, const Result& r) {
    std::printf("%-6s %5d  %5d  %9.1f  %9.1f  %5.2f  %6.3f ", mix, added, r.services, r.catalogue * 1000,
                r.baseline * 1000, r.catalogue / r.baseline, r.catalogue * 1000 / r.services);
    double others = 0;
    for (int s = 0; s < kShareCount; ++s) {
        std::printf(" %5.1f", r.shares.seconds[s] * 100);
        others += r.shares.seconds[s];
    }
    std::printf(" %5.1f\n", (1 - others) * 100);
    std::fflush(stdout);
}

// The main window's refresh with the largest tab (the stopped one) shown, from the key to the
// lists shown (the worker reads, the window shows), and the list-box fill of that tab alone.
void MeasureWindow(int added, int rounds) {
    platform::Win32Platform machine;
    platform::Platform system = machine.View();
    TForm1 form(system, Form1Options{false, false});
    testing::Settle(form);
    form.Session().ShowTab(kStoppedTab);
    std::vector<double> refresh, fill;
    for (int round = 0; round < rounds; ++round) {
        double start = Stopwatch::Now();
        form.Session().Ask(Request::Refresh);
        testing::Settle(form);
        refresh.push_back(Stopwatch::Now() - start);
        // The stopped tab's list shown anew, after another tab's.
        form.Session().ShowTab(kRunningTab);
        start = Stopwatch::Now();
        form.Session().ShowTab(kStoppedTab);
        fill.push_back(Stopwatch::Now() - start);
    }
    std::printf("window %5d  refresh %7.1f ms, of which the list-box fill (%d items) %6.1f ms\n", added,
                Median(refresh) * 1000, form.GLB_List.Items().Count(), Median(fill) * 1000);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes{300, 1000};
    int rounds = 9;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--sizes") == 0) {
            sizes.clear();
            for (char* p = argv[i + 1]; *p != '\0';) {
                sizes.push_back(std::atoi(p));
                while (*p != '\0' && *p != ',') ++p;
                if (*p == ',') ++p;
            }
        }
    }
    const int largest = *std::max_element(sizes.begin(), sizes.end());
    if (!PrepareFiles(largest)) {
        std::fprintf(stderr, "RondelBench: the executables could not be copied into place\n");
        return 1;
    }
    std::printf("%d rounds each, medians; shares of the catalogue's time in %%\n", rounds);
    std::printf("mix    added  listed  catalogue   baseline  ratio  ms/svc  ");
    for (const char* name : kShareNames) std::printf(" %.5s", name);
    std::printf(" own\n");
    for (const int size : sizes) {
        for (const bool shared : {true, false}) {
            const char* mix = shared ? "shared" : "own";
            Registered registered;
            if (!Register(registered, mix, size, shared)) {
                std::fprintf(stderr, "RondelBench: the services could not be registered\n");
                return 1;
            }
            Report(mix, size, Measure(rounds));
            if (shared) MeasureUnchanged(rounds);
            if (shared) MeasureWindow(size, rounds);
        }
    }
    return 0;
}
