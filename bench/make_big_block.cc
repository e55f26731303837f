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

#include "dictionary/dictionary_index.h"
#include "dictionary/dictionary_writer.h"
#include "dictionary/format.h"
#include "platform/portable_platform.h"

namespace {

std::u16string Digits(int value, int width) {
  std::u16string s(static_cast<std::size_t>(width), u'0');
  for (int i = width - 1; i >= 0; --i, value /= 10) {
    s[static_cast<std::size_t>(i)] = static_cast<char16_t>(u'0' + value % 10);
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_big_block ROOT\n");
    return 2;
  }
  using namespace taliq;
  const std::string folder = std::string(argv[1]) + "/Program Files (x86)/lurm/rozevuv_cht/mb/cht/";
  std::filesystem::create_directories(folder);
  DictionaryWriter w;
  std::uint32_t seed = 11;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  auto add = [&](const std::u16string& code) {
    for (int k = 0; k < 300; ++k) {
      std::u16string text(22 + next() % 26, u'\0');
      for (char16_t& c : text) c = static_cast<char16_t>(0x4E00 + next() % 0x5000);
      w.AddPhrase(code, {text, {static_cast<std::uint16_t>(next()), 1}});
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
