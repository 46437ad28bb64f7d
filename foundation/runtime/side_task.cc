#include "runtime/side_task.h"

#include <pthread.h>

namespace orn {

CoreSet CoreSet::of_calling_thread() {
    CoreSet set;
    CPU_ZERO(&set.cores_);
    set.known_ = pthread_getaffinity_np(pthread_self(), sizeof set.cores_, &set.cores_) == 0;
    return set;
}

void CoreSet::apply_to_calling_thread() const {
    if (known_) pthread_setaffinity_np(pthread_self(), sizeof cores_, &cores_);
}

void CoreSet::steer_off_calling_core(std::thread& thread) const {
    int here = sched_getcpu();
    if (!known_ || here < 0 || !CPU_ISSET(here, &cores_) || CPU_COUNT(&cores_) < 2) return;
    cpu_set_t elsewhere = cores_;
    CPU_CLR(here, &elsewhere);
    pthread_setaffinity_np(thread.native_handle(), sizeof elsewhere, &elsewhere);
}

SideTask& SideTask::operator=(SideTask&& other) noexcept {
    wait();
    thread_ = std::move(other.thread_);
    return *this;
}

SideTask::~SideTask() {
    wait();
}

void SideTask::wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace orn
