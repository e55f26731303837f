#include "orders/table_diff.h"

#include <memory>
#include <unordered_map>

#include "dictionary/candidate.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/punctuation_file.h"
#include "dictionary/table_cursor.h"
#include "orders/data_folder.h"
#include "orders/group_order.h"

namespace taliq {
namespace {

OrderTable OrderTableOf(TableKind kind) {
  return kind == TableKind::kCharacters ? OrderTable::kCharacters : OrderTable::kPhrases;
}

bool SameTexts(const WalkedGroup& a, const WalkedGroup& b) {
  if (a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if ((*a.entries)[k].Text() != (*b.entries)[k].Text()) return false;
  }
  return true;
}

TextOrder Texts(const WalkedGroup& g, OrderTable table) {
  return RecordTexts(*g.entries, g.count, table);
}

std::string AsciiCode(std::u16string_view code) { return std::string(code.begin(), code.end()); }

Status LoadIndex(Platform* platform, const std::string& folder, DictionaryIndex* index) {
  return index->Load(platform, JoinPath(folder, kIndexFileName));
}

// Walks the installed table and the snapshot's side by side. While both
// list the same codes in the same order (the tools only reorder groups in
// place) the groups are compared pair by pair; from the first code where a
// block's groups part ways (another version of the dictionary) the rest of
// that block of the snapshot is held by code, one block at a time.
Status DiffTable(Platform* platform, const DictionaryIndex& snapshotIndex,
                 const std::string& snapshotPath, const DictionaryIndex& installedIndex,
                 const std::string& installedPath, TableKind kind, const DifferenceSink& sink) {
  const OrderTable table = OrderTableOf(kind);
  TableCursor snapshot;
  TableCursor installed;
  if (Status s = snapshot.Open(platform, snapshotIndex, snapshotPath, kind); !s.ok()) return s;
  if (Status s = installed.Open(platform, installedIndex, installedPath, kind); !s.ok()) return s;
  WalkedGroup a;
  WalkedGroup b;
  bool haveA = snapshot.Next(&a);
  std::unordered_map<std::u16string, TextOrder> held;
  int heldBucket = -1;
  auto report = [&](std::u16string_view code, TextOrder original) {
    return sink(GroupDifference{table, AsciiCode(code), std::move(original), Texts(b, table)});
  };
  while (installed.Next(&b)) {
    if (heldBucket != b.bucket) {
      held.clear();
      heldBucket = -1;
      while (haveA && a.bucket < b.bucket) haveA = snapshot.Next(&a);
      if (haveA && a.bucket == b.bucket && a.code == b.code) {
        if (!SameTexts(a, b)) {
          if (Status s = report(b.code, Texts(a, table)); !s.ok()) return s;
        }
        haveA = snapshot.Next(&a);
        continue;
      }
      heldBucket = b.bucket;
      while (haveA && a.bucket == b.bucket) {
        held.emplace(std::u16string(a.code), Texts(a, table));
        haveA = snapshot.Next(&a);
      }
    }
    const auto it = held.find(std::u16string(b.code));
    if (it == held.end()) continue;
    if (it->second != Texts(b, table)) {
      if (Status s = report(b.code, std::move(it->second)); !s.ok()) return s;
    }
    held.erase(it);
  }
  if (!installed.status().ok()) return installed.status();
  return snapshot.status();
}

Status ReadPunctuationOrder(Platform* platform, const std::string& folder, TextOrder* order) {
  auto list = std::make_unique<CandidateList>();
  int count = 0;
  if (Status s = ReadPunctuationFile(platform, JoinPath(folder, ""), *list, &count); !s.ok()) {
    return s;
  }
  *order = RecordTexts(*list, count, OrderTable::kPunctuation);
  return Status::Ok();
}

}  // namespace

Status DiffDictionary(Platform* platform, const std::string& snapshotFolder,
                      const std::string& installedFolder, const DifferenceSink& sink) {
  DictionaryIndex snapshotIndex;
  DictionaryIndex installedIndex;
  if (Status s = LoadIndex(platform, snapshotFolder, &snapshotIndex); !s.ok()) return s;
  if (Status s = LoadIndex(platform, installedFolder, &installedIndex); !s.ok()) return s;
  for (TableKind kind : {TableKind::kCharacters, TableKind::kPhrases}) {
    const char* name = TableFileName(kind);
    if (Status s = DiffTable(platform, snapshotIndex, JoinPath(snapshotFolder, name),
                             installedIndex, JoinPath(installedFolder, name), kind, sink);
        !s.ok()) {
      return s;
    }
  }
  TextOrder original;
  TextOrder current;
  if (Status s = ReadPunctuationOrder(platform, snapshotFolder, &original); !s.ok()) return s;
  if (Status s = ReadPunctuationOrder(platform, installedFolder, &current); !s.ok()) return s;
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
      *order = Texts(g, group.table);
      return Status::Ok();
    }
  }
  if (!cursor.status().ok()) return cursor.status();
  return Status::NotFound(GroupName(group) + " in the snapshot " + snapshotFolder);
}

}  // namespace taliq
