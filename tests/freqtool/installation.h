// Installed dictionaries for the frequency tool's tests: both copies of the
// input method's files in a temporary tree, built with the production
// writer, and the expected bytes of a table after a reorder.
#ifndef TALIQ_TESTS_FREQTOOL_INSTALLATION_H_
#define TALIQ_TESTS_FREQTOOL_INSTALLATION_H_

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "dictionary/dictionary_store.h"
#include "dictionary/dictionary_writer.h"
#include "tests/support/temp_dir.h"

namespace taliq::test {

// The character set digits of the dictionary folders, which are also the
// dialog's character set radio buttons.
inline constexpr int kChsDigit = 0;
inline constexpr int kChtDigit = 1;

inline CharacterEntry Ch(char16_t c, std::uint16_t v) {
  return CharacterEntry{c,
                        {v, static_cast<std::uint16_t>(v + 1), static_cast<std::uint16_t>(v + 2)}};
}
inline PhraseEntry Ph(std::u16string text, std::uint16_t v) {
  return PhraseEntry{std::move(text), {v, static_cast<std::uint16_t>(v + 1)}};
}

// The contents of one dictionary folder.
struct Dictionary {
  std::vector<std::pair<std::u16string, std::vector<CharacterEntry>>> characters;
  std::vector<std::pair<std::u16string, std::vector<PhraseEntry>>> phrases;
  std::u16string punctuation;

  DictionaryWriter Writer() const {
    DictionaryWriter w;
    for (const auto& [code, entries] : characters) {
      if (entries.empty()) w.AddEmptyCharacterGroup(code);
      for (const CharacterEntry& e : entries) {
        if (!w.AddCharacter(code, e)) throw std::runtime_error("bad character fixture");
      }
    }
    for (const auto& [code, entries] : phrases) {
      if (entries.empty()) w.AddEmptyPhraseGroup(code);
      for (const PhraseEntry& e : entries) {
        if (!w.AddPhrase(code, e)) throw std::runtime_error("bad phrase fixture");
      }
    }
    for (char16_t m : punctuation) w.AddPunctuation(m);
    return w;
  }

  // The same dictionary with the group of `code` in the order of `texts`
  // (the k-th of equal texts is the k-th such entry), values travelling
  // with their texts.
  Dictionary Reordered(std::u16string_view code, bool phrase,
                       const std::vector<std::u16string>& texts) const {
    Dictionary d = *this;
    if (phrase) {
      for (auto& [c, entries] : d.phrases) {
        if (c == code)
          entries = Permute(entries, texts, [](const PhraseEntry& e) { return e.text; });
      }
    } else {
      for (auto& [c, entries] : d.characters) {
        if (c == code) {
          entries = Permute(entries, texts,
                            [](const CharacterEntry& e) { return std::u16string(1, e.character); });
        }
      }
    }
    return d;
  }

