#include "LinkHistory.h"

#include <gtest/gtest.h>

#include <sstream>

namespace rukmox {
namespace {

using std::chrono::milliseconds;

LinkSample Tick(int ms, int channel, bool moved = false) {
  return {milliseconds(ms), 30, 4, channel, true, moved};
}

TEST(LinkHistoryTest, MarksTheTickWhereTheChannelMoved) {
  LinkHistory history;
  history.Add(Tick(0, 3));
  history.Add(Tick(100, 3));
  history.Add(Tick(200, 6));  // moved by the operator: only the channel tells
  history.Add(Tick(300, 6));
  history.Add(Tick(400, 6, true));  // the module moved and came back within one tick
  ASSERT_EQ(history.Samples().size(), 5u);
  std::vector<bool> marks;
  for (const LinkSample& s : history.Samples()) marks.push_back(s.channelMoved);
  EXPECT_EQ(marks, (std::vector<bool>{false, false, true, false, true}));
}

TEST(LinkHistoryTest, PauseKeepsTheChartStill) {
  LinkHistory history;
  history.Add(Tick(0, 3));
  history.SetPaused(true);
  history.Add(Tick(100, 3));
  history.Add(Tick(200, 5));
  history.SetPaused(false);
  history.Add(Tick(300, 5));
  ASSERT_EQ(history.Samples().size(), 2u);
  EXPECT_EQ(history.Samples().back().time, milliseconds(300));
  // The move happened while paused, before the tick shown next.
  EXPECT_FALSE(history.Samples().back().channelMoved);
}

TEST(LinkHistoryTest, KeepsFiveMinutesAndNoMoreThanTenTicksASecond) {
  LinkHistory slow;
  for (int s = 0; s <= 400; ++s) slow.Add(Tick(s * 1000, 1));
  EXPECT_EQ(slow.Samples().front().time, milliseconds(100 * 1000));
  EXPECT_EQ(slow.Samples().size(), 301u);

  LinkHistory fast;  // ticks closer than 100 ms: the capacity bounds the memory
  for (int i = 0; i < 4000; ++i) fast.Add(Tick(i * 50, 1));
  EXPECT_EQ(fast.Samples().size(), LinkHistory::kCapacity);
  EXPECT_EQ(fast.Samples().back().time, milliseconds(3999 * 50));
}

TEST(LinkHistoryTest, CsvHasAHeaderAndOneLinePerSample) {
  LinkHistory history;
  history.Add({milliseconds(0), 34, 4, 3, true, false});
  history.Add({milliseconds(100), 0, 25, 6, false, true});
  std::ostringstream csv;
  history.WriteCsv(csv);
  EXPECT_EQ(csv.str(),
            "time_ms,quality,energy,channel,linked,channel_moved\n"
            "0,34,4,3,1,0\n"
            "100,0,25,6,0,1\n");
}

}  // namespace
}  // namespace rukmox
