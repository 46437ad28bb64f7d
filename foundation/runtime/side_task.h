// Work run on a thread of its own that starts on another core than its
// creator's. Linux queues a new thread on its creator's core, where it can
// wait a millisecond or more while the creator stays busy (as start-up is,
// loading GTK) though another core is idle; the figure's decode is on the
// critical path from the first instruction.
#pragma once

#include <sched.h>

#include <atomic>
#include <memory>
#include <thread>
#include <utility>

namespace orn {

// The cores a thread may run on.
class CoreSet {
  public:
    static CoreSet of_calling_thread();
    // Lets the calling thread run on these cores.
    void apply_to_calling_thread() const;
    // Moves a thread that has not run yet off the calling thread's core,
    // when there is another core in the set.
    void steer_off_calling_core(std::thread& thread) const;

  private:
    cpu_set_t cores_{};
    bool known_ = false;
};

class SideTask {
  public:
    SideTask() = default;
    // Starts work. What it throws is dropped: the work reports its own
    // failures where they belong.
    template <typename Work>
    explicit SideTask(Work work) {
        CoreSet cores = CoreSet::of_calling_thread();
        auto steered = std::make_shared<std::atomic<bool>>(false);
        thread_ = std::thread([work = std::move(work), cores, steered]() mutable {
            // Once steered, the thread may go wherever its creator may.
            steered->wait(false);
            cores.apply_to_calling_thread();
            try {
                work();
            } catch (...) {  // NOLINT(bugprone-empty-catch): dropped, as documented
            }
        });
        cores.steer_off_calling_core(thread_);
        steered->store(true);
        steered->notify_one();
    }
    SideTask(SideTask&&) noexcept = default;
    SideTask& operator=(SideTask&& other) noexcept;  // waits for the old work first
    ~SideTask();                                     // waits for the work

    // Waits until the work has ended (at once when there is none).
    void wait();

  private:
    std::thread thread_;
};

}  // namespace orn
