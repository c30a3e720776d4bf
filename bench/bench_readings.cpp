// The reading pass: one full pass with every source of this machine, the
// fake hwmon and power trees where the machine has no such device, and every
// outside program's block present under a block prefix of the benchmark's
// own. Reports the time per pass, the allocations per pass, the growth of
// memory over 100,000 passes, and each source alone to find the hot spots.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "readings/BlockRivaTuner.h"
#include "readings/BlockSources.h"
#include "readings/FileSources.h"
#include "readings/ReadingPass.h"
#include "readings/SharedBlock.h"
#include "readings/SystemSources.h"
#include "readings/ValueBlock.h"
#include "settings/EventLog.h"

// Allocation counters for the whole program. A replaced global operator new
// is the only way to see every allocation of the readers, so these two are
// the benchmark's one piece of program-wide state.
namespace {
std::atomic<uint64_t> g_news{0};
std::atomic<uint64_t> g_deletes{0};
}  // namespace

void* operator new(std::size_t size) {
    g_news.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    g_deletes.fetch_add(1, std::memory_order_relaxed);
    std::free(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

using namespace cx;
namespace fs = std::filesystem;

constexpr size_t kBlockSize = 64 * 1024;

// Resident memory of this process in KB.
int64_t ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

bool HasEntries(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && !fs::is_empty(folder, ec);
}

// A root folder that is this machine's /proc, /sys and /dev, except that the
// hwmon and power-supply classes come from the fixture trees when the machine
// has none.
class tMixedRoot {
public:
    tMixedRoot() {
        std::string pattern = (fs::temp_directory_path() / "cx-bench-root-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        m_path = pattern;
        fs::create_symlink("/proc", m_path / "proc");
        fs::create_symlink("/dev", m_path / "dev");
        fs::create_directories(m_path / "sys/class");
        for (const fs::directory_entry& entry : fs::directory_iterator("/sys")) {
            if (entry.path().filename() != "class")
                fs::create_symlink(entry.path(), m_path / "sys" / entry.path().filename());
        }
        for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class")) {
            const fs::path name = entry.path().filename();
            if (name == "hwmon" || name == "power_supply") continue;
            fs::create_symlink(entry.path(), m_path / "sys/class" / name);
        }
        const fs::path fixtures = CALORIX_FIXTURES;
        Link("hwmon", fixtures / "sysfs/hwmon/sys/class/hwmon");
        Link("power_supply", fixtures / "sysfs/power/sys/class/power_supply");
    }
    ~tMixedRoot() {
        std::error_code ec;
        fs::remove_all(m_path, ec);  // removes the links, never what they point to
    }
    tMixedRoot(const tMixedRoot&) = delete;
    tMixedRoot& operator=(const tMixedRoot&) = delete;

    std::string Path() const { return m_path.string(); }

private:
    void Link(const char* className, const fs::path& fake) {
        const fs::path real = fs::path("/sys/class") / className;
        fs::create_symlink(HasEntries(real) ? real : fake, m_path / "sys/class" / className);
    }

    fs::path m_path;
};

// Every block of the outside programs and the published value block, present
// for the life of the object under the benchmark's own block prefix.
class tBenchBlocks {
public:
    tBenchBlocks() {
        const std::string prefix = "cx-bench-" + std::to_string(getpid()) + "-";
        setenv(kSharedBlockPrefixVariable, prefix.c_str(), 1);
        const tSharedBlockInfo* blocks[] = {
            &kAIDA64Block,   &kEverestBlock,  &kCPUIDBlock,   &kCPUCooLBlock,   &kVCoolBlock,
            &kHmonitorBlock, &kSpeedFanBlock, &kATIToolBlock, &kRivaTunerBlock, &kATITrayToolsBlock,
            &kCoreTempBlock, &kMBM5190Block,  &kMBM510xBlock, &kValueBlock};
        for (const tSharedBlockInfo* block : blocks) {
            std::vector<uint8_t> bytes(kBlockSize, 0);
            if (block == &kValueBlock) FillValueBlockMarkers(bytes.data());
            if (block == &kRivaTunerBlock) {
                std::memcpy(bytes.data(), &kRivaTunerSignature, sizeof kRivaTunerSignature);
            }
            Create(SharedBlockObjectName(block->name), bytes);
        }
    }
    ~tBenchBlocks() {
        for (const std::string& name : m_names) shm_unlink(name.c_str());
        unsetenv(kSharedBlockPrefixVariable);
    }
    tBenchBlocks(const tBenchBlocks&) = delete;
    tBenchBlocks& operator=(const tBenchBlocks&) = delete;

private:
    void Create(const std::string& name, const std::vector<uint8_t>& bytes) {
        const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (fd < 0) std::abort();
        if (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 ||
            write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            std::abort();
        }
        close(fd);
        m_names.push_back(name);
    }

    std::vector<std::string> m_names;
};

// The MobileMeter step looks for its program among the real machine's
// processes, which a mixed root cannot stand in for: this source runs it over
// the real /proc, so the pass pays for the search as the monitor does.
class tRealProcessSource : public IReadingSource {
public:
    explicit tRealProcessSource(std::unique_ptr<IReadingSource> inner)
        : m_inner(std::move(inner)) {}
    void Read(tReadingContext& context) override {
        tReadingContext real{context.rs, context.settings, context.events, context.clock, "/"};
        m_inner->Read(real);
    }

private:
    std::unique_ptr<IReadingSource> m_inner;
};

// One program's reading state over the mixed root, with every source.
struct tBenchMachine {
    tMixedRoot root;
    tBenchBlocks blocks;
    bool debug = false;
    tEventLog events{"/dev/null", debug};
    tReadingSet rs;
    tSettings settings;
    tReadingSources sources;
    tReadingContext context{rs, settings, events, SystemClock(), root.Path()};

    tBenchMachine() {
        // Thermal zones are off by default; on here so that step is measured too.
        settings.ThermalZones = true;
        AddSystemSources(sources);
        AddBlockSources(sources);
        AddFileSources(sources, tFileSourcePlaces{root.Path() + "/", root.Path() + "/", {}});
        sources.mobileMeter = std::make_unique<tRealProcessSource>(std::move(sources.mobileMeter));
        // The user's activity is asked of the display; a fixed answer keeps
        // the benchmark to the readers.
        sources.idleSeconds = [] { return int64_t{0}; };
        InitReadings(context, sources);
        // The first passes fill the reader's caches and buffers.
        for (int i = 0; i < 20; ++i) ReadValues(context, sources, false);
    }
};

void ReadingPass(benchmark::State& state) {
    tBenchMachine machine;
    uint64_t allocations = 0;
    for (auto _ : state) {
        const uint64_t before = g_news.load(std::memory_order_relaxed);
        ReadValues(machine.context, machine.sources, false);
        allocations += g_news.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(machine.rs.sample);
    }
    state.counters["allocs/pass"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}
BENCHMARK(ReadingPass)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// 100,000 passes: the memory still held afterwards, and the resident size.
void ReadingPassMemory(benchmark::State& state) {
    tBenchMachine machine;
    for (auto _ : state) {
        const int64_t liveBefore = static_cast<int64_t>(g_news.load() - g_deletes.load());
        const int64_t residentBefore = ResidentKilobytes();
        for (int i = 0; i < 100000; ++i) ReadValues(machine.context, machine.sources, false);
        state.counters["liveAllocsGrowth"] = static_cast<double>(
            static_cast<int64_t>(g_news.load() - g_deletes.load()) - liveBefore);
        state.counters["residentGrowthKB"] =
            static_cast<double>(ResidentKilobytes() - residentBefore);
    }
}
BENCHMARK(ReadingPassMemory)->Unit(benchmark::kSecond)->Iterations(1);

// Each source alone, to name the ones that take the time or allocate.
struct tSourceStep {
    const char* name;
    std::unique_ptr<IReadingSource> tReadingSources::*source;
};
const tSourceStep kSteps[] = {
    {"hwmon", &tReadingSources::hwmon},
    {"aida64", &tReadingSources::aida64},
    {"everest", &tReadingSources::everest},
    {"cpuid", &tReadingSources::cpuid},
    {"cpuCool", &tReadingSources::cpuCool},
    {"vCool", &tReadingSources::vCool},
    {"hMonitor", &tReadingSources::hMonitor},
    {"speedFan", &tReadingSources::speedFan},
    {"atiTool", &tReadingSources::atiTool},
    {"rivaTuner", &tReadingSources::rivaTuner},
    {"atiTrayTools", &tReadingSources::atiTrayTools},
    {"freq", &tReadingSources::freq},
    {"coreTemp", &tReadingSources::coreTemp},
    {"cpu", &tReadingSources::cpu},
    {"thermalZones", &tReadingSources::thermalZones},
    {"mobileMeter", &tReadingSources::mobileMeter},
    {"mbm5190", &tReadingSources::mbm5190},
    {"mbm5107", &tReadingSources::mbm5107},
    {"mbm509x", &tReadingSources::mbm509x},
    {"net", &tReadingSources::net},
    {"batteries", &tReadingSources::batteries},
    {"disk", &tReadingSources::disk},
    {"valueBlock", &tReadingSources::valueBlock},
    {"mem", &tReadingSources::mem},
    {"upTime", &tReadingSources::upTime},
};

void OneSource(benchmark::State& state, const tSourceStep& step) {
    tBenchMachine machine;
    const std::unique_ptr<IReadingSource>& source = machine.sources.*step.source;
    if (!source) {
        state.SkipWithError("not built");
        return;
    }
    uint64_t allocations = 0;
    for (auto _ : state) {
        const uint64_t before = g_news.load(std::memory_order_relaxed);
        try {
            source->Read(machine.context);
        } catch (const std::exception& e) {
            // A block of zeros may be one its reader rejects; that is still
            // the work a pass does with it.
            benchmark::DoNotOptimize(e.what());
        }
        allocations += g_news.load(std::memory_order_relaxed) - before;
    }
    state.counters["allocs/pass"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

}  // namespace

int main(int argc, char** argv) {
    for (const tSourceStep& step : kSteps) {
        benchmark::RegisterBenchmark((std::string("Source/") + step.name).c_str(), OneSource, step)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
