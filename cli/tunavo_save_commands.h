// tunavo-cli's commands that reorder and save, and the punctuation listing.
// They drive the frequency tool's dialog model, so a save from the command
// line is the dialog's save: both installed copies, the same refusals, the
// same success text.
#ifndef TALIQ_CLI_TUNAVO_SAVE_COMMANDS_H_
#define TALIQ_CLI_TUNAVO_SAVE_COMMANDS_H_

#include "cli/tunavo_commands.h"

namespace taliq::cli {

// move [--phrases] CODE TEXT --top|--up|--down|--bottom
// move --punctuation MARK --top|--up|--down|--bottom
extern const Command kMoveCommand;
// order [--phrases] CODE TEXT...
// order --punctuation MARK...
extern const Command kOrderCommand;
// list, with --punctuation added: the punctuation table; any other use is
// the plain list command.
extern const Command kListWithPunctuationCommand;

}  // namespace taliq::cli

#endif  // TALIQ_CLI_TUNAVO_SAVE_COMMANDS_H_
