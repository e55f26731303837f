// TunavoDialogModel: everything the frequency tool's main dialog decides,
// without a window.
//
// The model owns the DictionaryStore and the AdjustmentList and talks to the
// screen only through a TunavoView. The Win32 dialog forwards its messages
// to the On... handlers below and implements the view with control
// messages; the command-line front end drives the same handlers, so both
// behave alike to the message.
#ifndef TALIQ_FREQTOOL_TUNAVO_DIALOG_MODEL_H_
#define TALIQ_FREQTOOL_TUNAVO_DIALOG_MODEL_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/dictionary_id.h"
#include "dictionary/dictionary_store.h"
#include "dictionary/table_find.h"
#include "freqtool/adjustment_list.h"
#include "freqtool/tunavo_view.h"
#include "orders/order_keeper.h"
#include "orders/user_orders.h"
#include "platform/dialog_frame.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// The program title: caption of every message box of the dialog.
inline constexpr char16_t kTunavoTitle[] = u"Taliq輸入法TSF調頻程序";
inline constexpr char16_t kNoSelectionMessage[] = u"請先選擇需要調頻字詞";
inline constexpr char16_t kSaveSucceededMessage[] = u"成功保存調頻信息!";
// After a save whose record in the user data folder failed: this, a line
// break and the reason.
inline constexpr char16_t kOrdersNotKeptMessage[] =
    u"調頻已保存,但未能記錄到調頻歷史(無法復原此次儲存):";
// Another instance (the dialog or a script) held the dictionary folder's
// lock for longer than a save waits: nothing of this save was written to
// that copy.
inline constexpr char16_t kSaveBusyMessage[] =
    u"另一個程序正在保存詞庫,本次調頻未能寫入,請稍後再試。";
// The dialog framework's own text for a field that holds more characters
// than its data exchange allows.
inline constexpr char16_t kCodeTooLongMessage[] = u"Please enter no more than 6 characters.";

// The input field holds at most this many characters.
inline constexpr int kMaxCodeUnits = 6;

// The About item of the system menu (IDM_ABOUTBOX of Tunavo.exe).
inline constexpr unsigned kIdmAboutBox = 0x0010;
// The tool's own system-menu commands, above the About item.
inline constexpr unsigned kIdmFind = 0x0100;
inline constexpr unsigned kIdmUndo = 0x0200;
inline constexpr unsigned kIdmResetCode = 0x0300;
inline constexpr unsigned kIdmExport = 0x0400;
inline constexpr unsigned kIdmImport = 0x0500;
inline constexpr unsigned kIdmHistory = 0x0600;

// The flags a dialog-framework message box is shown with: a box that names
// no icon gets the exclamation icon (OK, OK/Cancel) or the question icon
// (Yes/No, Yes/No/Cancel).
unsigned FrameworkMessageBoxFlags(unsigned flags);

// The message boxes the tool shows for the store's results, with no owner
// window, the platform's default caption and OK, as they have always
// appeared:
// - a failed index load: kOutOfMemoryMessage when memory ran out, else
//   `failedMessage` (kIndexLoadFailedMessage at start-up,
//   kTableLoadFailedMessage after a switch of dictionary);
// - a failed punctuation write: kPunctuationFileMessage when the table could
//   not be created or opened for writing (or its folder is missing); a
//   failed write itself shows nothing.
// The texts, or null when nothing is shown.
const char16_t* IndexLoadMessage(const Status& status, const char16_t* failedMessage);
const char16_t* PunctuationWriteMessage(const Status& status);
// Shows the box the text functions above name, if any.
void ReportIndexLoad(Platform* platform, const Status& status, const char16_t* failedMessage);
void ReportPunctuationWrite(Platform* platform, const Status& status);

// How a press of Save ended. The dialog shows only the success message (and
// the punctuation message above on a failed punctuation write); front ends
// that can say more use the rest, and the store's status().
enum class SaveStatus {
  kSaved,              // every write succeeded; the success message was shown
  kNothingToSave,      // Save is disabled: nothing moved since the list was filled
  kFirstCopyFailed,    // nothing written, the second copy not tried
  kSecondCopyFailed,   // the first copy rewritten, the second not
  kPunctuationFailed,  // the punctuation table was not written
};

class TunavoDialogModel {
 public:
  // Constructs the store, which loads the simplified standard index, and
  // reports a failure through the platform's message box (null platform:
  // Platform::Default()). The view is not used before OnInitDialog; both
  // must outlive the model.
  TunavoDialogModel(Platform* platform, TunavoView* view);
  TunavoDialogModel(const TunavoDialogModel&) = delete;
  TunavoDialogModel& operator=(const TunavoDialogModel&) = delete;

  // After the framework created the controls: writes them (empty field
  // limited to 6 characters, 繁體 checked), then takes the command line,
  // given as the arguments after the program name. The first argument's
  // second character selects the edition ("1" = 2002, anything else the
  // standard edition); when the first argument begins with "0" or "1" it
  // also selects the character set, the second argument without its first
  // character becomes the code, and the list is refreshed. The edition is
  // applied first, so that this start-up list already comes from the
  // edition asked for.
  void OnInitDialog(const std::vector<std::u16string>& arguments);

