// find --all-dictionaries and check --all-dictionaries beside a streaming
// read of the same files (open, read front to back through one 128 KiB
// buffer, close), on the demo installation and on a synthetic installation
// of more than 100 MB of tables, and the peak memory of the two commands run
// as processes.
//
//   build/rel/bench/whole_table_bench --benchmark_repetitions=5
//       --benchmark_enable_random_interleaving=true
//       --benchmark_report_aggregates_only=true
//   (one command line)
//
// The synthetic installation is built in the set-up with DictionaryWriter
// into a temporary folder and removed at exit; the demo one is read from
// demo-install/ (demo/make_demo.sh) and left out when it is not there.
// Every file is read from the page cache (the first iteration brings it
// in), so the figures compare the work on the bytes, not the disk.
// Target: each command at most 2 times its streaming read, peak memory
// under 16 MiB.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/synthetic.h"
#include "dictionary/dictionary_id.h"
#include "dictionary/dictionary_writer.h"
#include "dictionary/format.h"
#include "dictionary/table_check.h"
#include "dictionary/table_find.h"
#include "platform/portable_platform.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace taliq {
namespace {

using bench::Digits;

constexpr std::size_t kStreamBuffer = 128 * 1024;
// What find looks for: a character neither installation holds (a kana;
// find still walks the blocks where its two bytes happen to stand in
// other bytes), and one that stands in most blocks of both.
const std::u16string kAbsentText = u"\u3042";
const std::u16string kCommonText = u"\u4E00";

// An installation below `root`: the first copies below "Program Files (x86)",
// the second below "Program Files".
struct Installation {
  std::string root;
  std::string First(DictionaryId id) const {
    return root + "/Program Files (x86)/lurm/rozevuv_cht/mb/" +
           std::string(DictionaryFolderName(id)) + "/";
  }
  std::string Second(DictionaryId id) const {
    return root + "/Program Files/lurm/rozevuv_cht/mb/" + std::string(DictionaryFolderName(id)) +
           "/";
  }
  bool Installed(DictionaryId id) const {
    return std::filesystem::exists(First(id) + kIndexFileName);
  }
};

// cht only, both copies: every three-digit prefix has ten four-digit codes
// and its three-digit code of 300 characters each (26 MB of characters),
// and 1000 six-digit and 100 five-digit phrase codes of four and five
// phrases of 2-9 units (78 MB of phrases).
struct Synthetic {
  test::TempDir tmp;
  Installation inst{tmp.path()};

  Synthetic() {
    constexpr DictionaryId kCht = {Charset::kTraditional, Edition::kStandard};
    DictionaryWriter w;
    bench::SyntheticRandom random(7);
    auto phrase = [&random] { return random.Phrase(2, 8); };
    for (int prefix = 0; prefix < 1000; ++prefix) {
      const std::u16string p = Digits(prefix, 3);
      for (int d = 0; d <= 10; ++d) {
        const std::u16string code = d < 10 ? p + Digits(d, 1) : p;
        for (int k = 0; k < 300; ++k) {
          w.AddCharacter(code, {random.Character(), {random.Value(), 0, 1}});
        }
      }
      for (int i = 0; i < 1000; ++i) {
        for (int k = 0; k < 4; ++k) {
          w.AddPhrase(p + Digits(i, 3), {phrase(), {random.Value(), 1}});
        }
      }
      for (int i = 0; i < 100; ++i) {
        for (int k = 0; k < 5; ++k) {
          w.AddPhrase(p + Digits(i, 2), {phrase(), {random.Value(), 1}});
        }
      }
    }
    w.AddPunctuation(u'，');
    std::string error;
    const std::string first = inst.First(kCht);
    std::filesystem::create_directories(first);
    if (!w.WriteFolder(first, &error)) {
      std::fprintf(stderr, "cannot build the dictionary: %s\n", error.c_str());
      std::abort();
    }
    std::filesystem::create_directories(inst.Second(kCht));
    for (const auto& e : std::filesystem::directory_iterator(first)) {
      std::filesystem::copy_file(e.path(), inst.Second(kCht) + e.path().filename().string());
    }
  }
};

Installation& SyntheticInstallation() {
  static Synthetic synthetic;
  return synthetic.inst;
}

Installation& DemoInstallation() {
  static Installation demo{TALIQ_SOURCE_DIR "/demo-install"};
  return demo;
}

bool DemoPresent() {
  return DemoInstallation().Installed({Charset::kTraditional, Edition::kStandard});
}

using InstallationFn = Installation& (*)();

// The files each command reads whole.
std::vector<std::string> FindFiles(const Installation& inst) {
  std::vector<std::string> files;
  for (DictionaryId id : kAllDictionaries) {
    if (!inst.Installed(id)) continue;
    for (const char* f : {kIndexFileName, kCharacterTableFileName, kPhraseTableFileName}) {
      files.push_back(inst.First(id) + f);
    }
  }
  return files;
}

std::vector<std::string> CheckFiles(const Installation& inst) {
  std::vector<std::string> files;
  for (DictionaryId id : kAllDictionaries) {
    if (!inst.Installed(id)) continue;
    for (const std::string& folder : {inst.First(id), inst.Second(id)}) {
      for (const char* f :
           {kIndexFileName, kCharacterTableFileName, kPhraseTableFileName, kPunctuationFileName}) {
        files.push_back(folder + f);
      }
    }
  }
  return files;
}

std::int64_t StreamFiles(const std::vector<std::string>& files, std::uint8_t* buffer) {
  std::int64_t total = 0;
  for (const std::string& path : files) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) continue;
    std::setvbuf(f, nullptr, _IONBF, 0);
    for (std::size_t got; (got = std::fread(buffer, 1, kStreamBuffer, f)) > 0;) {
      total += static_cast<std::int64_t>(got);
      benchmark::DoNotOptimize(buffer[got - 1]);
    }
    std::fclose(f);
  }
  return total;
}

