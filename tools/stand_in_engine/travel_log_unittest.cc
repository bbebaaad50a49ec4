#include "tools/stand_in_engine/travel_log.h"

#include <gtest/gtest.h>

namespace {

TEST(TravelLogTest, EmptyLogGoesNowhere) {
  TravelLog log;
  EXPECT_EQ(log.current(), -1);
  EXPECT_FALSE(log.Peek(-1));
  EXPECT_FALSE(log.Peek(1));
  EXPECT_FALSE(log.Peek(0));
}

TEST(TravelLogTest, BackAndForwardStopAtTheEnds) {
  TravelLog log;
  log.Commit(0, L"a");
  log.Commit(0, L"b");
  EXPECT_EQ(log.Peek(-1), L"a");
  EXPECT_FALSE(log.Peek(1));
  log.Commit(-1, L"a");
  EXPECT_EQ(log.current(), 0);
  EXPECT_FALSE(log.Peek(-1));
  EXPECT_EQ(log.Peek(1), L"b");
  log.Commit(1, L"b");
  EXPECT_EQ(log.current(), 1);
  EXPECT_EQ(log.entries(), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(TravelLogTest, NewNavigationDropsWhatLayAhead) {
  TravelLog log;
  log.Commit(0, L"a");
  log.Commit(0, L"b");
  log.Commit(0, L"c");
  log.Commit(-1, L"b");
  log.Commit(-1, L"a");
  log.Commit(0, L"d");
  EXPECT_EQ(log.entries(), (std::vector<std::wstring>{L"a", L"d"}));
  EXPECT_FALSE(log.Peek(1));
}

TEST(TravelLogTest, AMoveTakesTheFinalUrlAndAStaleMoveCountsAsNew) {
  TravelLog log;
  log.Commit(0, L"a");
  log.Commit(0, L"b");
  log.Commit(-1, L"a-redirected");
  EXPECT_EQ(log.entries()[0], L"a-redirected");
  // Nothing lies two steps back: the commit is recorded as a new entry.
  log.Commit(-1, L"z");
  EXPECT_EQ(log.entries(), (std::vector<std::wstring>{L"a-redirected", L"z"}));
  EXPECT_EQ(log.current(), 1);
}

}  // namespace
