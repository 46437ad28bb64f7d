// The toolkit's process-wide part: the backend, the program's name and
// command line, the conversion between twips and pixels, and the error
// boundary around every handler.
#pragma once

#include <functional>
#include <string>

#include "runtime/backend.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace orn {

class RuntimeError;

class Toolkit {
  public:
    Toolkit(Backend& backend, std::string program_name, Text argument_string);

    Backend& backend() { return backend_; }
    // The command line after the program's path.
    const Text& argument_string() const { return argument_; }

    int to_pixels(Single twips);
    Single to_twips(int pixels);

    // Runs an event handler. A run-time error it does not trap is reported
    // (dialog, one line on standard error) and ends the program with status 1.
    // Nothing runs once the program has ended.
    void run_handler(const std::function<void()>& handler);

    // Runs the start-up handler, then the event loop until the program ends.
    // Returns the exit status (backends that really exit never return).
    int run(const std::function<void()>& initialize);

    // Ends the program: no further handler runs.
    void end_program(int status);

    bool ended() const { return ended_; }
    int exit_status() const { return exit_status_; }
    // The message of the run-time error that ended the program, if one did.
    const std::string& fatal_message() const { return fatal_message_; }

  private:
    void report_fatal(const RuntimeError& error);

    Backend& backend_;
    std::string program_name_;
    Text argument_;
    bool ended_ = false;
    int exit_status_ = 0;
    std::string fatal_message_;
};

}  // namespace orn
