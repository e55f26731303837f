// The orders file: a user's candidate orders, exported to be kept or moved
// and imported again. UTF-8 text:
//
//   # taliq-orders 1
//   # any number of comment lines
//   cht<TAB>characters<TAB>1020<TAB>亍 丁 丐 歹
//   cht<TAB>phrases<TAB>10102<TAB>一天後 下一個
//   chs<TAB>punctuation<TAB>-<TAB>， 。
//
// One line per group: the dictionary's name, the table's name, the code
// (1-4 digits for characters, 1-6 for phrases, "-" for punctuation) and the
// texts, first offered first, separated by one space and escaped as in
// text_codec.h. Comment lines (starting with "#") and empty lines may come
// anywhere after the first line.
//
// The reader also takes the file as Windows editors save it: with a UTF-8
// byte order mark, CRLF line ends, or as UTF-16LE with a byte order mark.
#ifndef TALIQ_ORDERS_ORDERS_FILE_H_
#define TALIQ_ORDERS_ORDERS_FILE_H_

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "orders/order_group.h"
#include "orders/text_lines.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

inline constexpr std::string_view kOrdersFileHeader = "# taliq-orders 1";

// Receives the file's text piece by piece; a failure ends the writing.
using OrdersSink = std::function<Status(std::string_view)>;

// The header line, then "# " + each comment (which must not hold a line
// break: kRefused).
Status WriteOrdersHeader(const OrdersSink& sink, std::span<const std::string> comments);

// One group's line. kRefused, naming the group, for a code that does not
// fit the table, an empty order or text, a text listed twice or an
// unpaired surrogate; nothing is written then.
Status WriteOrdersLine(const OrdersSink& sink, const GroupKey& group, const TextOrder& order);

struct OrdersLine {
  GroupKey group;
  TextOrder order;
  int lineNumber = 0;
};

struct MalformedOrdersLine {
  int lineNumber = 0;  // physical, 1-based; the header is line 1
  std::string reason;
};

// Reads an orders file fed piece by piece. Each good line goes to the sink
// at once; a malformed line is recorded and skipped.
class OrdersReader {
 public:
  using LineSink = std::function<void(OrdersLine&&)>;

  // `name` names the file in messages.
  OrdersReader(std::string name, LineSink sink);

  void Feed(std::string_view bytes);
  // Ends the input. kRefused for a file that is not an orders file (no or
  // a wrong header line, UTF-16 big-endian); the sink then got nothing.
  Status Finish();

  const std::vector<MalformedOrdersLine>& malformed() const { return malformed_; }
  TextEncoding encoding() const { return splitter_.encoding(); }

 private:
  void Line(int lineNumber, std::string_view line, bool decoded);
  void DataLine(int lineNumber, std::string_view line);
  void Malformed(int lineNumber, std::string reason);

  std::string name_;
  LineSink sink_;
  TextLineSplitter splitter_;
  Status refused_;
  bool headerSeen_ = false;
  std::vector<MalformedOrdersLine> malformed_;
  // The line that gave each group ("cht\tcharacters\t1020"), to refuse a
  // second line for it.
  std::unordered_map<std::string, int> seen_;
};

// Reads the file through an OrdersReader, a piece at a time: every good
// line to `sink`, every malformed one to `malformed`.
Status ReadOrdersFile(Platform* platform, const std::string& path,
                      const OrdersReader::LineSink& sink,
                      std::vector<MalformedOrdersLine>* malformed);

}  // namespace taliq

#endif  // TALIQ_ORDERS_ORDERS_FILE_H_
