// Run-time errors of the form runtime.
//
// A failing toolkit operation throws RuntimeError. The event dispatch catches
// it at the boundary of every handler and reports it (dialog, one line on
// standard error, exit status 1); only a handler that traps errors itself
// catches it earlier.
#pragma once

#include <stdexcept>
#include <string>

namespace orn {

// The numbers are the toolkit's classic error numbers; the dialog shows them.
enum class ErrorCode : int {
    InvalidArgument = 5,
    Overflow = 6,
    OutOfMemory = 7,
    FloatingPointFault = 11,
    FileNotFound = 53,
    DeviceIOError = 57,  // a read failed after the file was opened
    ReadPastEnd = 62,
    PathNotFound = 76,
    InvalidPropertyValue = 380,
    InvalidPicture = 481,
};

// "File not found", "Overflow", ...: the error's name as it starts a message,
// in English (translate() gives it in the user's language).
const char* error_name(ErrorCode code);

class RuntimeError : public std::runtime_error {
  public:
    // detail: what the error is about, e.g. the Windows path and the host
    // path it was looked for at. Empty when the name says it all.
    explicit RuntimeError(ErrorCode code, const std::string& detail = {});

    ErrorCode code() const { return code_; }
    const std::string& detail() const { return detail_; }

  private:
    ErrorCode code_;
    std::string detail_;
};

// What the error says to the user, in the user's language: the error's
// name, then ": " and the detail (which stays as it is) when there is one.
// what() is the same in English.
std::string error_message(const RuntimeError& error);

// The error dialog's text: "Run-time error '53':", a blank line, then
// error_message(). The number is the same in every language.
std::string run_time_error_text(const RuntimeError& error);

[[noreturn]] void raise_error(ErrorCode code, const std::string& detail = {});

}  // namespace orn
