// Lines of a text file a user may have saved with any common editor: UTF-8
// with or without a byte order mark, or UTF-16LE with one (Windows
// Notepad's "Unicode"); LF or CRLF line ends. Bytes are fed as they are
// read and come out as UTF-8 lines with their physical line numbers.
#ifndef TALIQ_ORDERS_TEXT_LINES_H_
#define TALIQ_ORDERS_TEXT_LINES_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace taliq {

// The fields of a line separated by tabs (the whole line when it has none).
std::vector<std::string_view> SplitTabs(std::string_view line);

// Splits `bytes` at each LF: `partial` holds the start of a line not yet
// ended (from earlier bytes, and what is left of these); `line` is called
// with each completed line, without its LF, before `partial` is cleared.
void SplitAtLineFeeds(std::string_view bytes, std::string* partial,
                      const std::function<void(std::string_view)>& line);

enum class TextEncoding {
  kUnknown,  // too few bytes seen yet
  kUtf8,     // no byte order mark
  kUtf8Bom,  // EF BB BF
  kUtf16Le,  // FF FE
  kUtf16Be,  // FE FF: not read; no line comes out
};

class TextLineSplitter {
 public:
  // `line` is UTF-8 without its line end. `decoded` is false when the line
  // held a unit the encoding does not allow (UTF-16: an unpaired surrogate
  // or a lone last byte); UTF-8 is passed on unchecked.
  using LineSink = std::function<void(int lineNumber, std::string_view line, bool decoded)>;

  explicit TextLineSplitter(LineSink sink) : sink_(std::move(sink)) {}

  void Feed(std::string_view bytes);
  // Ends the input: the last line, when it has no line end, comes out now.
  void Finish();

  TextEncoding encoding() const { return encoding_; }

 private:
  void Decode(std::string_view bytes);
  void DecodeUtf16(std::string_view bytes);
  void AppendText(std::string_view utf8);
  void EmitLine();

  LineSink sink_;
  TextEncoding encoding_ = TextEncoding::kUnknown;
  std::string head_;  // first bytes, until the encoding is known
  std::string line_;  // the current line, UTF-8
  bool lineDecoded_ = true;
  int lineNumber_ = 0;
  bool haveOddByte_ = false;
  unsigned char oddByte_ = 0;
  char16_t highSurrogate_ = 0;
};

}  // namespace taliq

#endif  // TALIQ_ORDERS_TEXT_LINES_H_
