// What a test of the page viewer sets up around the program: a private
// D-Bus session bus (the HTML engine needs one) that offers no
// accessibility bus, and the means to find every process a test started,
// directly or through the bus, by a marker in its environment.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "process.h"

namespace orn::test {

class PrivateSessionBus {
  public:
    // Starts dbus-daemon with its configuration, socket and HOME in dir; env
    // is added to its environment and so to the services it starts.
    PrivateSessionBus(const std::string& dir, const EnvironmentAdditions& env);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // The address for DBUS_SESSION_BUS_ADDRESS; empty when the bus did not start.
    const std::string& address() const { return address_; }
    // What the daemon said, for failure messages.
    std::string log() const;
    // The services the bus started on request, by name.
    std::vector<std::string> activated_services() const;

  private:
    std::unique_ptr<Process> daemon_;
    std::string address_;
};

// The processes whose environment holds name=value.
std::vector<pid_t> marked_processes(const std::string& name, const std::string& value);
// "1234 (WebKitWebProces), 1240 (dbus-daemon)".
std::string describe_processes(const std::vector<pid_t>& pids);
void kill_processes(const std::vector<pid_t>& pids);
// Waits up to wait for the processes whose environment holds name=value to
// end, kills those still there and describes them; empty when none was left.
std::string end_marked_processes(const std::string& name, const std::string& value, Millis wait);

// Every file and folder below dir, as paths relative to it.
std::vector<std::string> entries_under(const std::string& dir);

}  // namespace orn::test
