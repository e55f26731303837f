// Reading the text form of a table (table_text.h) into a DictionaryWriter,
// with every line the dictionary files cannot hold reported by file and
// line number.
#ifndef TALIQ_DICTIONARY_TABLE_COMPILE_H_
#define TALIQ_DICTIONARY_TABLE_COMPILE_H_

#include <cstdint>
#include <functional>
#include <string>

#include "dictionary/dictionary_writer.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

enum class TextTable { kCharacters, kPhrases, kPunctuation };

struct CompileProblem {
  std::string file;
  std::int64_t line = 0;  // 1-based
  std::string problem;
};

// Reads the text of `table` from the file at `path` and adds its entries to
// `writer`: the codes in the order they first appear (so that the groups of
// a bucket keep that order), each code's entries in the order of their
// POSITION, which need not be consecutive nor their lines adjacent.
// Every line that cannot be encoded is reported through `problem`, in line
// order, and counted in *problems: a malformed line, a code that is not one
// to four digits (characters) or one to six (phrases) or "-" (punctuation),
// a text that is not one unit (characters; punctuation: at most one), values
// of the wrong number, a position given twice for a code, more than 300
// entries for a code, and an entry the writer refuses (a unit 0 or 0xFFFF).
// The writer must then not be used: it may hold part of the table.
// Holds the table's entries in memory until they are added. Returns Ok, or
// why the file could not be read (kNotFound, kCannotOpen, kIoError).
Status CompileTableText(Platform* platform, const std::string& path, TextTable table,
                        DictionaryWriter* writer,
                        const std::function<void(const CompileProblem&)>& problem, int* problems);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_TABLE_COMPILE_H_