void BM_Stream(benchmark::State& state, InstallationFn installation, bool check) {
  const Installation& inst = installation();
  const std::vector<std::string> files = check ? CheckFiles(inst) : FindFiles(inst);
  auto buffer = std::make_unique<std::uint8_t[]>(kStreamBuffer);
  std::int64_t bytes = 0;
  for (auto _ : state) bytes = StreamFiles(files, buffer.get());
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
}

// What find --all-dictionaries does.
void BM_Find(benchmark::State& state, InstallationFn installation, const std::u16string* text) {
  const Installation& inst = installation();
  PortablePlatform platform;
  const std::u16string texts[] = {*text};
  std::vector<FindHit> hits;
  for (auto _ : state) {
    hits.clear();
    for (DictionaryId id : kAllDictionaries) {
      if (!inst.Installed(id)) continue;
      const Status s = FindInDictionary(&platform, inst.First(id), id, texts, &hits);
      if (!s.ok()) state.SkipWithError(s.message().c_str());
    }
  }
  if (hits.empty() != (text == &kAbsentText)) state.SkipWithError("unexpected hits");
  state.counters["hits"] = static_cast<double>(hits.size());
}

// What check --all-dictionaries does.
void BM_Check(benchmark::State& state, InstallationFn installation) {
  const Installation& inst = installation();
  PortablePlatform platform;
  int problems = 0;
  CheckReport report;
  report.problem = [&](const CheckProblem&) { ++problems; };
  report.differs = [&](TableKind, const std::u16string&) { ++problems; };
  for (auto _ : state) {
    for (DictionaryId id : kAllDictionaries) {
      if (!inst.Installed(id)) continue;
      CheckDictionary(&platform, inst.First(id), inst.Second(id), report);
    }
  }
  if (problems > 0) state.SkipWithError("the installation has problems");
}

// Runs the command as a process under GNU time and gives its peak resident
// memory in KiB, or -1 when it could not be run. The command is started by
// time, a small process: a process this one started directly would count
// this one's memory in its peak (it shares or copies it until its exec).
long PeakKiB(const std::vector<std::string>& command) {
  // time's report, removed at exit.
  struct ReportFile {
    std::string name = std::filesystem::temp_directory_path() / "whole_table_bench.XXXXXX";
    ReportFile() {
      const int fd = mkstemp(name.data());
      if (fd >= 0) close(fd);
    }
    ~ReportFile() { std::remove(name.c_str()); }
  };
  static const ReportFile reportFile;
  const std::string& report = reportFile.name;
  std::vector<std::string> args = {"/usr/bin/time", "-f", "%M", "-o", report};
  args.insert(args.end(), command.begin(), command.end());
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  // The last line is the figure (a non-zero exit status is noted before).
  std::FILE* f = std::fopen(report.c_str(), "r");
  long kib = -1;
  if (f != nullptr) {
    char line[256];
    while (std::fgets(line, sizeof(line), f) != nullptr) {
      char* end = nullptr;
      const long v = std::strtol(line, &end, 10);
      if (end != line) kib = v;
    }
    std::fclose(f);
  }
  return kib;
}

// Peak memory of tunavo-cli find --all-dictionaries and check
// --all-dictionaries (whole processes), and of a process that only prints
// its version, for scale.
void BM_PeakMemory(benchmark::State& state, InstallationFn installation) {
  const std::string programFiles = installation().root + "/Program Files (x86)";
  long find = 0, check = 0, bare = 0;
  for (auto _ : state) {
    find = PeakKiB({TUNAVO_CLI_PATH, "--program-files", programFiles, "find", "--all-dictionaries",
                    "\xE9\xBE\x98"});
    check =
        PeakKiB({TUNAVO_CLI_PATH, "--program-files", programFiles, "check", "--all-dictionaries"});
    bare = PeakKiB({TUNAVO_CLI_PATH, "--version"});
  }
  if (find < 0 || check < 0) state.SkipWithError("tunavo-cli could not be run");
  state.counters["find_peak_KiB"] = static_cast<double>(find);
  state.counters["check_peak_KiB"] = static_cast<double>(check);
  state.counters["version_peak_KiB"] = static_cast<double>(bare);
}

void Register() {
  struct Source {
    const char* name;
    InstallationFn installation;
  };
  std::vector<Source> sources;
  if (DemoPresent()) sources.push_back({"demo", DemoInstallation});
  sources.push_back({"synthetic", SyntheticInstallation});
  for (const Source& s : sources) {
    const std::string n = s.name;
    benchmark::RegisterBenchmark(("find_all_absent/" + n).c_str(), BM_Find, s.installation,
                                 &kAbsentText)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("find_all_common/" + n).c_str(), BM_Find, s.installation,
                                 &kCommonText)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("stream_find_files/" + n).c_str(), BM_Stream, s.installation,
                                 false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("check_all/" + n).c_str(), BM_Check, s.installation)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("stream_check_files/" + n).c_str(), BM_Stream, s.installation,
                                 true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("peak_memory/" + n).c_str(), BM_PeakMemory, s.installation)
        ->Iterations(1)
        ->Repetitions(1)
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace
}  // namespace taliq

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  taliq::Register();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
