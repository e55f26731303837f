// Export of all four dictionaries and the status of the kept orders, beside
// the floor for both: a streaming read of the files they involve (each
// dictionary's four installed files and its snapshot's four: open, read
// through one 128 KiB buffer, close). Target: each within 2 times its floor.
//
//   build/<dir>/bench/orders_bench --benchmark_min_time=1
//   (on a synthetic installation of four dictionaries of about 16 MB each)
//
//   TALIQ_ORDERS_BENCH_ROOT=demo-install build/<dir>/bench/orders_bench
//   (on a copy of the demo installation made by demo/make_demo.sh)
//
//   TALIQ_ORDERS_BENCH_MAKE=DIR build/<dir>/bench/orders_bench
//   (writes the synthetic installation to DIR/"Program Files (x86)" with its
//   data folder DIR/data, and exits: for measuring tunavo-cli's memory)
//
// Before measuring, every dictionary gets a snapshot and one group in 200 of
// its characters is reversed, so that the export has lines to write.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/synthetic.h"
#include "dictionary/dictionary_store.h"
#include "dictionary/dictionary_writer.h"
#include "dictionary/table_walk.h"
#include "orders/data_folder.h"
#include "orders/snapshot.h"
#include "orders/user_orders.h"
#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

using bench::Digits;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "orders_bench: %s\n", what.c_str());
  std::exit(1);
}

// The first installed copy of a dictionary. Every prefix of three digits: eleven character groups
// of 40 and 200 six-digit phrase codes of 5 phrases.
void WriteSyntheticDictionary(const std::string& folder, std::uint32_t seed) {
  std::filesystem::create_directories(folder);
  DictionaryWriter w;
  bench::SyntheticRandom random(seed);
  for (int prefix = 0; prefix < 1000; ++prefix) {
    const std::u16string p = Digits(prefix, 3);
    for (int i = 0; i < 200; ++i) {
      for (int k = 0; k < 5; ++k) {
        const std::u16string text = random.Phrase(2, 3);
        w.AddPhrase(p + Digits(i * 5, 3), {text, {random.Value(), 0}});
      }
    }
    for (int d = 0; d <= 10; ++d) {
      const std::u16string code = d < 10 ? p + Digits(d, 1) : p;
      for (int k = 0; k < 40; ++k) {
        w.AddCharacter(code, {static_cast<char16_t>(0x4E00 + (prefix * 40 + k) % 0x5000),
                              {random.Value(), 0, 1}});
      }
    }
  }
  for (char16_t m : std::u16string(u"，。、；：？！")) w.AddPunctuation(m);
  std::string error;
  if (!w.WriteFolder(folder, &error)) Fail("cannot build the dictionary: " + error);
}

// Snapshots every dictionary and reverses one character group in 200, as
// one batch per dictionary.
void Prepare(const std::string& programFiles, const std::string& dataDir) {
  PortablePlatform platform;
  platform.SetProgramFilesFolder(programFiles);
  platform.SetUserDataFolder(dataDir);
  DictionaryStore store(&platform);
  OrderKeeper keeper(&platform, &store);
  for (DictionaryId id : kAllDictionaries) {
    const std::string folder = store.ResolveDictionaryFolder(id, false);
    DictionaryIndex index;
    if (!index.Load(&platform, folder + kIndexFileName).ok()) Fail("no index in " + folder);
    std::vector<OrderChange> changes;
    int n = 0;
    const Status walked = WalkTable(
        &platform, index, folder + kCharacterTableFileName, TableKind::kCharacters,
        [&](const WalkedGroup& g) {
          if (n++ % 200 != 0 || g.count < 2) return;
          OrderChange c;
          c.group = {id, OrderTable::kCharacters, std::string(g.code.begin(), g.code.end())};
          for (int i = 0; i < g.count; ++i) {
            c.before.emplace_back((*g.entries)[static_cast<std::size_t>(i)].Text());
          }
          c.after.assign(c.before.rbegin(), c.before.rend());
          if (c.after != c.before) changes.push_back(std::move(c));
        });
    if (!walked.ok()) Fail(walked.message());
    if (Status s = keeper.Apply(HistoryKind::kSave, changes); !s.ok()) Fail(s.message());
  }
}

