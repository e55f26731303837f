#include "freqtool/second_copy_warning.h"

#include "platform/text.h"

namespace taliq {

std::optional<std::u16string> SecondCopyWarning(const Status& status, DictionaryId id) {
  switch (status.code()) {
    case Status::Code::kRefused:
    case Status::Code::kChanged:
    case Status::Code::kCorruption:
      break;
    default:
      return std::nullopt;
  }
  const std::string command = std::string("tunavo-cli --charset ") +
                              (id.charset == Charset::kSimplified ? "chs" : "cht") + " --edition " +
                              (id.edition == Edition::k2002 ? "2002" : "standard") + " sync-copies";
  return u"第二份碼本與第一份不一致,只保存了第一份。\n" + Utf8ToUtf16(status.message()) +
         u"\n\n請關閉本程序後以下面的命令使第二份與第一份一致:\n" + Utf8ToUtf16(command);
}

}  // namespace taliq
