// Lookups on a large synthetic dictionary, beside the floor for one uncached
// lookup: open the table, read the code's block with one read, close.
//
//   build/<dir>/bench/dictionary_bench --benchmark_min_time=2
//       --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//   (one command line)
//
// Each is measured twice: with the table in the page cache (warm), and with
// the table's pages dropped from the cache before every iteration (cold), so
// that its bytes come from the disk. The cold figures are wall-clock times.
// The codes looked up are the last groups of their blocks, so the whole block
// is scanned. Target: each lookup within 1.3 times its floor.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/synthetic.h"
#include "dictionary/dictionary_store.h"
#include "dictionary/dictionary_writer.h"
#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"

namespace taliq {
namespace {

using bench::Digits;

// One installation, built once: every three-digit prefix has a phrase block
// of about 8 KB and a character block of about 9 KB; the prefixes "123" and
// "456" have phrase blocks of about 1.3 MB and 2.8 MB and character blocks
// close to the 65535-byte limit.
struct Installation {
  test::TempDir tmp;
  std::string programFiles;
  std::string folder;

  Installation() {
    programFiles = tmp.Join("Program Files");
    folder = tmp.MakeDirs("Program Files/lurm/rozevuv_cht/mb/chs");
    DictionaryWriter w;
    bench::SyntheticRandom random(1);
    auto phrase = [&random] { return random.Phrase(2, 4); };
    for (int prefix = 0; prefix < 1000; ++prefix) {
      const std::u16string p = Digits(prefix, 3);
      const bool big = p == u"123" || p == u"456";
      // Six-digit codes, then (for "456") the five-digit codes after them.
      const int perPhraseCode = p == u"456" ? 200 : big ? 100 : 30;
      for (int i = 0; i < (big ? 1000 : 20); ++i) {
        for (int k = 0; k < perPhraseCode; ++k) {
          w.AddPhrase(p + Digits(i, 3), {phrase(), {random.Value(), 0}});
        }
      }
      if (p == u"456") {
        for (int i = 0; i < 100; ++i) {
          for (int k = 0; k < perPhraseCode; ++k) {
            w.AddPhrase(p + Digits(i, 2), {phrase(), {random.Value(), 0}});
          }
        }
      }
      // Ten four-digit codes, then the three-digit code.
      const int perCharacterCode = big ? 740 : 100;
      for (int d = 0; d <= 10; ++d) {
        const std::u16string code = d < 10 ? p + Digits(d, 1) : p;
        for (int k = 0; k < perCharacterCode; ++k) {
          w.AddCharacter(code, {random.Character(), {random.Value(), 0, 1}});
        }
      }
    }
    std::string error;
    if (!w.WriteFolder(folder, &error)) {
      std::fprintf(stderr, "cannot build the dictionary: %s\n", error.c_str());
      std::abort();
    }
  }
};

Installation& Install() {
  static Installation installation;
  return installation;
}

struct Target {
  const char16_t* code;
  TableKind table;
  bool cold;
};

std::string TablePath(const Installation& inst, TableKind table) {
  return inst.folder + "/" +
         (table == TableKind::kCharacters ? kCharacterTableFileName : kPhraseTableFileName);
}

// Writes the file's pages back and drops them from the page cache.
bool Evict(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
  ::close(fd);
  return ok;
}

// Pages of the file in the page cache, or -1 when that cannot be told.
long ResidentPages(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  struct stat st;
  long resident = -1;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    const size_t size = static_cast<size_t>(st.st_size);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (map != MAP_FAILED) {
      const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
      std::vector<unsigned char> pages((size + page - 1) / page);
      if (::mincore(map, size, pages.data()) == 0) {
        resident = 0;
        for (unsigned char p : pages) resident += p & 1;
      }
      ::munmap(map, size);
    }
  }
  ::close(fd);
  return resident;
}

// A cold run is only worth reporting if dropping the pages works here.
bool CanRunCold(benchmark::State& state, const std::string& path) {
  if (Evict(path) && ResidentPages(path) == 0) return true;
  state.SkipWithError("the table's pages cannot be dropped from the page cache here");
  return false;
}

// Untimed: before a cold iteration, the table leaves the page cache.
void PrepareIteration(benchmark::State& state, const Target& target, const std::string& path) {
  if (!target.cold) return;
  state.PauseTiming();
  Evict(path);
  state.ResumeTiming();
}

// The lookup as the dialog runs it.
void BM_Lookup(benchmark::State& state, Target target) {
  Installation& inst = Install();
  PortablePlatform platform;
  platform.SetProgramFilesFolder(inst.programFiles);
  DictionaryStore store(&platform);
  CandidateList list{};
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  store.FindBlock(target.code, target.table, &offset, &length);
  const std::string path = TablePath(inst, target.table);
  if (target.cold && !CanRunCold(state, path)) return;
  int found = 0;
  for (auto _ : state) {
    PrepareIteration(state, target, path);
    found = target.table == TableKind::kCharacters ? store.LookupCharacters(target.code, list)
                                                   : store.LookupPhrases(target.code, list);
    benchmark::DoNotOptimize(list.data());
  }
  if (found <= 0) state.SkipWithError("the code was not found");
  state.counters["block_bytes"] = static_cast<double>(length);
  state.counters["candidates"] = found;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
}

// The floor: open, one read of the block into a buffer that already exists,
// close. Unbuffered, as the store reads, so that the read is one system call
// (a buffered stream splits it at its block boundaries).
void BM_Floor(benchmark::State& state, Target target) {
  Installation& inst = Install();
  PortablePlatform platform;
  platform.SetProgramFilesFolder(inst.programFiles);
  DictionaryStore store(&platform);
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  store.FindBlock(target.code, target.table, &offset, &length);
  const std::string path = TablePath(inst, target.table);
  if (target.cold && !CanRunCold(state, path)) return;
  std::vector<std::uint8_t> buffer(length);
  for (auto _ : state) {
    PrepareIteration(state, target, path);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::setvbuf(f, nullptr, _IONBF, 0);
    std::fseek(f, offset, SEEK_SET);
    benchmark::DoNotOptimize(std::fread(buffer.data(), 1, length, f));
    std::fclose(f);
  }
  state.counters["block_bytes"] = static_cast<double>(length);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
}

constexpr Target kCharacters{u"123", TableKind::kCharacters, false};
constexpr Target kPhrases{u"123999", TableKind::kPhrases, false};
constexpr Target kBigPhrases{u"45699", TableKind::kPhrases, false};
constexpr Target kSmallPhrases{u"777019", TableKind::kPhrases, false};

constexpr Target Cold(Target t) {
  t.cold = true;
  return t;
}

BENCHMARK_CAPTURE(BM_Lookup, characters_64k, kCharacters);
BENCHMARK_CAPTURE(BM_Floor, characters_64k, kCharacters);
BENCHMARK_CAPTURE(BM_Lookup, phrases_1m, kPhrases);
BENCHMARK_CAPTURE(BM_Floor, phrases_1m, kPhrases);
BENCHMARK_CAPTURE(BM_Lookup, phrases_3m, kBigPhrases);
BENCHMARK_CAPTURE(BM_Floor, phrases_3m, kBigPhrases);
BENCHMARK_CAPTURE(BM_Lookup, phrases_8k, kSmallPhrases);
BENCHMARK_CAPTURE(BM_Floor, phrases_8k, kSmallPhrases);

// Cold: wall-clock time, since the reads wait for the disk.
BENCHMARK_CAPTURE(BM_Lookup, characters_64k_cold, Cold(kCharacters))->UseRealTime();
BENCHMARK_CAPTURE(BM_Floor, characters_64k_cold, Cold(kCharacters))->UseRealTime();
BENCHMARK_CAPTURE(BM_Lookup, phrases_1m_cold, Cold(kPhrases))->UseRealTime();
BENCHMARK_CAPTURE(BM_Floor, phrases_1m_cold, Cold(kPhrases))->UseRealTime();
BENCHMARK_CAPTURE(BM_Lookup, phrases_3m_cold, Cold(kBigPhrases))->UseRealTime();
BENCHMARK_CAPTURE(BM_Floor, phrases_3m_cold, Cold(kBigPhrases))->UseRealTime();
BENCHMARK_CAPTURE(BM_Lookup, phrases_8k_cold, Cold(kSmallPhrases))->UseRealTime();
BENCHMARK_CAPTURE(BM_Floor, phrases_8k_cold, Cold(kSmallPhrases))->UseRealTime();

}  // namespace
}  // namespace taliq

BENCHMARK_MAIN();
