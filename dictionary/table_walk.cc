#include "dictionary/table_walk.h"

#include "dictionary/table_cursor.h"

namespace taliq {

Status WalkTable(Platform* platform, const DictionaryIndex& index, const std::string& path,
                 TableKind table, const std::function<void(const WalkedGroup&)>& visit) {
  TableCursor cursor;
  if (Status s = cursor.Open(platform, index, path, table); !s.ok()) return s;
  WalkedGroup group;
  while (cursor.Next(&group)) visit(group);
  return cursor.status();
}

}  // namespace taliq
