#include "demo/demo_data.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "dictionary/format.h"
#include "platform/text.h"

namespace taliq::demo {
namespace {

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  size_t pos = 0;
  while (true) {
    const size_t end = s.find(sep, pos);
    parts.push_back(s.substr(pos, end == std::string_view::npos ? end : end - pos));
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return parts;
}

// Reads lines without their line ending (the files may come with CRLF).
bool NextLine(std::istream& in, std::string* line) {
  if (!std::getline(in, *line)) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

// A Unihan data line "U+XXXX<TAB>field<TAB>value" for `field`, with a code
// point of one UTF-16 unit. Lines of other fields and comments give false
// without counting as rejected.
bool UnihanLine(const std::string& line, std::string_view field, char16_t* c,
                std::string_view* value, Sources* sources) {
  if (line.empty() || line[0] == '#') return false;
  std::vector<std::string_view> parts = Split(line, '\t');
  if (parts.size() != 3 || parts[1] != field) return false;
  std::string_view cp = parts[0];
  if (cp.size() < 3 || cp.substr(0, 2) != "U+") {
    ++sources->rejectedLines;
    return false;
  }
  char* end = nullptr;
  const std::string hex(cp.substr(2));
  const unsigned long v = std::strtoul(hex.c_str(), &end, 16);
  if (end == hex.c_str() || *end != '\0') {
    ++sources->rejectedLines;
    return false;
  }
  // Characters beyond the BMP take two units and cannot be a character
  // entry; surrogates are no characters at all.
  if (v > 0xFFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
  *c = static_cast<char16_t>(v);
  *value = parts[2];
  return true;
}

std::optional<char16_t> SingleUnit(std::string_view utf8) {
  const std::u16string s = Utf8ToUtf16(utf8);
  if (s.size() != 1 || s[0] == 0xFFFD) return std::nullopt;
  return s[0];
}

int FrequencyOf(const Sources& sources, char16_t c) {
  auto it = sources.characters.find(c);
  return it == sources.characters.end() ? kUnknownFrequency : it->second.frequency;
}

std::vector<char16_t> PunctuationMarks(Charset charset) {
  // The marks both scripts use; the quotation marks each script prefers come
  // first: corner brackets in traditional text, curved quotes in simplified.
  const std::u16string common = u"，。、；：？！（）《》〈〉【】〔〕…—～·";
  const std::u16string corner = u"「」『』";
  const std::u16string curved = u"“”‘’";
  std::u16string marks = charset == Charset::kTraditional
                             ? u"，。、；：？！" + corner + common.substr(7) + curved
                             : u"，。、；：？！" + curved + common.substr(7) + corner;
  return std::vector<char16_t>(marks.begin(), marks.end());
}

}  // namespace

std::optional<FourCornerCode> ParseFourCornerCode(std::string_view value) {
  if (value.size() != 4 && value.size() != 6) return std::nullopt;
  for (int i = 0; i < 4; ++i) {
    if (!IsDigit(value[i])) return std::nullopt;
  }
  FourCornerCode code;
  code.digits = std::string(value.substr(0, 4));
  if (value.size() == 6) {
    if (value[4] != '.' || !IsDigit(value[5])) return std::nullopt;
    code.supplement = value[5] - '0';
  }
  return code;
}

void ReadFourCornerCodes(std::istream& in, Sources* sources) {
  std::string line;
  while (NextLine(in, &line)) {
    char16_t c = 0;
    std::string_view value;
    if (!UnihanLine(line, "kFourCornerCode", &c, &value, sources)) continue;
    CharacterInfo& info = sources->characters[c];
    for (std::string_view v : Split(value, ' ')) {
      std::optional<FourCornerCode> code = ParseFourCornerCode(v);
      if (!code) {
        ++sources->rejectedLines;
        continue;
      }
      // Two readings that differ only in the supplementary corner are one
      // code here; the first one given is kept.
      auto same = [&](const FourCornerCode& k) { return k.digits == code->digits; };
      if (std::none_of(info.codes.begin(), info.codes.end(), same)) {
        info.codes.push_back(*code);
      }
    }
    if (info.codes.empty()) sources->characters.erase(c);
  }
}

void ReadFrequencies(std::istream& in, Sources* sources) {
  std::string line;
  while (NextLine(in, &line)) {
    char16_t c = 0;
    std::string_view value;
    if (!UnihanLine(line, "kFrequency", &c, &value, sources)) continue;
    auto it = sources->characters.find(c);
    if (it == sources->characters.end()) continue;
    if (value.size() == 1 && value[0] >= '1' && value[0] <= '5') {
      it->second.frequency = value[0] - '0';
    } else {
      ++sources->rejectedLines;
    }
  }
}

void ReadStrokeCounts(std::istream& in, Sources* sources) {
  std::string line;
  while (NextLine(in, &line)) {
    char16_t c = 0;
    std::string_view value;
    if (!UnihanLine(line, "kTotalStrokes", &c, &value, sources)) continue;
    auto it = sources->characters.find(c);
    if (it == sources->characters.end()) continue;
    // The first count is the one for the Chinese mainland form.
    const std::string first(Split(value, ' ')[0]);
    const int strokes = std::atoi(first.c_str());
    if (strokes > 0 && strokes < 100) {
      it->second.strokes = strokes;
    } else {
      ++sources->rejectedLines;
    }
  }
}

void ReadConversionCharacters(std::istream& in, bool simplifiedToTraditional, Sources* sources) {
  std::string line;
  while (NextLine(in, &line)) {
    if (line.empty()) continue;
    std::vector<std::string_view> parts = Split(line, '\t');
    if (parts.size() != 2) {
      ++sources->rejectedLines;
      continue;
    }
    std::optional<char16_t> from = SingleUnit(parts[0]);
    if (!from) continue;  // beyond the BMP: never a character entry
    std::vector<std::string_view> targets = Split(parts[1], ' ');
    const bool keptAsIs = std::find(targets.begin(), targets.end(), parts[0]) != targets.end();
    if (keptAsIs) continue;
    (simplifiedToTraditional ? sources->simplifiedOnly : sources->traditionalOnly).insert(*from);
  }
}

void ReadConversionPhrases(std::istream& in, bool simplifiedToTraditional, Sources* sources) {
  auto& table = simplifiedToTraditional ? sources->stPhrases : sources->tsPhrases;
  std::string line;
  while (NextLine(in, &line)) {
    if (line.empty()) continue;
    std::vector<std::string_view> parts = Split(line, '\t');
    if (parts.size() != 2 || parts[0].empty() || parts[1].empty()) {
      ++sources->rejectedLines;
      continue;
    }
    std::vector<std::u16string> targets;
    for (std::string_view t : Split(parts[1], ' ')) {
      if (!t.empty()) targets.push_back(Utf8ToUtf16(t));
    }
    table.emplace_back(Utf8ToUtf16(parts[0]), std::move(targets));
  }
}

bool InCharset(const Sources& sources, char16_t c, Charset charset) {
  if (sources.characters.find(c) == sources.characters.end()) return false;
  const std::set<char16_t>& excluded =
      charset == Charset::kSimplified ? sources.traditionalOnly : sources.simplifiedOnly;
  return excluded.find(c) == excluded.end();
}

std::u16string PhraseCode(const Sources& sources, std::u16string_view text) {
  if (text.size() < 2) return {};
  // The leading digits of a character's primary code; empty without a code.
  auto digits = [&](char16_t c, size_t n) -> std::u16string {
    auto it = sources.characters.find(c);
    if (it == sources.characters.end()) return {};
    const std::string& d = it->second.codes.front().digits;
    return std::u16string(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(n));
  };
  std::vector<std::u16string> parts;
  if (text.size() == 2) {
    parts = {digits(text[0], 3), digits(text[1], 3)};
  } else {
    parts = {digits(text[0], 2), digits(text[1], 2), digits(text[2], 1)};
  }
  std::u16string code;
  for (const std::u16string& p : parts) {
    if (p.empty()) return {};
    code += p;
  }
  return code;
}

EditionData BuildEdition(const Sources& sources, Charset charset, Edition edition) {
  EditionData data;

  // Characters: one group per four-digit code.
  std::map<std::u16string, std::vector<CharacterCandidate>> characterGroups;
  for (const auto& [c, info] : sources.characters) {
    if (!InCharset(sources, c, charset)) continue;
    for (const FourCornerCode& code : info.codes) {
      CharacterCandidate candidate;
      candidate.character = c;
      candidate.values = {static_cast<std::uint16_t>(info.frequency),
                          static_cast<std::uint16_t>(code.supplement),
                          static_cast<std::uint16_t>(info.strokes)};
      characterGroups[std::u16string(code.digits.begin(), code.digits.end())].push_back(candidate);
    }
  }
  for (auto& [code, group] : characterGroups) {
    if (edition == Edition::kStandard) {
      // Frequent characters first; among equals the supplementary corner
      // decides, as in a four-corner dictionary; then the code point.
      std::sort(group.begin(), group.end(), [](const auto& a, const auto& b) {
        return std::tie(a.values[0], a.values[1], a.character) <
               std::tie(b.values[0], b.values[1], b.character);
      });
    } else {
      // Stroke order: fewest strokes first (unknown counts last).
      auto key = [](const CharacterCandidate& x) {
        return std::make_tuple(x.values[2] == 0 ? 1000 : static_cast<int>(x.values[2]),
                               x.character);
      };
      std::sort(group.begin(), group.end(),
                [&](const auto& a, const auto& b) { return key(a) < key(b); });
    }
    data.characters.emplace_back(code, std::move(group));
  }

  // Phrases: the script's form of every OpenCC phrase pair.
  std::set<std::u16string> texts;
  auto offer = [&](const std::u16string& text) {
    if (text.empty()) return;
    texts.insert(text);
  };
  for (const auto& [from, to] : sources.stPhrases) {
    if (charset == Charset::kSimplified) {
      offer(from);
    } else if (!to.empty()) {
      offer(to.front());
    }
  }
  for (const auto& [from, to] : sources.tsPhrases) {
    if (charset == Charset::kTraditional) {
      offer(from);
    } else if (!to.empty()) {
      offer(to.front());
    }
  }
  std::map<std::u16string, std::vector<PhraseCandidate>> phraseGroups;
  for (const std::u16string& text : texts) {
    const bool fits = text.size() >= 2 && text.size() <= kMaxPhraseUnits &&
                      std::all_of(text.begin(), text.end(),
                                  [&](char16_t c) { return InCharset(sources, c, charset); });
    const std::u16string code = fits ? PhraseCode(sources, text) : std::u16string();
    if (code.empty()) {
      ++data.droppedPhrases;
      continue;
    }
    int frequencySum = 0;
    for (char16_t c : text) frequencySum += FrequencyOf(sources, c);
    PhraseCandidate candidate;
    candidate.text = text;
    candidate.values = {static_cast<std::uint16_t>(text.size()),
                        static_cast<std::uint16_t>(frequencySum)};
    phraseGroups[code].push_back(std::move(candidate));
  }
  for (auto& [code, group] : phraseGroups) {
    if (edition == Edition::kStandard) {
      // Shorter phrases first, then those made of more frequent characters.
      std::stable_sort(group.begin(), group.end(), [](const auto& a, const auto& b) {
        return std::tie(a.values[0], a.values[1]) < std::tie(b.values[0], b.values[1]);
      });
    }
    // The 2002 edition keeps the texts' code-point order (the set's order).
    data.phrases.emplace_back(code, std::move(group));
  }

  data.punctuation = PunctuationMarks(charset);
  return data;
}

bool AddToWriter(const EditionData& data, DictionaryWriter* writer, std::string* error) {
  for (const auto& [code, group] : data.characters) {
    for (const CharacterCandidate& c : group) {
      if (!writer->AddCharacter(code, CharacterEntry{c.character, c.values})) {
        *error = "character entry refused for code " + Utf16ToUtf8(code);
        return false;
      }
    }
  }
  for (const auto& [code, group] : data.phrases) {
    for (const PhraseCandidate& p : group) {
      if (!writer->AddPhrase(code, PhraseEntry{p.text, p.values})) {
        *error = "phrase entry refused: " + Utf16ToUtf8(p.text);
        return false;
      }
    }
  }
  for (char16_t mark : data.punctuation) writer->AddPunctuation(mark);
  return true;
}

}  // namespace taliq::demo
