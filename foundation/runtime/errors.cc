#include "runtime/errors.h"

namespace orn {

const char* error_name(ErrorCode code) {
    switch (code) {
        case ErrorCode::InvalidArgument:
            return "Invalid argument";
        case ErrorCode::Overflow:
            return "Overflow";
        case ErrorCode::OutOfMemory:
            return "Out of memory";
        case ErrorCode::FloatingPointFault:
            return "Floating-point fault";
        case ErrorCode::FileNotFound:
            return "File not found";
        case ErrorCode::DeviceIOError:
            return "Device I/O error";
        case ErrorCode::ReadPastEnd:
            return "Read past end of file";
        case ErrorCode::PathNotFound:
            return "Path not found";
        case ErrorCode::InvalidPropertyValue:
            return "Invalid property value";
        case ErrorCode::InvalidPicture:
            return "Invalid picture";
    }
    return "Run-time error";
}

namespace {

std::string message(ErrorCode code, const std::string& detail) {
    std::string text = error_name(code);
    if (!detail.empty()) text.append(": ").append(detail);
    return text;
}

}  // namespace

RuntimeError::RuntimeError(ErrorCode code, const std::string& detail)
    : std::runtime_error(message(code, detail)), code_(code), detail_(detail) {}

void raise_error(ErrorCode code, const std::string& detail) {
    throw RuntimeError(code, detail);
}

}  // namespace orn
