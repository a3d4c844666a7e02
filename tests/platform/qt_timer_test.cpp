#include "platform/qt/qt_timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace quorrel::platform {
namespace {

// A bare QTimer with interval 0 fires on every pass of the event loop; the snapshot timer must
// never tick then, or a refresh time of 0 would check the save folder without pause.
TEST(QtTimerTest, IntervalZeroNeverTicksAndRangeIsChecked)
{
    QtTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &QtTimer::Tick, [&ticks] { ++ticks; });
    timer.setInterval(0);
    timer.setEnabled(true);
    for (int pass = 0; pass < 100; ++pass) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(ticks, 0);

    EXPECT_THROW(timer.setInterval(65536), std::out_of_range);
    EXPECT_THROW(timer.setInterval(-1), std::out_of_range);
    EXPECT_EQ(timer.interval(), 0);
}

}  // namespace
}  // namespace quorrel::platform
