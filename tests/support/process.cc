#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace orn::test {

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The test's environment with the additions applied, as NAME=VALUE strings.
std::vector<std::string> merged_environment(const EnvironmentAdditions& additions) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        auto equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : additions) variables[name] = value;
    std::vector<std::string> result;
    result.reserve(variables.size());
    for (const auto& [name, value] : variables) result.emplace_back(name).append("=").append(value);
    return result;
}

std::vector<char*> c_strings(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (auto& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

ExitStatus exit_status_from(int status) {
    ExitStatus result;
    if (WIFEXITED(status)) {
        result.exited = true;
        result.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

}  // namespace

bool poll_until(const std::function<bool()>& condition, Millis timeout,
                const std::function<void()>& step, Millis interval) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (step) step();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(interval);
    }
}

std::string ExitStatus::describe() const {
    if (exited) return "exit status " + std::to_string(code);
    return "killed by signal " + std::to_string(signal);
}

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const EnvironmentAdditions& env) {
    std::string out_path = output_dir_.root() + "/stdout";
    std::string err_path = output_dir_.root() + "/stderr";

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    // Its own process group, so that kill() reaches anything it started too.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::vector<std::string> argv_strings{program};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<std::string> env_strings = merged_environment(env);
    auto argv = c_strings(argv_strings);
    auto envp = c_strings(env_strings);
    int error =
        posix_spawnp(&pid_, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
}

Process::~Process() {
    kill();
}

bool Process::reap(bool block) {
    if (status_) return true;
    int status = 0;
    pid_t result;
    do {
        result = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result != pid_) return false;
    status_ = exit_status_from(status);
    return true;
}

bool Process::running() {
    return !reap(false);
}

std::optional<ExitStatus> Process::wait_for(Millis timeout) {
    poll_until([this] { return reap(false); }, timeout);
    return status_;
}

void Process::kill() {
    if (status_) return;
    ::kill(-pid_, SIGKILL);
    reap(true);
}

std::string Process::stdout_text() const {
    return read_file(output_dir_.root() + "/stdout");
}

std::string Process::stderr_text() const {
    return read_file(output_dir_.root() + "/stderr");
}

std::optional<ExitStatus> run_to_end(const std::string& program,
                                     const std::vector<std::string>& args, Millis timeout) {
    Process process(program, args);
    auto status = process.wait_for(timeout);
    if (!status) process.kill();
    return status;
}

}  // namespace orn::test
