// Session: one command's access to the installed dictionaries.
//
// It owns the platform the options describe and either the bare store (for
// lookups) or the frequency tool's dialog model over it (for what the
// dialog does: list, move, save), and it is the one place that checks the
// folders and files and reports what could not be read or written.
#ifndef TALIQ_CLI_TUNAVO_SESSION_H_
#define TALIQ_CLI_TUNAVO_SESSION_H_

#include <memory>
#include <string>
#include <string_view>

#include "cli/cli_platform.h"
#include "cli/front_end.h"
#include "cli/tunavo_cli_view.h"
#include "cli/tunavo_command.h"
#include "dictionary/candidate.h"
#include "dictionary/dictionary_store.h"
#include "freqtool/tunavo_dialog_model.h"
#include "orders/order_keeper.h"

namespace taliq::cli {

class Session {
 public:
  Session(const GlobalOptions& options, const Streams& io);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Each Open returns kExitOk, or the status after saying why not:
  // kExitUsage when no Program Files folder is known, kExitFailure when the
  // dictionary cannot be read (with the store's reason).

  // Creates the store and loads the chosen dictionary's index.
  int OpenStore();
  // Opens the dialog on the chosen dictionary and lists `code` in `mode`
  // (the code plays no part in the punctuation mode).
  int OpenDialog(ListMode mode, const std::string& code);

  // For the commands that read whole tables of any dictionary, through no
  // store: only checks that the folders can be named. Nothing is read or
  // written.
  int OpenFolders();
  // After OpenFolders: the folder of `id` in the first or the second
  // installed copy, ending in the path separator.
  std::string DictionaryFolder(DictionaryId id, bool second);
  // After OpenFolders, before `id`'s files are read: completes or undoes
  // what interrupted saves left in either copy of it, and says so. kExitOk,
  // or kExitFailure after saying why the first copy's could not be.
  int ResolveSaves(DictionaryId id);
  Platform* platform() { return &platform_; }
  DictionaryId dictionary() const { return dictionary_; }
  // Reports a file that could not be read: "cannot read WHAT (WHY)";
  // returns kExitFailure.
  int ReadFailure(std::string_view what, const Status& why);

  // After OpenStore: looks `code` up in the character or the phrase table.
  // Returns kExitOk with the records in `list` and their number in
  // `*count`, or kExitFailure after saying why the table cannot be read.
  int Lookup(std::u16string_view code, bool phrases, CandidateList& list, int* count);

  // After OpenStore or OpenOrders: the keeper of the user's orders over
  // the store.
  OrderKeeper& keeper();
  // For the commands over the kept orders: OpenFolders, the store (on the
  // simplified standard dictionary, as the frequency tool starts), then the
  // user data folder (created when missing) in `*dataDir`. kExitFailure
  // after saying why there is none.
  int OpenOrders(std::string_view command, std::string* dataDir);
  // After OpenOrders.
  const std::string& dataDir() const { return dataDir_; }
  const Streams& io() const { return io_; }
  // Reports a failure of the kept orders for `command` and returns its exit
  // status: kExitUsage for a refusal (nothing was done) or a code without
  // candidates, else kExitFailure with the file and why.
  int OrdersFailure(std::string_view command, const Status& why);
  // Flushes the output: kExitOk, or kExitFailure when it could not be
  // written.
  int EndOutput(std::string_view command);

  // After OpenDialog.
  TunavoDialogModel& model() { return *model_; }
  CliView& view() { return view_; }
  // The first line showing `text`, or -1.
  int FindLine(std::u16string_view text) const;
  // Presses Save. Returns kExitOk when every copy was written (the dialog's
  // success message is on the output), else kExitFailure after saying
  // which copy was not written.
  int Save();

 private:
  // Says, once, what the store found of saves an earlier run did not
  // finish.
  void TellRecoveries();
  // kExitOk when the platform names a Program Files folder.
  int CheckProgramFiles();
  // The chosen dictionary's folder in the first installed copy.
  std::string Folder();
  // An index that cannot be loaded; a file that cannot be opened for
  // reading (kExitOk when it can); a save the store refused.
  int IndexFailure();
  int UnlessReadable(const std::string& path, const Status& status);
  int SaveFailure(SaveStatus status);
  // Every failure to read or write a dictionary file is reported here:
  // `what` names the file and what became of it, `why` is the store's
  // reason, `outcome` what was saved all the same ("; nothing was saved").
  int FileFailure(std::string_view what, const Status& why, std::string_view outcome);

  const Streams io_;
  const DictionaryId dictionary_;
  CliPlatform platform_;
  CliView view_;
  std::unique_ptr<DictionaryStore> ownStore_;
  std::unique_ptr<TunavoDialogModel> model_;
  DictionaryStore* store_ = nullptr;  // ownStore_ or the model's
  std::unique_ptr<OrderKeeper> keeper_;
  std::string dataDir_;
};

// Runs a command over the kept orders: parses `command.orders.options` and
// its arguments, opens the session on the user data folder, runs the body
// and flushes the output. The body's exit status, or kExitFailure when the
// output could not be written.
int RunOrdersCommand(const Command& command, const GlobalOptions& options,
                     const std::vector<std::string>& args, const Streams& io);

}  // namespace taliq::cli

#endif  // TALIQ_CLI_TUNAVO_SESSION_H_
