// tunavo-cli sync-copies: makes the second installed copy of a dictionary
// byte-identical to the first, when the first checks sound, after keeping
// the second copy's old files in the per-user data folder.
//
// Each file is copied through one fixed buffer (CopyFileVerified) to a
// temporary name beside it and renamed over the old one: a table may be
// hundreds of megabytes, which ReplaceFileContents would hold in memory.
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "dictionary/table_check.h"
#include "orders/data_folder.h"
#include "orders/file_copy.h"
#include "orders/local_time.h"
#include "platform/file_lock.h"
#include "platform/journal.h"

namespace taliq::cli {
namespace {

constexpr const char* kCopyFiles[] = {kIndexFileName, kCharacterTableFileName, kPhraseTableFileName,
                                      kPunctuationFileName};

// The keeping folder's name for this moment: the local time without the
// characters Windows refuses in a name.
std::string TimeFolderName() {
  std::string name = FormatLocalTime(SystemLocalTime());
  for (char& c : name) {
    if (c == ':') c = '-';
  }
  return name;
}

int RunSync(const GlobalOptions& options, const std::vector<std::string>& args, const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommandOptions(kSyncCommand, args, {}, io, &parsed)) return *status;
  Session session(options, io);
  if (int status = session.OpenFolders(); status != kExitOk) return status;
  Platform* platform = session.platform();
  const DictionaryId id = session.dictionary();
  const std::string name(DictionaryName(id));
  const std::string first = session.DictionaryFolder(id, false);
  const std::string second = session.DictionaryFolder(id, true);
  if (second.empty() || second == first) {
    return Refused(io, "sync-copies: there is only one installed copy (" + first + ")");
  }
  if (!platform->IsDirectory(second.substr(0, second.size() - 1))) {
    return Refused(
        io, "sync-copies: there is no second copy of the " + name + " dictionary (" + second + ")");
  }
  // Both copies are held against saves meanwhile, and a save an earlier
  // run left half done is finished or undone before anything is read:
  // replacing a file under its journal would leave the journal to a later
  // recovery, which would put its old bytes into the new file.
  FileLock locks[2];
  const std::string copies[2] = {first, second};
  for (int c = 0; c < 2; ++c) {
    const std::string folder = copies[c].substr(0, copies[c].size() - 1);
    if (Status s = locks[c].Acquire(platform, copies[c] + kDictionaryLockFileName, folder);
        !s.ok()) {
      return Failure(io, "sync-copies: " + s.message() + "; nothing was changed");
    }
    for (const char* file : kCopyFiles) {
      const Recovery r = RecoverInterruptedSave(platform, copies[c] + file);
      NoteEachLine(io, r.note);
      if (!r.status.ok()) {
        return Failure(io, "sync-copies: " + r.status.message() + "; nothing was changed");
      }
    }
  }

  // The first copy must be sound: it becomes the second.
  std::string firstProblem;
  CheckReport report;
  report.problem = [&](const CheckProblem& p) {
    if (firstProblem.empty()) {
      firstProblem = p.file + " at offset " + std::to_string(p.offset) + ": " + p.problem;
    }
  };
  const CheckCounts counts = CheckDictionary(platform, first, "", report);
  if (counts.notInstalled || counts.problems > 0) {
    if (firstProblem.empty()) firstProblem = "the " + name + " dictionary is not installed";
    return Refused(io, "sync-copies: the first copy has a problem (" + firstProblem +
                           "); nothing was changed");
  }

  std::vector<const char*> changed;
  for (const char* file : kCopyFiles) {
    FileDigest a;
    FileDigest b;
    if (Status s = DigestFile(platform, first + file, &a); !s.ok()) {
      return session.ReadFailure(first + file, s);
    }
    const Status sb = DigestFile(platform, second + file, &b);
    if (!sb.ok() && !sb.Is(Status::Code::kNotFound)) return session.ReadFailure(second + file, sb);
    if (!sb.ok() || !(a == b)) changed.push_back(file);
  }
  if (changed.empty()) {
    io.out << "the copies of the " << name << " dictionary are already identical\n";
    return kExitOk;
  }

  // Keep the old files first; nothing is overwritten unless all are kept.
  std::string data;
  if (Status s = EnsureUserDataFolder(platform, &data); !s.ok()) {
    return Failure(io, "sync-copies: no data folder to keep the old files in (" + s.message() +
                           "); nothing was changed");
  }
  const std::string keep =
      JoinPath(JoinPath(JoinPath(data, "replaced-copies"), name), TimeFolderName());
  if (Status s = EnsureFolder(platform, keep); !s.ok()) {
    return Failure(io, "sync-copies: " + s.message() + "; nothing was changed");
  }
  for (const char* file : changed) {
    FileDigest d;
    const Status s = CopyFileVerified(platform, second + file, JoinPath(keep, file), &d);
    if (!s.ok() && !s.Is(Status::Code::kNotFound)) {
      return Failure(io, "sync-copies: cannot keep " + second + file + " (" + s.message() +
                             "); nothing was changed");
    }
  }
  io.out << "kept the second copy's old files in " << keep << '\n';
  for (const char* file : changed) {
    const std::string target = second + file;
    FileDigest d;
    if (const Status s = CopyFileVerified(platform, first + file, target, &d); !s.ok()) {
      io.out.flush();
      return Failure(io, "sync-copies: " + s.message() + "; the old files are in " + keep);
    }
    io.out << "replaced " << target << '\n';
  }
  return session.EndOutput("sync-copies");
}

}  // namespace

const Command kSyncCommand = {
    "sync-copies",
    "",
    R"(Makes the second installed copy of the dictionary (--charset, --edition)
byte-identical to the first, when the first checks sound. The second
copy's old files are kept first, as they were, in the data folder
(--data-dir) below replaced-copies/DICTIONARY/TIME/. Prints the files it
replaced. Refused, with the reason, when the first copy has a problem.
)",
    RunSync,
};

}  // namespace taliq::cli
