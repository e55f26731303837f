// Pround.dat, the punctuation table: read the marks a list holds, replace
// the file whole.
#ifndef TALIQ_DICTIONARY_PUNCTUATION_FILE_H_
#define TALIQ_DICTIONARY_PUNCTUATION_FILE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "dictionary/candidate.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// Receives a file's bytes in order, in pieces.
using FileBytesSink = std::function<void(const std::uint8_t* bytes, std::size_t size)>;

// Reads the marks of the table in `folder` (ending in the separator) into
// `list`, at most 300; *count is the number read, also when the read failed
// part way. kNotFound / kCannotOpen (the file) or kIoError (its bytes).
// `everyByte`, when given, receives the whole file, the records beyond the
// 300th too, from the same reads.
Status ReadPunctuationFile(Platform* platform, const std::string& folder, CandidateList& list,
                           int* count, const FileBytesSink& everyByte = {});

// Writes the first `count` marks of `list` (0-300), then the file's records
// beyond the 300th unchanged, replacing the file whole with
// ReplaceFileContents (a new file swapped in, or, where the platform refuses
// the swap, a rewrite under a rollback journal): the table holds the old
// marks or the new ones, never a mix and never nothing. The note of a
// journal an interrupted save left goes to `*note` when given. The caller
// holds the folder's lock. kNotFound / kCannotOpen when the table could not
// be created or opened for writing, kIoError when reading the records kept
// or a write failed.
Status WritePunctuationFile(Platform* platform, const std::string& folder,
                            const CandidateList& list, int count, std::string* note = nullptr);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_PUNCTUATION_FILE_H_
