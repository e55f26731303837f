// How an order from an orders file (or the history) is applied to a group
// as it is now, which may have gained or lost texts since the order was
// taken (another dictionary version, a reinstall).
#ifndef TALIQ_ORDERS_MERGE_H_
#define TALIQ_ORDERS_MERGE_H_

#include "orders/order_group.h"

namespace taliq {

struct MergedOrder {
  TextOrder order;     // the group's texts in their new order
  TextOrder dropped;   // texts of the wanted order the group does not hold
  bool exact = false;  // the group holds exactly the wanted texts
};

// When the group holds exactly the texts of `wanted`, their order is
// `wanted`. Otherwise the texts the group still holds come first, in the
// order of `wanted`, and the group's other texts follow in their current
// order; texts of `wanted` the group does not hold are dropped and
// reported. A text a group holds more than once matches its first unused
// occurrence for each time it is wanted.
MergedOrder MergeOrder(const TextOrder& wanted, const TextOrder& current);

}  // namespace taliq

#endif  // TALIQ_ORDERS_MERGE_H_
