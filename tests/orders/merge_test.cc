// The merge rule as a table: a wanted order applied to a group as it is now.
#include "orders/merge.h"

#include <gtest/gtest.h>

namespace taliq {
namespace {

TEST(MergeOrderTest, Table) {
  const struct {
    const char* name;
    TextOrder wanted;
    TextOrder current;
    TextOrder order;
    TextOrder dropped;
    bool exact;
  } cases[] = {
      {"same texts: the wanted order",
       {u"c", u"a", u"b"},
       {u"a", u"b", u"c"},
       {u"c", u"a", u"b"},
       {},
       true},
      {"already in that order", {u"a", u"b"}, {u"a", u"b"}, {u"a", u"b"}, {}, true},
      {"group gained texts: they follow in their order",
       {u"c", u"a"},
       {u"a", u"x", u"c", u"y"},
       {u"c", u"a", u"x", u"y"},
       {},
       false},
      {"group lost a text: it is dropped",
       {u"c", u"gone", u"a"},
       {u"a", u"c"},
       {u"c", u"a"},
       {u"gone"},
       false},
      {"gained and lost",
       {u"gone", u"b", u"a"},
       {u"a", u"new", u"b"},
       {u"b", u"a", u"new"},
       {u"gone"},
       false},
      {"nothing in common", {u"p", u"q"}, {u"a", u"b"}, {u"a", u"b"}, {u"p", u"q"}, false},
      {"empty group", {u"p"}, {}, {}, {u"p"}, false},
      {"nothing wanted", {}, {u"a", u"b"}, {u"a", u"b"}, {}, false},
      {"a text held twice: the wanted one is its first copy",
       {u"b", u"a"},
       {u"a", u"b", u"a"},
       {u"b", u"a", u"a"},
       {},
       false},
      {"a text wanted twice matches two copies",
       {u"a", u"b", u"a"},
       {u"b", u"a", u"a"},
       {u"a", u"b", u"a"},
       {},
       true},
      {"wanted more often than held", {u"a", u"a"}, {u"b", u"a"}, {u"a", u"b"}, {u"a"}, false},
  };
  for (const auto& c : cases) {
    const MergedOrder m = MergeOrder(c.wanted, c.current);
    EXPECT_EQ(m.order, c.order) << c.name;
    EXPECT_EQ(m.dropped, c.dropped) << c.name;
    EXPECT_EQ(m.exact, c.exact) << c.name;
  }
}

}  // namespace
}  // namespace taliq