  template <typename E, typename TextOf>
  static std::vector<E> Permute(const std::vector<E>& entries,
                                const std::vector<std::u16string>& texts, TextOf textOf) {
    if (texts.size() != entries.size()) throw std::runtime_error("not a permutation");
    std::vector<E> out;
    std::vector<bool> used(entries.size());
    for (const std::u16string& t : texts) {
      size_t i = 0;
      while (i < entries.size() && (used[i] || textOf(entries[i]) != t)) ++i;
      if (i == entries.size()) throw std::runtime_error("not a permutation");
      used[i] = true;
      out.push_back(entries[i]);
    }
    return out;
  }
};

// The standard dictionaries the tests install.
inline Dictionary TraditionalStandard() {
  Dictionary d;
  d.characters = {
      {u"1", {Ch(u'一', 10), Ch(u'乙', 20)}},
      {u"12", {Ch(u'十', 30), Ch(u'千', 40)}},
      // "1234" and "123" share a block; the group listed is not the first.
      {u"1234", {Ch(u'天', 50), Ch(u'地', 60), Ch(u'人', 70)}},
      {u"123", {Ch(u'甲', 100), Ch(u'乙', 110), Ch(u'丙', 120), Ch(u'丁', 130)}},
      {u"124", {Ch(u'日', 140)}},
  };
  d.phrases = {
      {u"1", {Ph(u"一個", 200), Ph(u"一起", 210), Ph(u"一樣", 220)}},
      {u"123", {Ph(u"甲乙", 230), Ph(u"丙丁", 240)}},
      {u"12345", {Ph(u"中文", 300), Ph(u"中國", 310), Ph(u"中間", 320), Ph(u"中心點", 330)}},
      {u"123456", {Ph(u"六位數", 400)}},
  };
  d.punctuation = u"，。！？";
  return d;
}

inline Dictionary SimplifiedStandard() {
  Dictionary d;
  d.characters = {{u"123", {Ch(u'简', 500), Ch(u'体', 510), Ch(u'字', 520)}}};
  d.phrases = {{u"12345", {Ph(u"中国", 600), Ph(u"中文", 610)}}};
  d.punctuation = u"、；";
  return d;
}

inline Dictionary Traditional2002() {
  Dictionary d;
  d.characters = {{u"123", {Ch(u'舊', 700), Ch(u'版', 710)}}};
  d.phrases = {{u"12345", {Ph(u"舊版", 720)}}};
  d.punctuation = u"…";
  return d;
}

inline Dictionary Simplified2002() {
  Dictionary d;
  d.characters = {{u"123", {Ch(u'旧', 800), Ch(u'版', 810), Ch(u'本', 820)}}};
  d.phrases = {{u"12345", {Ph(u"二零", 830), Ph(u"零二", 840)}}};
  d.punctuation = u"·";
  return d;
}

// Program Files folders below a temporary tree: the first copy below
// "Program Files (x86)" (as a 32-bit program on a 64-bit system is told),
// the second below "Program Files". Without the parenthesis both copies
// are one folder.
class Installation {
 public:
  explicit Installation(bool withParenthesis = true)
      : first_(dir_.Join(withParenthesis ? "Program Files (x86)" : "Program Files")),
        second_(dir_.Join("Program Files")) {}

  const std::string& programFiles() const { return first_; }
  const TempDir& dir() const { return dir_; }

  std::string Folder(bool secondCopy, int charset, int edition) const {
    return (secondCopy ? second_ : first_) + "/lurm/rozevuv_cht/mb/" +
           (charset == 0 ? "chs" : "cht") + (edition == 1 ? "_2002" : "") + "/";
  }
  std::string File(bool secondCopy, int charset, int edition, const char* name) const {
    return Folder(secondCopy, charset, edition) + name;
  }

  void Install(bool secondCopy, int charset, int edition, const Dictionary& d) const {
    const std::string folder = Folder(secondCopy, charset, edition);
    std::filesystem::create_directories(folder);
    std::string error;
    if (!d.Writer().WriteFolder(folder, &error)) throw std::runtime_error(error);
  }
  void InstallBoth(int charset, int edition, const Dictionary& d) const {
    Install(false, charset, edition, d);
    Install(true, charset, edition, d);
  }
  // Every dictionary file of both copies of every edition that exists, by
  // path: comparing two snapshots proves what a save did not change.
  std::map<std::string, std::vector<std::uint8_t>> Snapshot() const {
    std::map<std::string, std::vector<std::uint8_t>> all;
    for (bool second : {false, true}) {
      for (int charset : {0, 1}) {
        for (int edition : {0, 1}) {
          for (const char* name : {kIndexFileName, kCharacterTableFileName, kPhraseTableFileName,
                                   kPunctuationFileName}) {
            const std::string path = File(second, charset, edition, name);
            if (FileExists(path)) all[path] = ReadBytes(path);
          }
        }
      }
    }
    return all;
  }

  // The four editions the tests use, in both copies.
  void InstallAll() const {
    InstallBoth(1, 0, TraditionalStandard());
    InstallBoth(0, 0, SimplifiedStandard());
    InstallBoth(1, 1, Traditional2002());
    InstallBoth(0, 1, Simplified2002());
  }

 private:
  TempDir dir_;
  std::string first_;
  std::string second_;
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_FREQTOOL_INSTALLATION_H_
