#include "orders/table_diff.h"

#include <memory>

#include "dictionary/candidate.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/punctuation_file.h"
#include "dictionary/table_cursor.h"
#include "orders/data_folder.h"
#include "orders/fingerprint.h"
#include "orders/group_order.h"
#include "orders/table_compare.h"

namespace taliq {
namespace {

Status LoadIndex(Platform* platform, const std::string& folder, DictionaryIndex* index) {
  return index->Load(platform, JoinPath(folder, kIndexFileName));
}

// With `fingerprint`, also the file's size and fingerprint, from the same
// reads.
Status ReadPunctuationOrder(Platform* platform, const std::string& folder, TextOrder* order,
                            FileFingerprint* fingerprint = nullptr) {
  auto list = std::make_unique<CandidateList>();
  int count = 0;
  Fingerprint64 hash;
  std::int64_t size = 0;
  FileBytesSink everyByte;
  if (fingerprint != nullptr) {
    everyByte = [&](const std::uint8_t* bytes, std::size_t n) {
      hash.Update(bytes, n);
      size += static_cast<std::int64_t>(n);
    };
  }
  if (Status s = ReadPunctuationFile(platform, JoinPath(folder, ""), *list, &count, everyByte);
      !s.ok()) {
    return s;
  }
  if (fingerprint != nullptr) *fingerprint = FileFingerprint{size, hash.Value()};
  *order = RecordTexts(*list, count, OrderTable::kPunctuation);
  return Status::Ok();
}

}  // namespace

Status DiffDictionary(Platform* platform, const std::string& snapshotFolder,
                      const std::string& installedFolder, const DifferenceSink& sink,
                      FolderFingerprints* installedFingerprints) {
  DictionaryIndex snapshotIndex;
  DictionaryIndex installedIndex;
  if (Status s = LoadIndex(platform, snapshotFolder, &snapshotIndex); !s.ok()) return s;
  if (Status s = LoadIndex(platform, installedFolder, &installedIndex); !s.ok()) return s;
  // kDictionaryFileNames: the index, the two tables, the punctuation. Each
  // fingerprint comes from the read that the comparison makes anyway.
  if (installedFingerprints != nullptr) {
    const std::string_view bytes = installedIndex.bytes();
    (*installedFingerprints)[0] =
        FileFingerprint{static_cast<std::int64_t>(bytes.size()), Fingerprint64::Of(bytes)};
  }
  for (TableKind kind : {TableKind::kCharacters, TableKind::kPhrases}) {
    const char* name = TableFileName(kind);
    FileFingerprint* fingerprint =
        installedFingerprints == nullptr
            ? nullptr
            : &(*installedFingerprints)[kind == TableKind::kCharacters ? 1 : 2];
    if (Status s =
            DiffTable(platform, snapshotIndex, JoinPath(snapshotFolder, name), installedIndex,
                      JoinPath(installedFolder, name), kind, sink, fingerprint);
        !s.ok()) {
      return s;
    }
  }
  TextOrder original;
  TextOrder current;
  if (Status s = ReadPunctuationOrder(platform, snapshotFolder, &original); !s.ok()) return s;
  if (Status s = ReadPunctuationOrder(
          platform, installedFolder, &current,
          installedFingerprints == nullptr ? nullptr : &(*installedFingerprints)[3]);
      !s.ok()) {
    return s;
  }
  if (original == current || original.empty() || current.empty()) return Status::Ok();
  return sink(GroupDifference{OrderTable::kPunctuation, std::string(kPunctuationCode),
                              std::move(original), std::move(current)});
}

Status SnapshotOrder(Platform* platform, const std::string& snapshotFolder, const GroupKey& group,
                     TextOrder* order) {
  if (group.table == OrderTable::kPunctuation) {
    if (Status s = ReadPunctuationOrder(platform, snapshotFolder, order); !s.ok()) return s;
    return order->empty() ? Status::NotFound(GroupName(group) + " in " + snapshotFolder)
                          : Status::Ok();
  }
  const TableKind kind =
      group.table == OrderTable::kCharacters ? TableKind::kCharacters : TableKind::kPhrases;
  const std::u16string code(group.code.begin(), group.code.end());
  const int bucket = BucketOf(code);
  if (bucket < 0) return Status::Refused(GroupName(group) + ": not a code");
  DictionaryIndex index;
  if (Status s = LoadIndex(platform, snapshotFolder, &index); !s.ok()) return s;
  TableCursor cursor;
  if (Status s = cursor.Open(platform, index, JoinPath(snapshotFolder, TableFileName(kind)), kind,
                             bucket, bucket + 1);
      !s.ok()) {
    return s;
  }
  WalkedGroup g;
  while (cursor.Next(&g)) {
    if (g.code == code) {
      *order = RecordTexts(*g.entries, g.count, group.table);
      return Status::Ok();
    }
  }
  if (!cursor.status().ok()) return cursor.status();
  return Status::NotFound(GroupName(group) + " in the snapshot " + snapshotFolder);
}

}  // namespace taliq
