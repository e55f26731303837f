// Candidate texts in the user data files: strict UTF-8, and an order written
// as its texts separated by one space, each text escaped so that it holds
// no space, tab, line break or lone backslash: a space is written as \s, a
// tab as \t, LF as \n, CR as \r and a backslash as \\ (two of them).
#ifndef TALIQ_ORDERS_TEXT_CODEC_H_
#define TALIQ_ORDERS_TEXT_CODEC_H_

#include <string>
#include <string_view>

#include "orders/order_group.h"

namespace taliq {

// UTF-16 to UTF-8; false (and `out` unspecified) on an unpaired surrogate.
bool EncodeUtf8(std::u16string_view text, std::string* out);
// UTF-8 to UTF-16; false on any malformed, overlong or surrogate sequence.
bool DecodeUtf8(std::string_view text, std::u16string* out);

// Appends "T T T". False, with `reason` set, for an empty order, an empty
// text or an unpaired surrogate; `out` may then hold part of the order.
bool FormatTextOrder(const TextOrder& order, std::string* out, std::string* reason);

// Reads what FormatTextOrder writes. False, with `reason` set, for an empty
// field, an empty text (two spaces in a row, a space at either end), an
// unknown escape, a raw carriage return or bytes that are not UTF-8.
bool ParseTextOrder(std::string_view field, TextOrder* order, std::string* reason);

// The text for a message: UTF-8, lone surrogates shown as U+FFFD.
std::string TextForMessage(std::u16string_view text);

}  // namespace taliq

#endif  // TALIQ_ORDERS_TEXT_CODEC_H_
