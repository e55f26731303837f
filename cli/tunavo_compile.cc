// tunavo-cli compile: builds a dictionary folder (index, both tables,
// punctuation) from the three text files dump --to writes, through the
// dictionary writer.
//
// Nothing is written unless every line can be encoded. The folder is built
// under a temporary name beside OUTPUT-FOLDER, made to the disk and renamed
// into place in one step, so OUTPUT-FOLDER never holds half a dictionary; an
// OUTPUT-FOLDER that already exists is refused, so nothing is replaced.
// The writer lays both tables out at once: compile holds their entries in
// memory.
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

#include "cli/output_file.h"
#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "dictionary/dictionary_writer.h"
#include "dictionary/format.h"
#include "dictionary/table_compile.h"
#include "platform/status.h"
#include "platform/temp_file.h"

namespace taliq::cli {
namespace {

// Problems printed before the rest are only counted.
constexpr int kMaxProblemsShown = 50;

constexpr const char* kFolderFiles[] = {kIndexFileName, kCharacterTableFileName,
                                        kPhraseTableFileName, kPunctuationFileName};

struct Input {
  const char* name;
  TextTable table;
};
constexpr Input kInputs[] = {{"characters.tsv", TextTable::kCharacters},
                             {"phrases.tsv", TextTable::kPhrases},
                             {"punctuation.tsv", TextTable::kPunctuation}};

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == kPathSeparator)) path.pop_back();
  return path;
}

bool RemoveFolder(const std::string& path) {
#ifdef _WIN32
  return _rmdir(path.c_str()) == 0;
#else
  return rmdir(path.c_str()) == 0;
#endif
}

// The temporary folder and what was written into it, removed unless it was
// renamed into place.
class TempFolder {
 public:
  TempFolder(Platform* platform, std::string path) : platform_(platform), path_(std::move(path)) {}
  ~TempFolder() {
    if (!created_ || kept_) return;
    for (const char* name : kFolderFiles) platform_->RemoveFile(File(name));
    RemoveFolder(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  bool Create() { return created_ = platform_->CreateDirectory(path_); }
  std::string File(const char* name) const { return path_ + kPathSeparator + name; }
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  Platform* const platform_;
  const std::string path_;
  bool created_ = false;
  bool kept_ = false;
};

// Puts the files the writer wrote on the disk: the writer closes them but
// does not wait for the disk.
Status SyncFiles(Platform* platform, const TempFolder& folder) {
  for (const char* name : kFolderFiles) {
    const std::string path = folder.File(name);
    FileHandle f = platform->OpenForUpdate(path);
    if (f == nullptr) return Status::CannotOpen(path, errno);
    bool ok = platform->SyncFile(f.get());
    ok = platform->Close(f) && ok;
    if (!ok) return Status::IoError(path, "cannot flush it to the disk");
  }
  platform->SyncFolder(folder.File(kIndexFileName));
  return Status::Ok();
}

int RunCompile(const GlobalOptions& options, const std::vector<std::string>& args,
               const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommand(kCompileCommand, args, {}, io, &parsed)) return *status;
  if (parsed.positionals.size() < 2) {
    return UsageError(io, "compile: give the folder of the text files and the OUTPUT-FOLDER");
  }
  if (parsed.positionals.size() > 2) {
    return UsageError(io, "compile: unexpected argument '" + parsed.positionals[2] + "'");
  }
  const std::string input = WithoutTrailingSeparators(parsed.positionals[0]);
  const std::string output = WithoutTrailingSeparators(parsed.positionals[1]);
  if (input.empty() || output.empty()) return UsageError(io, "compile: a folder name is empty");
  Session session(options, io);
  Platform* platform = session.platform();
  if (platform->IsDirectory(output) || platform->OpenFile(output, "rb") != nullptr) {
    return Refused(
        io, "compile: " + output + " already exists; give a new folder (nothing is replaced)");
  }

  DictionaryWriter writer;
  int problems = 0;
  int shown = 0;
  for (const Input& in : kInputs) {
    const std::string path = input + kPathSeparator + in.name;
    const Status s = CompileTableText(
        platform, path, in.table, &writer,
        [&](const CompileProblem& p) {
          if (shown++ < kMaxProblemsShown) {
            Note(io, "compile: " + p.file + ":" + std::to_string(p.line) + ": " + p.problem);
          }
        },
        &problems);
    if (!s.ok()) return Failure(io, "compile: cannot read " + path + " (" + s.message() + ")");
  }
  if (problems > 0) {
    if (problems > kMaxProblemsShown) {
      Note(io, "compile: ... and " + std::to_string(problems - kMaxProblemsShown) +
                   " more lines that cannot be encoded");
    }
    return Failure(io, "compile: " + std::to_string(problems) +
                           (problems == 1 ? " line" : " lines") +
                           " cannot be encoded; nothing was written");
  }

  // Beside the output, so that the rename stays within one file system.
  const std::size_t nameAt = output.find_last_of(std::string("/") + kPathSeparator);
  const std::string parent = nameAt == std::string::npos ? "" : output.substr(0, nameAt + 1);
  const std::string name = nameAt == std::string::npos ? output : output.substr(nameAt + 1);
  TempFolder temp(platform, parent + "~" + name + "." + UniqueHex() + ".tmp");
  if (!temp.Create()) {
    return Failure(io, "compile: cannot create the folder " + temp.path() + " (" +
                           ErrnoText(errno) + "); nothing was written");
  }
  std::string error;
  if (!writer.WriteFolder(temp.path(), &error)) {
    return Failure(io, "compile: " + error + "; nothing was written");
  }
  if (Status s = SyncFiles(platform, temp); !s.ok()) {
    return Failure(io, "compile: " + s.message() + "; nothing was written");
  }
  if (std::rename(temp.path().c_str(), output.c_str()) != 0) {
    return Failure(io, "compile: cannot rename " + temp.path() + " to " + output + " (" +
                           ErrnoText(errno) + "); nothing was written");
  }
  temp.Keep();
  platform->SyncFolder(output);
  io.out << "wrote " << output << kPathSeparator << " (" << kIndexFileName << ", "
         << kCharacterTableFileName << ", " << kPhraseTableFileName << ", " << kPunctuationFileName
         << ")\n";
  io.out.flush();
  return kExitOk;
}

}  // namespace

const Command kCompileCommand = {
    "compile",
    "DIR OUTPUT-FOLDER",
    R"(Builds a dictionary folder (lurm2008.idx, lurmsmz.mb, lurmsmc.mb,
Pround.dat) from DIR/characters.tsv, DIR/phrases.tsv and
DIR/punctuation.tsv, the lines dump writes. A code's entries are laid out
in the order of their POSITION, the codes in the order they first appear.
Each line that cannot be encoded (a malformed line, a code that is not
one to four digits for characters or one to six for phrases, a character
entry that is not one unit, more than 300 candidates for a code, a
position given twice) is reported as FILE:LINE: and nothing is written.
OUTPUT-FOLDER must not exist yet: it is built under a temporary name
beside it and renamed into place when complete.
Exit status: 0 written, 1 a file could not be read or written or a line
cannot be encoded, 2 bad arguments or OUTPUT-FOLDER exists.
)",
    RunCompile,
};

}  // namespace taliq::cli
