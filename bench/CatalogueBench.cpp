// How long a refresh of the catalogue takes with hundreds of services, against the in-memory
// machine (so this measures the program's own work: texts, resolution, sorting).
#include <benchmark/benchmark.h>

#include <string>

#include "FakePlatform.h"
#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceEntry.h"

namespace {

using namespace rondel;

void Populate(fake::FakeMachine& machine, int count) {
    fake::FakeVersionInfo version;
    version.tables["041104B0"] = {{"CompanyName", "ロンデル試験"}, {"FileDescription", "ベンチマーク用サービス"}};
    for (int i = 0; i < count; ++i) {
        const std::string exe = "C:\\Program Files\\Bench\\svc" + std::to_string(i) + ".exe";
        machine.files.AddFile(exe, fake::FakeFile{version, std::string("icon")});
        // Names in reverse order: the sort has the most work.
        machine.AddService("Bench" + std::to_string(i), "サービス " + std::to_string(100000 - i),
                           "\"" + exe + "\" -service", i % 2 ? platform::kServiceRunning : platform::kServiceStopped);
    }
}

void BM_RefreshCatalogue(benchmark::State& state) {
    fake::FakeMachine machine;
    Populate(machine, static_cast<int>(state.range(0)));
    platform::Platform system = machine.Platform();
    ServiceCatalogue catalogue(system);
    const platform::IconHandle defaultIcon = machine.shell.MakeIcon("default");
    for (auto _ : state) {
        catalogue.Clear();
        benchmark::DoNotOptimize(catalogue.BuildServiceLists(defaultIcon.get()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RefreshCatalogue)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SortStateList(benchmark::State& state) {
    fake::FakeMachine machine;
    auto images = machine.shell.CreateImageList(32, 32);
    std::vector<std::string> items;
    for (int i = 0; i < state.range(0); ++i) {
        ServiceEntry e;
        e.serviceName = "S" + std::to_string(i);
        e.displayName = "表示 " + std::to_string(100000 - i);
        items.push_back(MakeServiceItem(e));
        images->AddIcon(machine.shell.MakeIcon(e.serviceName).get());
    }
    for (auto _ : state) {
        std::vector<std::string> copy = items;
        SortStateList(copy, *images);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_SortStateList)->Arg(300)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
