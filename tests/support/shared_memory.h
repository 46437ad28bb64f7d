// Whether this machine gives a process System V shared memory at all. Where
// it does not, pictures live in the heap (a fallback, not a fault), and the
// tests of the shared path have nothing to test.
#pragma once

#include <cstdint>

#include <sys/ipc.h>
#include <sys/shm.h>

namespace orn::test {

inline bool system_v_shared_memory_works() {
    int id = shmget(IPC_PRIVATE, 4096, IPC_CREAT | 0600);
    if (id < 0) return false;
    void* address = shmat(id, nullptr, 0);
    shmctl(id, IPC_RMID, nullptr);
    if (reinterpret_cast<std::intptr_t>(address) == -1) return false;
    shmdt(address);
    return true;
}

}  // namespace orn::test
