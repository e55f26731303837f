#include "tests/e2e/driver/dictionary_fixture.h"

#include <algorithm>

#include "tests/e2e/driver/e2e.h"

namespace taliq::e2e {
namespace {

// Values derived from the text, so that each entry carries its own and a
// reordered group can be compared byte for byte.
std::uint16_t ValueOf(std::u16string_view text, int which) {
  std::uint16_t v = static_cast<std::uint16_t>(0x100 * (which + 1));
  for (char16_t c : text) v = static_cast<std::uint16_t>(v * 31 + c);
  return static_cast<std::uint16_t>(v & 0x7FFF);
}

}  // namespace

FixtureDictionary FixtureDictionary::WithCharacterOrder(
    std::u16string_view code, const std::vector<std::u16string>& order) const {
  FixtureDictionary copy = *this;
  for (FixtureGroup& group : copy.characters) {
    if (group.code == code) group.entries = order;
  }
  return copy;
}

DictionaryWriter FixtureDictionary::Writer() const {
  DictionaryWriter writer;
  for (const FixtureGroup& group : characters) {
    for (const std::u16string& entry : group.entries) {
      CharacterEntry character;
      character.character = entry[0];
      character.values = {ValueOf(entry, 0), ValueOf(entry, 1), ValueOf(entry, 2)};
      writer.AddCharacter(group.code, character);
    }
  }
  for (const FixtureGroup& group : phrases) {
    for (const std::u16string& entry : group.entries) {
      PhraseEntry phrase;
      phrase.text = entry;
      phrase.values = {ValueOf(entry, 0), ValueOf(entry, 1)};
      writer.AddPhrase(group.code, phrase);
    }
  }
  for (char16_t mark : punctuation) writer.AddPunctuation(mark);
  return writer;
}

std::vector<std::u16string> FixtureDictionary::CharactersOf(std::u16string_view code) const {
  for (const FixtureGroup& group : characters) {
    if (group.code == code) return group.entries;
  }
  return {};
}

std::vector<std::u16string> FixtureDictionary::PhrasesOf(std::u16string_view code) const {
  for (const FixtureGroup& group : phrases) {
    if (group.code == code) return group.entries;
  }
  return {};
}

FixtureDictionary StandardFixture(int charset, int edition) {
  FixtureDictionary d;
  if (charset != 0 && edition != 1) {
    d.characters = {{u"1", {u"一", u"乙"}},
                    {u"12", {u"十", u"丁"}},
                    {u"123", {u"大", u"天", u"夫", u"太"}},
                    {u"1234", {u"犬", u"尤"}},
                    {u"124", {u"木"}}};
    d.phrases = {{u"1", {u"一些", u"一起"}},
                 {u"12345", {u"天下", u"大家", u"太平"}},
                 {u"123", {u"大人", u"天天"}}};
    d.punctuation = u"，。、";
  } else if (charset != 0) {
    d.characters = {{u"123", {u"奔", u"奇"}}};
    d.phrases = {{u"12345", {u"奇妙"}}};
    d.punctuation = u"，。";
  } else if (edition != 1) {
    d.characters = {{u"123", {u"达", u"头"}}};
    d.phrases = {{u"12345", {u"头发"}}};
    d.punctuation = u"，";
  } else {
    d.characters = {{u"123", {u"夯", u"夸", u"夺"}}};
    d.phrases = {{u"12345", {u"夸奖"}}};
    d.punctuation = u"。";
  }
  return d;
}

std::wstring DictionaryFolder(const std::wstring& programFiles, int charset, int edition) {
  std::wstring folder = programFiles + L"\\lurm\\rozevuv_cht\\mb\\";
  folder += charset == 0 ? L"chs" : L"cht";
  if (edition == 1) folder += L"_2002";
  return folder + L"\\";
}

void RemoveInstallations() {
  RemoveTree(kProgramFilesX86 + L"\\lurm");
  RemoveTree(kProgramFiles + L"\\lurm");
}

bool InstallFixtures(const std::wstring& programFiles) {
  for (int charset : {0, 1}) {
    for (int edition : {0, 1}) {
      const std::wstring folder = DictionaryFolder(programFiles, charset, edition);
      MakeFolders(folder);
      std::string error;
      if (!StandardFixture(charset, edition).Writer().WriteFolder(Narrow(folder), &error)) {
        Expect(false, "fixture: " + error);
        return false;
      }
    }
  }
  return true;
}

}  // namespace taliq::e2e
