// SideTask: work on a thread of its own, started off the creator's core,
// joined like the future of std::async.
#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "runtime/side_task.h"

namespace orn {
namespace {

using namespace std::chrono_literals;

cpu_set_t cores_of_this_thread() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    EXPECT_EQ(sched_getaffinity(0, sizeof cores, &cores), 0);
    return cores;
}

// Steered off its creator's core to start, the thread may then run on every
// core its creator may: a thread left pinned away from a core would queue
// behind whatever runs on the others.
TEST(SideTask, RunsOnTheCoresItsCreatorMayUse) {
    cpu_set_t creator = cores_of_this_thread();
    cpu_set_t seen;
    CPU_ZERO(&seen);
    SideTask([&] { seen = cores_of_this_thread(); }).wait();
    EXPECT_TRUE(CPU_EQUAL(&seen, &creator))
        << CPU_COUNT(&seen) << " cores allowed, the creator has " << CPU_COUNT(&creator);
}

TEST(SideTask, WaitsForItsWorkWhenReplacedOrDestroyed) {
    std::atomic<int> ended{0};
    auto slow = [&] {
        std::this_thread::sleep_for(50ms);
        ++ended;
    };
    {
        SideTask task(slow);
        task = SideTask(slow);  // the first has ended before the second is taken
        EXPECT_GE(ended.load(), 1);
    }
    EXPECT_EQ(ended.load(), 2);
}

TEST(SideTask, DropsWhatItsWorkThrows) {
    bool ran = false;
    SideTask([&] {
        ran = true;
        throw std::runtime_error("reported elsewhere");
    }).wait();
    EXPECT_TRUE(ran);
    SideTask().wait();  // no work: nothing to wait for
}

}  // namespace
}  // namespace orn
