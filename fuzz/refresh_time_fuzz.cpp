// The refresh time as typed or read from Settings.ini: any text either arms the timer within
// its range or is refused with the conversion or range error, never with undefined behaviour.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "snapshot/snapshot_cycle.h"
#include "support/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorrel::Settings settings;
    settings.RefreshTime.assign(reinterpret_cast<const char*>(data), size);
    quorrel::test::ManualTimer timer;
    quorrel::test::FakeClock clock;
    quorrel::test::CountingBeeper beeper;
    quorrel::SnapshotCycle cycle(settings, timer,
                                 {clock, beeper, quorrel::platform::SystemFiles(), "Log.txt"});
    try {
        cycle.SetCheckPeriod();
    } catch (const std::invalid_argument&) {
        return 0;
    } catch (const std::out_of_range&) {
        return 0;
    }
    if (timer.interval() < 0 || timer.interval() > quorrel::platform::Timer::kMaxInterval ||
        (cycle.TicksPerCheck() != 1 && cycle.TicksPerCheck() != 66)) {
        std::abort();
    }
    return 0;
}
