#include "orders/orders_file.h"

#include <cerrno>
#include <unordered_set>

#include "orders/text_codec.h"

namespace taliq {
namespace {

// The first text listed twice, or null.
const std::u16string* FirstRepeated(const TextOrder& order) {
  std::unordered_set<std::u16string_view> seen;
  for (const std::u16string& text : order) {
    if (!seen.insert(text).second) return &text;
  }
  return nullptr;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

Status WriteOrdersHeader(const OrdersSink& sink, std::span<const std::string> comments) {
  std::string text(kOrdersFileHeader);
  text += '\n';
  for (const std::string& comment : comments) {
    if (comment.find_first_of("\r\n") != std::string::npos) {
      return Status::Refused("an orders file comment cannot hold a line break");
    }
    text += "# ";
    text += comment;
    text += '\n';
  }
  return sink(text);
}

Status WriteOrdersLine(const OrdersSink& sink, const GroupKey& group, const TextOrder& order) {
  const auto refuse = [&](const std::string& why) {
    return Status::Refused("cannot write the order of " + GroupName(group) + ": " + why);
  };
  if (!IsValidGroupCode(group.table, group.code)) {
    return refuse(Quoted(group.code) + " is not a code of that table");
  }
  if (const std::u16string* twice = FirstRepeated(order)) {
    return refuse(Quoted(TextForMessage(*twice)) + " is listed twice");
  }
  std::string line = std::string(DictionaryName(group.dictionary)) + "\t" +
                     std::string(OrderTableName(group.table)) + "\t" + group.code + "\t";
  std::string reason;
  if (!FormatTextOrder(order, &line, &reason)) return refuse(reason);
  line += '\n';
  return sink(line);
}

OrdersReader::OrdersReader(std::string name, LineSink sink)
    : name_(std::move(name)),
      sink_(std::move(sink)),
      splitter_([this](int lineNumber, std::string_view line, bool decoded) {
        Line(lineNumber, line, decoded);
      }) {}

void OrdersReader::Feed(std::string_view bytes) {
  if (refused_.ok()) splitter_.Feed(bytes);
}

Status OrdersReader::Finish() {
  if (!refused_.ok()) return refused_;
  splitter_.Finish();
  if (splitter_.encoding() == TextEncoding::kUtf16Be) {
    return Status::Refused(name_ +
                           ": UTF-16 big-endian text is not read; save the file as UTF-8 or as "
                           "UTF-16 little-endian (\"Unicode\")");
  }
  if (refused_.ok() && !headerSeen_) {
    return Status::Refused(name_ + ": not an orders file: it is empty (the first line must be " +
                           Quoted(kOrdersFileHeader) + ")");
  }
  return refused_;
}

void OrdersReader::Line(int lineNumber, std::string_view line, bool decoded) {
  if (!refused_.ok()) return;
  if (lineNumber == 1) {
    constexpr std::string_view kPrefix = "# taliq-orders ";
    if (line == kOrdersFileHeader) {
      headerSeen_ = true;
    } else if (line.substr(0, kPrefix.size()) == kPrefix) {
      refused_ =
          Status::Refused(name_ + ": orders file version " + Quoted(line.substr(kPrefix.size())) +
                          " is not read (this tool reads version 1)");
    } else if (line.find('\0') != std::string_view::npos) {
      refused_ = Status::Refused(name_ +
                                 ": not an orders file: its first line holds NUL bytes (UTF-16 "
                                 "text needs a byte order mark)");
    } else {
      refused_ = Status::Refused(name_ + ": not an orders file: the first line is not " +
                                 Quoted(kOrdersFileHeader));
    }
    return;
  }
  if (!decoded) {
    Malformed(lineNumber, "not valid UTF-16 text (an unpaired surrogate or a lone byte)");
    return;
  }
  if (line.empty() || line[0] == '#') return;
  DataLine(lineNumber, line);
}

void OrdersReader::DataLine(int lineNumber, std::string_view line) {
  std::string_view f[4];
  std::size_t count = 0;
  for (std::size_t start = 0; count < 5;) {
    const std::size_t tab = line.find('\t', start);
    if (count < 4) f[count] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
    ++count;
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (count != 4) {
    Malformed(lineNumber,
              count < 4 ? "expected 4 fields separated by tabs, found " + std::to_string(count)
                        : "expected 4 fields separated by tabs, found more");
    return;
  }
  const std::optional<DictionaryId> dictionary = ParseDictionaryName(f[0]);
  if (!dictionary) {
    Malformed(lineNumber,
              "unknown dictionary " + Quoted(f[0]) + " (known: cht, cht-2002, chs, chs-2002)");
    return;
  }
  const std::optional<OrderTable> table = ParseOrderTableName(f[1]);
  if (!table) {
    Malformed(lineNumber,
              "unknown table " + Quoted(f[1]) + " (known: characters, phrases, punctuation)");
    return;
  }
  if (!IsValidGroupCode(*table, f[2])) {
    Malformed(lineNumber, "code " + Quoted(f[2]) + " is not " +
                              (*table == OrderTable::kCharacters ? "1-4 digits (characters)"
                               : *table == OrderTable::kPhrases  ? "1-6 digits (phrases)"
                                                                 : "\"-\" (punctuation)"));
    return;
  }
  OrdersLine parsed{GroupKey{*dictionary, *table, std::string(f[2])}, {}, lineNumber};
  std::string reason;
  if (!ParseTextOrder(f[3], &parsed.order, &reason)) {
    Malformed(lineNumber, reason);
    return;
  }
  if (const std::u16string* twice = FirstRepeated(parsed.order)) {
    Malformed(lineNumber, Quoted(TextForMessage(*twice)) + " is listed twice");
    return;
  }
  const auto [it, added] = seen_.emplace(line.substr(0, f[3].data() - line.data()), lineNumber);
  if (!added) {
    Malformed(lineNumber,
              GroupName(parsed.group) + " is already given on line " + std::to_string(it->second));
    return;
  }
  sink_(std::move(parsed));
}

void OrdersReader::Malformed(int lineNumber, std::string reason) {
  malformed_.push_back(MalformedOrdersLine{lineNumber, std::move(reason)});
}

Status ReadOrdersFile(Platform* platform, const std::string& path,
                      const OrdersReader::LineSink& sink,
                      std::vector<MalformedOrdersLine>* malformed) {
  errno = 0;
  FileHandle file = platform->OpenFile(path, "rb");
  if (file == nullptr) {
    if (errno == ENOENT) return Status::NotFound(path);
    return Status::CannotOpen(path, ErrnoCause(errno));
  }
  OrdersReader reader(path, sink);
  std::string buffer(64 * 1024, '\0');
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
    reader.Feed(std::string_view(buffer.data(), got));
  }
  if (std::ferror(file.get())) return Status::IoError(path, "read failed");
  Status s = reader.Finish();
  *malformed = reader.malformed();
  return s;
}

}  // namespace taliq
