// A file written piece by piece under a temporary name beside it, then put
// in place whole: made to the disk and renamed over the old file, so that
// the name holds either the old file or all of the new one, and memory does
// not grow with the file's size (ReplaceFileContents takes the contents at
// once).
#ifndef TALIQ_CLI_OUTPUT_FILE_H_
#define TALIQ_CLI_OUTPUT_FILE_H_

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/status.h"

namespace taliq::cli {

class OutputFile {
 public:
  OutputFile(Platform* platform, std::string path);
  // Removes the temporary file unless Commit put it in place.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file "~NAME.XXXXXXXX.tmp" beside the path, never
  // over an existing file. kNotFound / kCannotOpen.
  Status Open();
  // Appends; false once any write failed (Commit then says so).
  bool Write(std::string_view bytes);
  // Flushes the file to the disk, closes it and renames it over the path.
  Status Commit();

 private:
  Platform* const platform_;
  const std::string path_;
  std::string temp_;
  FileHandle file_;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace taliq::cli

#endif  // TALIQ_CLI_OUTPUT_FILE_H_