  // EN_CHANGE of the input field: the list is refilled for the field's code.
  void OnCodeChanged();
  // BN_CLICKED of either character-set radio button, checked or not.
  void OnCharsetClicked();
  // The 單字 / 詞組 buttons: switch mode and refill, or nothing when the mode
  // is already that one (unsaved moves are kept).
  void OnSingleClicked();
  void OnPhraseClicked();
  // The 標點 button: the punctuation table is (re)loaded every time.
  void OnPunctuationClicked();

  // The four move buttons, on the list box's current selection. The result
  // is what happened; the view has already been updated or told.
  MoveResult OnMoveToTop();
  MoveResult OnMoveUp();
  MoveResult OnMoveDown();
  MoveResult OnMoveToBottom();

  // The Save button: candidate lists go to both installed copies (the
  // second only after the first was written), a punctuation list to the
  // first copy only.
  //
  // Here, at the opening and at every lookup, a save an earlier run did not
  // finish that the store has just completed or undone is told once
  // (TunavoView::ShowRecoveries, kRecoveredSavesHeading); without one no
  // box is added.
  SaveStatus OnSave();

  // The tool's commands in the system menu, in menu order.
  std::span<const SystemMenuCommand> SystemMenuCommands() const;

  // WM_SYSCOMMAND: true when the command was the About item or one of
  // SystemMenuCommands() and has been carried out; false when the
  // framework's default handling must run.
  bool OnSysCommand(unsigned commandId);

  // 查碼: runs the find dialog on the dictionary the character set and
  // edition choose; when it closed with a hit, the list shows that code in
  // the hit's mode with the text's line selected.
  void OnFind();

  // The user's orders (orders/user_orders.h). Each shows its result in a
  // message box with the program's caption; failures name the file and
  // why. After a change the list shows the current code's new order.
  // 復原上次儲存: undoes the most recent save not yet undone.
  void OnUndo();
  // 恢復此碼原始順序: the listed code (or the punctuation table) back in its
  // original order.
  void OnResetCode();
  // 匯出調頻記錄: every dictionary's orders to a file the user chooses.
  void OnExport();
  // 匯入調頻記錄: a file the user chooses; its summary is shown and nothing
  // is written without the user's yes.
  void OnImport();
  // 調頻歷史: the history, newest first, in a modal dialog.
  void OnHistory();
  // Once the dialog is on screen: when the installed dictionaries were
  // replaced since the last save, offers (Yes/No) to apply the kept orders
  // again.
  void OnStartUp();

  // The table file a save of the current list writes in the first or the
  // second installed copy; empty when no list was looked up.
  std::string SaveTargetPath(bool secondCopy);

  ListMode mode() const { return adjustment_.mode(); }
  Charset charset() const { return charset_; }
  Edition edition() const { return edition_; }
  const std::u16string& code() const { return code_; }
  const AdjustmentList& adjustment() const { return adjustment_; }
  DictionaryStore& store() { return store_; }
  OrderKeeper& keeper() { return keeper_; }

 private:
  enum class Source { kNone, kCharacters, kPhrases, kPunctuation };

  // OnInitDialog after the controls were written: the command line.
  void StartUp(const std::vector<std::u16string>& arguments);
  void Refresh();
  void LoadPunctuationList();
  int RunLookup();
  void ClearList();
  void FillList();
  // UpdateData(true) and UpdateData(false) of the dialog framework.
  void ReadControls();
  void WriteControls();
  MoveResult Move(MoveResult (AdjustmentList::*move)(), bool toEnd);
  // After a refused write of the second copy: the warning that it differs
  // from the first (nothing for a missing copy).
  void WarnIfSecondCopyDiffers();
  // Lists `hit`'s code in its table's mode and selects the line of `text`.
  void ShowHit(const FindHit& hit, std::u16string_view text);
  // Refills the list from the files after they changed under it.
  void Relist();
  // Asks before an import or re-apply writes, with `report`'s summary;
  // true on Yes.
  bool ConfirmImport(std::u16string_view lead, const ImportReport& report);
  int ShowMessage(std::u16string_view text, unsigned flags);
  // Records the save just made (in the first copy at least) and says so
  // when that failed.
  void KeepSave();
  // OnSave's writes, without the success message.
  SaveStatus WriteList();
  // Says, once, what the store's loads and writes found of saves an earlier
  // run did not finish (a message box, only when there were such saves).
  void TellRecoveries();
  // The group the current list shows, its stored order and the order of
  // its lines: what a save of it changes.
  OrderChange PendingChange() const;

  Platform* const platform_;
  TunavoView* const view_;
  DictionaryStore store_;
  AdjustmentList adjustment_;
  // Keeps the snapshot and the history around every save.
  OrderKeeper keeper_;
  Edition edition_ = Edition::kStandard;
  std::u16string code_;
  Charset charset_ = Charset::kTraditional;
  // Which lookup filled the current list.
  Source source_ = Source::kNone;
  // Set while the model writes its controls: the notifications that writing
  // causes are not user actions.
  int writingControls_ = 0;
};

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_TUNAVO_DIALOG_MODEL_H_
