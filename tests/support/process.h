// Child processes for tests: start a program with extra environment, capture
// its output in files, wait for it with a deadline, kill it. Also the one
// polling loop every wait in the tests is built on.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "temp_tree.h"

namespace orn::test {

using Millis = std::chrono::milliseconds;

// Calls step() and then condition() every interval until condition() holds
// or timeout has passed; true when it held. step may pump an event loop.
bool poll_until(const std::function<bool()>& condition, Millis timeout,
                const std::function<void()>& step = {}, Millis interval = Millis(5));

// How a process ended, as waitpid reported it.
struct ExitStatus {
    bool exited = false;  // normal exit (code); otherwise killed by signal
    int code = 0;
    int signal = 0;
    std::string describe() const;  // "exit status 1", "killed by signal 9"
};

using EnvironmentAdditions = std::vector<std::pair<std::string, std::string>>;

class Process {
  public:
    // Starts program (a path, or a name looked up in PATH) with args, the test's environment plus
    // env (entries there replace variables of the same name), standard input from /dev/null and
    // standard output and error into files. Throws std::runtime_error when it cannot be started.
    Process(const std::string& program, const std::vector<std::string>& args,
            const EnvironmentAdditions& env = {});
    // Kills the process (and its process group) if it still runs.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status once it ended within timeout, else nothing.
    std::optional<ExitStatus> wait_for(Millis timeout);
    // SIGKILL to the process group, then reaps the process.
    void kill();

    std::string stdout_text() const;
    std::string stderr_text() const;

  private:
    bool reap(bool block);

    pid_t pid_ = -1;
    std::optional<ExitStatus> status_;
    TempTree output_dir_;
};

// Runs a program to its end; its exit status, or nothing (after killing it)
// when it took longer than timeout.
std::optional<ExitStatus> run_to_end(const std::string& program,
                                     const std::vector<std::string>& args,
                                     Millis timeout = Millis(10000));

}  // namespace orn::test
