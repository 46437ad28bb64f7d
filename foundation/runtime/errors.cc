#include "runtime/errors.h"

#include "runtime/translation.h"

namespace orn {

const char* error_name(ErrorCode code) {
    switch (code) {
        case ErrorCode::InvalidArgument:
            return N_("Invalid argument");
        case ErrorCode::Overflow:
            return N_("Overflow");
        case ErrorCode::OutOfMemory:
            return N_("Out of memory");
        case ErrorCode::FloatingPointFault:
            return N_("Floating-point fault");
        case ErrorCode::FileNotFound:
            return N_("File not found");
        case ErrorCode::DeviceIOError:
            return N_("Device I/O error");
        case ErrorCode::ReadPastEnd:
            return N_("Read past end of file");
        case ErrorCode::PathNotFound:
            return N_("Path not found");
        case ErrorCode::InvalidPropertyValue:
            return N_("Invalid property value");
        case ErrorCode::InvalidPicture:
            return N_("Invalid picture");
    }
    return N_("Run-time error");
}

namespace {

std::string message(ErrorCode code, const std::string& detail) {
    std::string text = error_name(code);
    if (!detail.empty()) text.append(": ").append(detail);
    return text;
}

}  // namespace

std::string error_message(const RuntimeError& error) {
    std::string text = translate(error_name(error.code()));
    if (!error.detail().empty()) text.append(": ").append(error.detail());
    return text;
}

std::string run_time_error_text(const RuntimeError& error) {
    return format_text(_("Run-time error '%d':"), static_cast<int>(error.code())) + "\n\n" +
           error_message(error);
}

RuntimeError::RuntimeError(ErrorCode code, const std::string& detail)
    : std::runtime_error(message(code, detail)), code_(code), detail_(detail) {}

void raise_error(ErrorCode code, const std::string& detail) {
    throw RuntimeError(code, detail);
}

}  // namespace orn
