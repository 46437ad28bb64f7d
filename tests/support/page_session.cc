#include "page_session.h"

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace orn::test {

namespace {

const char* const kServicesFolder = "/usr/share/dbus-1/services";
// Without it, WebKit cannot start the accessibility bus, which would run
// outside the program's processes (and write under HOME).
const char* const kAccessibilityService = "org.a11y.Bus.service";

// The system's session services less the accessibility bus, as links in dir.
std::string link_services(const std::string& dir) {
    fs::path services = fs::path(dir) / "services";
    fs::create_directories(services);
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(kServicesFolder, missing)) {
        if (entry.path().filename() == kAccessibilityService) continue;
        fs::create_symlink(entry.path(), services / entry.path().filename());
    }
    return services.string();
}

std::string write_config(const std::string& dir, const std::string& services) {
    std::string path = (fs::path(dir) / "bus.conf").string();
    std::ofstream out(path);
    out << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path="
        << dir << "/socket</listen>\n"
        << "  <auth>EXTERNAL</auth>\n"
           "  <servicedir>"
        << services << "</servicedir>\n"
        << "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
    return path;
}

std::string first_line(const std::string& text) {
    auto end = text.find('\n');
    return end == std::string::npos ? std::string() : text.substr(0, end);
}

std::string read_whole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

PrivateSessionBus::PrivateSessionBus(const std::string& dir, const EnvironmentAdditions& env) {
    fs::create_directories(dir);
    std::string config = write_config(dir, link_services(dir));
    std::string home = (fs::path(dir) / "home").string();
    fs::create_directories(home);
    EnvironmentAdditions daemon_env = env;
    daemon_env.emplace_back("HOME", home);
    daemon_env.emplace_back("NO_AT_BRIDGE", "1");
    daemon_ =
        std::make_unique<Process>("dbus-daemon",
                                  std::vector<std::string>{"--config-file=" + config, "--nofork",
                                                           "--nopidfile", "--print-address=1"},
                                  daemon_env);
    poll_until(
        [&] {
            address_ = first_line(daemon_->stdout_text());
            return !address_.empty() || !daemon_->running();
        },
        Millis(5000));
}

PrivateSessionBus::~PrivateSessionBus() = default;

std::string PrivateSessionBus::log() const {
    return daemon_->stderr_text();
}

std::vector<std::string> PrivateSessionBus::activated_services() const {
    std::vector<std::string> names;
    std::istringstream text(log());
    const std::string mark = "Activating service name='";
    for (std::string line; std::getline(text, line);) {
        auto at = line.find(mark);
        if (at == std::string::npos) continue;
        auto start = at + mark.size();
        names.push_back(line.substr(start, line.find('\'', start) - start));
    }
    return names;
}

std::vector<pid_t> marked_processes(const std::string& name, const std::string& value) {
    const std::string wanted = name + "=" + value;
    std::vector<pid_t> pids;
    std::error_code gone;
    for (const auto& entry : fs::directory_iterator("/proc", gone)) {
        std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::istringstream environment(read_whole(entry.path() / "environ"));
        for (std::string variable; std::getline(environment, variable, '\0');) {
            if (variable == wanted) {
                pids.push_back(static_cast<pid_t>(std::stol(pid)));
                break;
            }
        }
    }
    return pids;
}

std::string describe_processes(const std::vector<pid_t>& pids) {
    std::string text;
    for (pid_t pid : pids) {
        std::string name = read_whole("/proc/" + std::to_string(pid) + "/comm");
        if (!name.empty() && name.back() == '\n') name.pop_back();
        if (!text.empty()) text += ", ";
        text += std::to_string(pid) + " (" + name + ")";
    }
    return text;
}

void kill_processes(const std::vector<pid_t>& pids) {
    for (pid_t pid : pids) ::kill(pid, SIGKILL);
}

std::string end_marked_processes(const std::string& name, const std::string& value, Millis wait) {
    std::vector<pid_t> left;
    bool gone = poll_until(
        [&] {
            left = marked_processes(name, value);
            return left.empty();
        },
        wait);
    if (gone) return {};
    std::string described = describe_processes(left);
    kill_processes(left);
    return described;
}

std::vector<std::string> entries_under(const std::string& dir) {
    std::vector<std::string> entries;
    std::error_code unreadable;
    for (const auto& entry : fs::recursive_directory_iterator(dir, unreadable))
        entries.push_back(fs::relative(entry.path(), dir).string());
    return entries;
}

}  // namespace orn::test
