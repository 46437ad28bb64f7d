#include "runtime/toolkit.h"

#include <cmath>
#include <cstdio>
#include <exception>

#include "runtime/errors.h"
#include "runtime/message_text.h"
#include "runtime/picture.h"

namespace orn {

Toolkit::Toolkit(Backend& backend, std::string program_name, Text argument_string)
    : backend_(backend),
      program_name_(std::move(program_name)),
      argument_(std::move(argument_string)) {
    // Pictures are decoded for the screen's device pixels.
    use_device_scale_for_pictures(backend.device_pixels_per_pixel());
}

int Toolkit::to_pixels(Single twips) {
    double pixels = std::nearbyint(static_cast<double>(twips) / backend_.twips_per_pixel());
    // Far outside any window: let the size checks refuse it rather than overflow an int.
    if (!(std::fabs(pixels) < 1e9)) return pixels < 0 ? -1000000000 : 1000000000;
    return static_cast<int>(pixels);
}

Single Toolkit::to_twips(int pixels) {
    return static_cast<Single>(pixels * backend_.twips_per_pixel());
}

void Toolkit::run_handler(const std::function<void()>& handler) {
    if (ended_) return;
    try {
        handler();
    } catch (const RuntimeError& error) {
        report_fatal(error);
    }
}

int Toolkit::run(const std::function<void()>& initialize) {
    run_handler(initialize);
    if (!ended_) backend_.run();
    return exit_status_;
}

void Toolkit::end_program(int status) {
    if (ended_) return;
    ended_ = true;
    exit_status_ = status;
    backend_.end_program(status);
}

void Toolkit::report_fatal(const RuntimeError& error) {
    ended_ = true;  // no timer or click may run while the message is up
    exit_status_ = 1;
    // The line keeps its shape in every language: the program's name, ": ",
    // then the message, whose error name is translated. It is always one
    // line: a name may hold line ends and terminal escapes.
    fatal_message_ = error_message(error);
    std::fprintf(stderr, "%s: %s\n", program_name_.c_str(),
                 escaped_for_terminal(fatal_message_).c_str());
    std::fflush(stderr);
    backend_.show_error(program_name_, run_time_error_text(error));
    backend_.end_program(1);
}

}  // namespace orn
