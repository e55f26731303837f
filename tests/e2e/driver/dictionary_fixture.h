// Small dictionary installations for the frequency tool's scenarios, built
// with the store's own writer. Each edition has its own entries, so a list
// shows which folder it came from.
#ifndef TALIQ_TESTS_E2E_DRIVER_DICTIONARY_FIXTURE_H_
#define TALIQ_TESTS_E2E_DRIVER_DICTIONARY_FIXTURE_H_

#include <string>
#include <vector>

#include "dictionary/dictionary_writer.h"

namespace taliq::e2e {

struct FixtureGroup {
  std::u16string code;
  std::vector<std::u16string> entries;  // single characters or phrases
};

// The entries of one dictionary folder: character groups, phrase groups.
struct FixtureDictionary {
  std::vector<FixtureGroup> characters;
  std::vector<FixtureGroup> phrases;
  std::u16string punctuation;

  // The same dictionary with one character group in another order (the
  // entries keep their values).
  FixtureDictionary WithCharacterOrder(std::u16string_view code,
                                       const std::vector<std::u16string>& order) const;
  DictionaryWriter Writer() const;
  // The entries of a code, in stored order.
  std::vector<std::u16string> CharactersOf(std::u16string_view code) const;
  std::vector<std::u16string> PhrasesOf(std::u16string_view code) const;
};

// charset 0 simplified / 1 traditional; edition 1 = 2002.
FixtureDictionary StandardFixture(int charset, int edition);

// The dictionary folder of an installed copy below a Program Files folder.
std::wstring DictionaryFolder(const std::wstring& programFiles, int charset, int edition);
// Removes every installed copy below both Program Files folders.
void RemoveInstallations();
// Writes the four editions below `programFiles`.
bool InstallFixtures(const std::wstring& programFiles);

}  // namespace taliq::e2e

#endif  // TALIQ_TESTS_E2E_DRIVER_DICTIONARY_FIXTURE_H_
