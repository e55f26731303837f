#include "orders/text_lines.h"

#include "orders/text_codec.h"

namespace taliq {
namespace {

// Whether more bytes could still make `head` a byte order mark.
bool MayBeginByteOrderMark(std::string_view head) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
  if (head.size() == 1) return at(0) == 0xFF || at(0) == 0xFE || at(0) == 0xEF;
  return head.size() == 2 && at(0) == 0xEF && at(1) == 0xBB;
}

}  // namespace

void TextLineSplitter::Feed(std::string_view bytes) {
  if (encoding_ != TextEncoding::kUnknown) {
    Decode(bytes);
    return;
  }
  head_ += bytes;
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(head_[i]); };
  if (head_.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
    encoding_ = TextEncoding::kUtf16Le;
    head_.erase(0, 2);
  } else if (head_.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) {
    encoding_ = TextEncoding::kUtf16Be;
  } else if (head_.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    encoding_ = TextEncoding::kUtf8Bom;
    head_.erase(0, 3);
  } else if (!head_.empty() && !MayBeginByteOrderMark(head_)) {
    encoding_ = TextEncoding::kUtf8;
  } else {
    return;
  }
  std::string rest;
  rest.swap(head_);
  Decode(rest);
}

void TextLineSplitter::Finish() {
  if (encoding_ == TextEncoding::kUnknown) {
    // One or two bytes that might have begun a byte order mark.
    encoding_ = TextEncoding::kUtf8;
    std::string rest;
    rest.swap(head_);
    Decode(rest);
  }
  if (encoding_ == TextEncoding::kUtf16Be) return;
  if (haveOddByte_ || highSurrogate_ != 0) {
    lineDecoded_ = false;
    haveOddByte_ = false;
    highSurrogate_ = 0;
  }
  if (!line_.empty() || !lineDecoded_) EmitLine();
}

void TextLineSplitter::Decode(std::string_view bytes) {
  switch (encoding_) {
    case TextEncoding::kUtf16Le:
      DecodeUtf16(bytes);
      break;
    case TextEncoding::kUtf16Be:
    case TextEncoding::kUnknown:
      break;
    default:
      AppendText(bytes);
  }
}

void TextLineSplitter::DecodeUtf16(std::string_view bytes) {
  std::string utf8;
  std::string encoded;
  auto flushText = [&] {
    if (!utf8.empty()) AppendText(utf8);
    utf8.clear();
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (!haveOddByte_) {
      oddByte_ = byte;
      haveOddByte_ = true;
      continue;
    }
    haveOddByte_ = false;
    const auto unit = static_cast<char16_t>(oddByte_ | byte << 8);
    if (highSurrogate_ != 0) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        const char16_t pair[2] = {highSurrogate_, unit};
        highSurrogate_ = 0;
        EncodeUtf8(std::u16string_view(pair, 2), &encoded);
        utf8 += encoded;
        continue;
      }
      highSurrogate_ = 0;
      lineDecoded_ = false;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      lineDecoded_ = false;
    } else if (unit == u'\n') {
      // The line's state belongs to the line that ends here.
      flushText();
      AppendText("\n");
    } else {
      const char16_t single = unit;
      EncodeUtf8(std::u16string_view(&single, 1), &encoded);
      utf8 += encoded;
    }
  }
  flushText();
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

void SplitAtLineFeeds(std::string_view bytes, std::string* partial,
                      const std::function<void(std::string_view)>& line) {
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
      *partial += bytes;
      return;
    }
    *partial += bytes.substr(0, newline);
    bytes.remove_prefix(newline + 1);
    line(*partial);
    partial->clear();
  }
}

void TextLineSplitter::AppendText(std::string_view utf8) {
  SplitAtLineFeeds(utf8, &line_, [this](std::string_view) { EmitLine(); });
}

void TextLineSplitter::EmitLine() {
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  sink_(++lineNumber_, line_, lineDecoded_);
  line_.clear();
  lineDecoded_ = true;
}

}  // namespace taliq
