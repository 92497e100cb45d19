// The pace at which a watching window is brought up to date during a run.
#include "engine/update_pacer.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(UpdatePacer, FirstAskIsDueThenOnlyOncePerInterval) {
  double now = 100;
  UpdatePacer pacer(0.05, [&] { return now; });
  EXPECT_TRUE(pacer.due());
  EXPECT_FALSE(pacer.due()); // the same instant
  now += 0.049;
  EXPECT_FALSE(pacer.due());
  now += 0.001;
  EXPECT_TRUE(pacer.due());
  // The interval counts from the last update shown, not from a fixed grid: a late ask
  // does not make the next one due early.
  now += 0.2;
  EXPECT_TRUE(pacer.due());
  now += 0.03;
  EXPECT_FALSE(pacer.due());
  pacer.reset();
  EXPECT_TRUE(pacer.due());
}

TEST(UpdatePacer, AMillionAsksWithinOneIntervalGiveOneUpdate) {
  double now = 0;
  UpdatePacer pacer(0.05, [&] { return now; });
  int updates = 0;
  for (int i = 0; i < 1000000; ++i) {
    now = i * 1e-6; // a record a microsecond: one second of records
    updates += pacer.due() ? 1 : 0;
  }
  EXPECT_GE(updates, 19);
  EXPECT_LE(updates, 21);
}

TEST(UpdatePacer, TheRealClockMovesForward) {
  const double a = UpdatePacer::steadySeconds();
  const double b = UpdatePacer::steadySeconds();
  EXPECT_LE(a, b);
  UpdatePacer pacer;
  EXPECT_TRUE(pacer.due());
  EXPECT_FALSE(pacer.due());
}

} // namespace
} // namespace brevant
