// How tunavo-cli prints the kept orders: an order as the history and the
// orders file write it, and the outcome of an import or a re-apply.
#ifndef TALIQ_CLI_TUNAVO_ORDERS_REPORT_H_
#define TALIQ_CLI_TUNAVO_ORDERS_REPORT_H_

#include <string>
#include <string_view>

#include "cli/front_end.h"
#include "orders/order_group.h"
#include "orders/user_orders.h"

namespace taliq::cli {

// "甲 乙 丙", escaped as in the history file.
std::string OrderText(const TextOrder& order);

// One line per change on the output ("line N: GROUP: BEFORE -> AFTER"),
// one per line not applied on the error stream, then a summary on the
// output. Returns kExitOk when every line was applied, else kExitFailure.
int PrintImportReport(const Streams& io, std::string_view command, const ImportReport& report);

}  // namespace taliq::cli

#endif  // TALIQ_CLI_TUNAVO_ORDERS_REPORT_H_
