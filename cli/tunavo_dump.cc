// tunavo-cli dump: a table of the chosen dictionary as text lines
// (dictionary/table_text.h), every entry in the order the input method
// offers them; with --to, all three tables into files that compile reads
// back. The tables are read block by block through the bounded block
// reader, and the lines go out as they are made, so memory does not grow
// with the tables.
#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/output_file.h"
#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "dictionary/coding.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/entry_walk.h"
#include "dictionary/open_file.h"
#include "dictionary/table_text.h"
#include "platform/text.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kDumpOptions[] = {
    {"--phrases", false}, {"--punctuation", false}, {"--to", true}};

// Lines go out through this; false once the output failed.
using Sink = std::function<bool(std::string_view)>;

// Bytes of Pround.dat read per step: whole records.
constexpr std::size_t kPunctuationReadSize = 1024 * kPunctuationRecordSize;

Status DumpTable(Platform* platform, const DictionaryIndex& index, const std::string& folder,
                 TableKind table, const BucketSet* buckets, std::u16string_view prefix,
                 const Sink& sink, bool* sinkFailed) {
  std::string line;
  return WalkEntries(
      platform, index, folder + TableFileName(table), table, buckets, [&](const WalkedEntry& e) {
        if (*sinkFailed || e.code.substr(0, prefix.size()) != prefix) return;
        const std::string code = Utf16ToUtf8(e.code);
        line = FormatTableLine(code, e.position, e.text,
                               std::span(e.values.data(), static_cast<std::size_t>(e.valueCount)));
        *sinkFailed = !sink(line);
      });
}

Status DumpPunctuation(Platform* platform, const std::string& folder, const Sink& sink,
                       bool* sinkFailed) {
  const std::string path = folder + kPunctuationFileName;
  Status status;
  FileHandle f = OpenDictionaryFile(platform, path, "rb", &status);
  if (f == nullptr) return status;
  std::vector<std::uint8_t> buffer(kPunctuationReadSize);
  int position = 0;
  for (;;) {
    std::size_t got = 0;
    if (!platform->Read(f.get(), buffer.data(), buffer.size(), &got)) {
      return Status::IoError(path, "read failed");
    }
    // A trailing piece of fewer than four bytes is no record.
    for (std::size_t at = 0; at + kPunctuationRecordSize <= got && !*sinkFailed;
         at += kPunctuationRecordSize) {
      const char16_t mark = static_cast<char16_t>(DecodeFixed16(buffer.data() + at));
      const std::u16string_view text =
          mark == 0 ? std::u16string_view() : std::u16string_view(&mark, 1);
      *sinkFailed = !sink(FormatTableLine(kPunctuationLineCode, ++position, text, {}));
    }
    if (got < buffer.size()) return Status::Ok();
  }
}

// The dump of one table to standard output.
int DumpToOutput(Session& session, const DictionaryIndex& index, const std::string& folder,
                 const ParsedArgs& parsed, const Streams& io) {
  bool failed = false;
  const Sink sink = [&io](std::string_view line) {
    io.out << line;
    return static_cast<bool>(io.out);
  };
  Status s;
  if (parsed.Has("--punctuation")) {
    s = DumpPunctuation(session.platform(), folder, sink, &failed);
  } else {
    const TableKind table = parsed.Has("--phrases") ? TableKind::kPhrases : TableKind::kCharacters;
    std::u16string prefix;
    BucketSet buckets;
    if (!parsed.positionals.empty()) {
      prefix = Utf8ToUtf16(parsed.positionals[0]);
      buckets = BucketsOfPrefix(prefix);
    }
    s = DumpTable(session.platform(), index, folder, table, prefix.empty() ? nullptr : &buckets,
                  prefix, sink, &failed);
  }
  io.out.flush();
  if (failed || !io.out) return Failure(io, "cannot write the table");
  if (!s.ok()) return session.ReadFailure("the table", s);
  return kExitOk;
}

// One table into DIR/NAME.
int DumpToFile(Session& session, const std::string& path, const Streams& io,
               const std::function<Status(const Sink&, bool*)>& dump) {
  OutputFile out(session.platform(), path);
  if (Status s = out.Open(); !s.ok())
    return Failure(io, "cannot create a file beside " + path + ": " + s.message());
  bool failed = false;
  const Status s = dump([&out](std::string_view line) { return out.Write(line); }, &failed);
  if (!s.ok()) return session.ReadFailure("the table for " + path, s);
  if (Status c = out.Commit(); !c.ok())
    return Failure(io, "cannot write " + path + ": " + c.message());
  io.out << "wrote " << path << '\n';
  return kExitOk;
}

