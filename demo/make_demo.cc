// make-demo: builds the demo installation (both installed copies, both
// character sets, both editions) from Unihan and OpenCC text files.
//
//   make-demo DATA_DIR ROOT
//
// DATA_DIR holds the text files demo/make_demo.sh prepares; ROOT receives
// "Program Files (x86)/lurm/rozevuv_cht/mb/<sub>/" and the same below
// "Program Files/". Existing files are overwritten, so a rerun is harmless.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "demo/demo_data.h"
#include "dictionary/candidate.h"
#include "dictionary/dictionary_writer.h"
#include "platform/text.h"

namespace fs = std::filesystem;
using namespace taliq;
using namespace taliq::demo;

namespace {

// The two program-files folders of a 64-bit system, the 32-bit one first:
// with PROGRAMFILES set to the first, the store finds the second by cutting
// the path before its "(".
const char* const kProgramFilesFolders[] = {"Program Files (x86)", "Program Files"};

bool ReadInto(const fs::path& file, void (*reader)(std::istream&, Sources*), Sources* sources) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "make-demo: cannot read " << file.string() << '\n';
    return false;
  }
  reader(in, sources);
  return true;
}

void PrintSummary(const std::string& sub, const EditionData& data) {
  size_t characters = 0, phrases = 0, codes5 = 0, codes6 = 0, over = 0;
  const std::pair<std::u16string, std::vector<CharacterCandidate>>* biggestChars = nullptr;
  const std::pair<std::u16string, std::vector<PhraseCandidate>>* biggestPhrases = nullptr;
  for (const auto& g : data.characters) {
    characters += g.second.size();
    if (!biggestChars || g.second.size() > biggestChars->second.size()) biggestChars = &g;
    if (g.second.size() > static_cast<size_t>(kCandidateListCapacity)) ++over;
  }
  for (const auto& g : data.phrases) {
    phrases += g.second.size();
    (g.first.size() == 5 ? codes5 : codes6) += 1;
    if (!biggestPhrases || g.second.size() > biggestPhrases->second.size()) biggestPhrases = &g;
    if (g.second.size() > static_cast<size_t>(kCandidateListCapacity)) ++over;
  }
  std::cout << sub << ": " << characters << " character entries in " << data.characters.size()
            << " codes";
  if (biggestChars) {
    std::cout << " (largest " << Utf16ToUtf8(biggestChars->first) << ": "
              << biggestChars->second.size() << ")";
  }
  std::cout << "; " << phrases << " phrases in " << codes5 << " five-digit and " << codes6
            << " six-digit codes";
  if (biggestPhrases) {
    std::cout << " (largest " << Utf16ToUtf8(biggestPhrases->first) << ": "
              << biggestPhrases->second.size() << ")";
  }
  std::cout << "; " << data.droppedPhrases << " phrases left out; " << data.punctuation.size()
            << " marks";
  if (over > 0) std::cout << "; " << over << " codes list only their first 300";
  std::cout << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make-demo DATA_DIR ROOT\n";
    return 2;
  }
  const fs::path data = argv[1];
  const fs::path root = argv[2];

  Sources sources;
  bool ok =
      ReadInto(data / "Unihan_DictionaryLikeData.txt", ReadFourCornerCodes, &sources) &&
      ReadInto(data / "Unihan_DictionaryLikeData.txt", ReadFrequencies, &sources) &&
      ReadInto(data / "Unihan_TotalStrokes.txt", ReadStrokeCounts, &sources) &&
      ReadInto(
          data / "STCharacters.txt",
          [](std::istream& in, Sources* s) { ReadConversionCharacters(in, true, s); }, &sources) &&
      ReadInto(
          data / "TSCharacters.txt",
          [](std::istream& in, Sources* s) { ReadConversionCharacters(in, false, s); }, &sources) &&
      ReadInto(
          data / "STPhrases.txt",
          [](std::istream& in, Sources* s) { ReadConversionPhrases(in, true, s); }, &sources) &&
      ReadInto(
          data / "TSPhrases.txt",
          [](std::istream& in, Sources* s) { ReadConversionPhrases(in, false, s); }, &sources);
  if (!ok) return 1;
  if (sources.characters.empty()) {
    std::cerr << "make-demo: no four-corner codes found in "
              << (data / "Unihan_DictionaryLikeData.txt").string() << '\n';
    return 1;
  }
  std::cout << sources.characters.size() << " characters with four-corner codes; "
            << sources.rejectedLines << " input values not understood\n";

  for (Charset charset : {Charset::kSimplified, Charset::kTraditional}) {
    for (Edition edition : {Edition::kStandard, Edition::k2002}) {
      const std::string sub(DictionaryFolderName({charset, edition}));
      const EditionData editionData = BuildEdition(sources, charset, edition);
      DictionaryWriter writer;
      std::string error;
      if (!AddToWriter(editionData, &writer, &error)) {
        std::cerr << "make-demo: " << sub << ": " << error << '\n';
        return 1;
      }
      for (const char* programFiles : kProgramFilesFolders) {
        const fs::path folder = root / programFiles / "lurm" / "rozevuv_cht" / "mb" / sub;
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) {
          std::cerr << "make-demo: cannot create " << folder.string() << ": " << ec.message()
                    << '\n';
          return 1;
        }
        if (!writer.WriteFolder(folder.string() + static_cast<char>(fs::path::preferred_separator),
                                &error)) {
          std::cerr << "make-demo: " << folder.string() << ": " << error << '\n';
          return 1;
        }
      }
      PrintSummary(sub, editionData);
    }
  }
  return 0;
}
