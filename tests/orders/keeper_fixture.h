// A two-copy installation with a store and an order keeper on it, the way
// the dialog's Save uses them: the fixture of the tests of the user's orders.
#ifndef TALIQ_TESTS_ORDERS_KEEPER_FIXTURE_H_
#define TALIQ_TESTS_ORDERS_KEEPER_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "dictionary/dictionary_store.h"
#include "orders/group_order.h"
#include "orders/local_time.h"
#include "orders/order_keeper.h"
#include "tests/freqtool/installation.h"
#include "tests/support/test_platform.h"

namespace taliq::test {

inline LocalTime FixedTime() { return LocalTime{1796875506, 480}; }

class KeeperFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    install_.InstallAll();
    platform_.SetProgramFilesFolder(install_.programFiles());
    ASSERT_TRUE(platform_.UserDataFolder(&dataDir_));
  }

  // What the dialog's Save does for one group: BeforeSave, the write-back,
  // Saved.
  void Save(const GroupKey& group, const TextOrder& after) {
    CandidateList list{};
    int count = 0;
    TextOrder before;
    ASSERT_TRUE(ReadGroupOrder(&store_, group, list, &count, &before).ok());
    ASSERT_TRUE(keeper_.BeforeSave({group, before, after}).ok()) << keeper_.status().message();
    ASSERT_TRUE(WriteGroupOrder(&store_, group, list, count, after).ok());
    ASSERT_TRUE(keeper_.Saved().ok()) << keeper_.status().message();
  }

  // The group's order as the installed first copy holds it now.
  TextOrder Current(const GroupKey& group) {
    CandidateList list{};
    int count = 0;
    TextOrder order;
    EXPECT_TRUE(ReadGroupOrder(&store_, group, list, &count, &order).ok());
    return order;
  }

  Installation install_;
  TestPlatform platform_;
  std::string dataDir_;
  DictionaryStore store_{&platform_};
  OrderKeeper keeper_{&platform_, &store_, FixedTime};
};

}  // namespace taliq::test

#endif  // TALIQ_TESTS_ORDERS_KEEPER_FIXTURE_H_
