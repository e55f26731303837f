// Builds the installation the whole-process lookup is measured on: a
// traditional standard dictionary whose phrase block of the prefix "123"
// is about 25 MB (1111 codes of 300 phrases of 22-47 units), the group of
// "123999" stored last in it.
//
//   make_big_block ROOT
//
// writes ROOT/Program Files (x86)/lurm/rozevuv_cht/mb/cht/ and prints the
// phrase table's path, the block's offset and length, and the code, one
// per line.
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/synthetic.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/dictionary_writer.h"
#include "dictionary/format.h"
#include "platform/portable_platform.h"

namespace {}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_big_block ROOT\n");
    return 2;
  }
  using namespace taliq;
  using bench::Digits;
  const std::string folder = std::string(argv[1]) + "/Program Files (x86)/lurm/rozevuv_cht/mb/cht/";
  std::filesystem::create_directories(folder);
  DictionaryWriter w;
  bench::SyntheticRandom random(11);
  auto add = [&](const std::u16string& code) {
    for (int k = 0; k < 300; ++k) {
      const std::u16string text = random.Phrase(22, 26);
      w.AddPhrase(code, {text, {random.Value(), 1}});
    }
  };
  // The shorter codes first, "123999" last.
  add(u"123");
  for (int i = 0; i < 10; ++i) add(u"123" + Digits(i, 1));
  for (int i = 0; i < 100; ++i) add(u"123" + Digits(i, 2));
  for (int i = 0; i < 1000; ++i) add(u"123" + Digits(i, 3));
  // Something in the character table and a few other phrase blocks.
  w.AddCharacter(u"1234", {u'一', {1, 0, 1}});
  add(u"456789");
  w.AddPunctuation(u'，');
  std::string error;
  if (!w.WriteFolder(folder, &error)) {
    std::fprintf(stderr, "make_big_block: %s\n", error.c_str());
    return 1;
  }
  PortablePlatform platform;
  DictionaryIndex index;
  std::int32_t offset = 0;
  std::uint32_t length = 0;
  if (!index.Load(&platform, folder + kIndexFileName).ok() ||
      index.Place(u"123999", TableKind::kPhrases, &offset, &length) !=
          DictionaryIndex::Placement::kFound) {
    std::fprintf(stderr, "make_big_block: cannot place the block\n");
    return 1;
  }
  std::printf("%s%s\n%d\n%u\n123999\n", folder.c_str(), kPhraseTableFileName, offset, length);
  return 0;
}