struct Fixture {
  test::TempDir tmp;
  std::string programFiles;
  std::string dataDir;
  std::vector<std::string> involved;  // the files export and status read

  Fixture() {
    const char* root = std::getenv("TALIQ_ORDERS_BENCH_ROOT");
    if (root != nullptr) {
      std::filesystem::copy(root, tmp.Join("root"), std::filesystem::copy_options::recursive);
      programFiles = tmp.Join("root/Program Files (x86)");
    } else {
      programFiles = MakeSynthetic(tmp.Join("root"));
    }
    dataDir = tmp.Join("data");
    Prepare(programFiles, dataDir);
    PortablePlatform platform;
    platform.SetProgramFilesFolder(programFiles);
    DictionaryStore store(&platform);
    for (DictionaryId id : kAllDictionaries) {
      Snapshot snapshot;
      if (!CurrentSnapshot(&platform, dataDir, id, &snapshot).ok()) Fail("no snapshot");
      for (const char* name :
           {kIndexFileName, kCharacterTableFileName, kPhraseTableFileName, kPunctuationFileName}) {
        involved.push_back(store.ResolveDictionaryFolder(id, false) + name);
        involved.push_back(JoinPath(snapshot.folder, name));
      }
    }
  }

  static std::string MakeSynthetic(const std::string& root) {
    const std::string programFiles = root + "/Program Files (x86)";
    std::uint32_t seed = 1;
    for (const char* folder : {"cht", "cht_2002", "chs", "chs_2002"}) {
      WriteSyntheticDictionary(programFiles + "/lurm/rozevuv_cht/mb/" + folder, seed++);
    }
    // The second installed copy, which every save also writes.
    std::filesystem::copy(programFiles, root + "/Program Files",
                          std::filesystem::copy_options::recursive);
    return programFiles;
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_ExportAll(benchmark::State& state) {
  Fixture& f = Shared();
  PortablePlatform platform;
  platform.SetProgramFilesFolder(f.programFiles);
  DictionaryStore store(&platform);
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    ExportReport report;
    const Status s = ExportOrders(
        &platform, store, f.dataDir, kAllDictionaries,
        [&](std::string_view piece) {
          bytes += piece.size();
          return Status::Ok();
        },
        &report);
    if (!s.ok()) state.SkipWithError(s.message().c_str());
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["exported_bytes"] = static_cast<double>(bytes);
}

void BM_Status(benchmark::State& state) {
  Fixture& f = Shared();
  PortablePlatform platform;
  platform.SetProgramFilesFolder(f.programFiles);
  DictionaryStore store(&platform);
  for (auto _ : state) {
    OrdersStatus status;
    const Status s = GetOrdersStatus(&platform, store, f.dataDir, kAllDictionaries, &status);
    if (!s.ok()) state.SkipWithError(s.message().c_str());
    benchmark::DoNotOptimize(status);
  }
}

// The floor: every file involved read once through one 128 KiB buffer.
void BM_StreamRead(benchmark::State& state) {
  Fixture& f = Shared();
  auto buffer = std::make_unique<char[]>(128 * 1024);
  std::size_t total = 0;
  for (auto _ : state) {
    total = 0;
    for (const std::string& path : f.involved) {
      std::FILE* file = std::fopen(path.c_str(), "rb");
      if (file == nullptr) {
        state.SkipWithError(("cannot open " + path).c_str());
        break;
      }
      std::size_t got;
      while ((got = std::fread(buffer.get(), 1, 128 * 1024, file)) > 0) total += got;
      std::fclose(file);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(total));
  state.counters["bytes_read"] = static_cast<double>(total);
}

BENCHMARK(BM_StreamRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Status)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace taliq

int main(int argc, char** argv) {
  if (const char* dir = std::getenv("TALIQ_ORDERS_BENCH_MAKE")) {
    const std::string root(dir);
    taliq::Prepare(taliq::Fixture::MakeSynthetic(root), root + "/data");
    std::printf("synthetic installation: %s/Program Files (x86), data folder %s/data\n", dir, dir);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