int DumpToFolder(Session& session, const DictionaryIndex& index, const std::string& folder,
                 std::string dir, const Streams& io) {
  Platform* platform = session.platform();
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == kPathSeparator)) dir.pop_back();
  if (!platform->IsDirectory(dir) && !platform->CreateDirectory(dir)) {
    return Failure(io, "dump: cannot create the folder " + dir + ": " + ErrnoText(errno));
  }
  const std::string prefix = dir + kPathSeparator;
  for (TableKind table : {TableKind::kCharacters, TableKind::kPhrases}) {
    const std::string name = table == TableKind::kCharacters ? "characters.tsv" : "phrases.tsv";
    if (int status = DumpToFile(session, prefix + name, io,
                                [&](const Sink& sink, bool* failed) {
                                  return DumpTable(platform, index, folder, table, nullptr, u"",
                                                   sink, failed);
                                });
        status != kExitOk) {
      return status;
    }
  }
  return DumpToFile(session, prefix + "punctuation.tsv", io, [&](const Sink& sink, bool* failed) {
    return DumpPunctuation(platform, folder, sink, failed);
  });
}

int RunDump(const GlobalOptions& options, const std::vector<std::string>& args, const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommand(kDumpCommand, args, kDumpOptions, io, &parsed)) return *status;
  const bool phrases = parsed.Has("--phrases");
  const bool punctuation = parsed.Has("--punctuation");
  const std::optional<std::string> to = parsed.Value("--to");
  if (phrases && punctuation)
    return UsageError(io, "dump: give --phrases or --punctuation, not both");
  if (parsed.positionals.size() > 1) {
    return UsageError(io, "dump: unexpected argument '" + parsed.positionals[1] + "'");
  }
  if (to) {
    if (phrases || punctuation || !parsed.positionals.empty()) {
      return UsageError(io,
                        "dump --to writes every table whole: it takes no other option or "
                        "CODE-PREFIX");
    }
    if (to->empty()) return UsageError(io, "dump: --to needs a folder");
  }
  if (!parsed.positionals.empty()) {
    if (punctuation) {
      return UsageError(io, "dump --punctuation takes no CODE-PREFIX (the marks have no code)");
    }
    if (int status = CheckInputCode(io, "dump", parsed.positionals[0]); status != kExitOk) {
      return status;
    }
  }

  Session session(options, io);
  if (int status = session.OpenFolders(); status != kExitOk) return status;
  const std::string folder = session.DictionaryFolder(session.dictionary(), false);
  if (int status = session.ResolveSaves(session.dictionary()); status != kExitOk) return status;
  DictionaryIndex index;
  if (!punctuation || to) {
    if (Status s = index.Load(session.platform(), folder + kIndexFileName); !s.ok()) {
      return session.ReadFailure("the index " + folder + kIndexFileName, s);
    }
  }
  return to ? DumpToFolder(session, index, folder, *to, io)
            : DumpToOutput(session, index, folder, parsed, io);
}

}  // namespace

const Command kDumpCommand = {
    "dump",
    "[--phrases|--punctuation] [CODE-PREFIX] | --to DIR",
    R"(Prints a table of the dictionary (--charset, --edition) as UTF-8 lines,
CODE<TAB>POSITION<TAB>TEXT<TAB>VALUES, every entry in the order the input
method offers them (the character table unless an option says otherwise).
VALUES are the entry's numbers in file order, space-separated; a code with
no candidates is one line of POSITION 0; in TEXT a backslash, tab, line
feed and carriage return are written \\, \t, \n, \r, and a unit UTF-8
cannot carry \uXXXX (docs/dictionary-text.md).
  --phrases       the phrase table
  --punctuation   the punctuation table (CODE is -, no VALUES)
  CODE-PREFIX     only the codes that start with these digits
  --to DIR        write all three tables to DIR/characters.tsv,
                  DIR/phrases.tsv and DIR/punctuation.tsv (each file
                  replaced whole), the input of compile
Exit status: 0 done, 1 a table could not be read (or is damaged: the
lines before the damage are written) or the output not written, 2 bad
arguments.
)",
    RunDump,
};

}  // namespace taliq::cli
