#include "wine-setup/setup_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "runtime/hostpath.h"
#include "wine-setup/messages.h"
#include "wine-setup/stubs.h"

namespace fs = std::filesystem;

namespace orn::wine_setup {

namespace {

std::string absolute(const std::string& path) {
    std::error_code error;
    fs::path canonical = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? path : canonical.string();
}

bool is_directory(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

struct Viewers {
    std::string paths[std::size(kViewerPrograms)];
    const std::string& path_of(const ViewerProgram* viewer) const {
        return paths[viewer - kViewerPrograms];
    }
};

std::string windows_path_of(const ViewerPlace& place) {
    std::string relative = place.relative_folder.empty()
                               ? place.program_name
                               : place.relative_folder + "/" + place.program_name;
    return to_display_utf8(windows_path_on_drive('c', relative));
}

std::string wanted_stub(const ViewerPlace& place, const Viewers& viewers,
                        const std::string& prefix) {
    return stub_text(viewers.path_of(place.viewer), prefix, place.kept_name());
}

}  // namespace

std::string native_viewer_folder() {
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string("/usr/bin") : self.parent_path().string();
}

int run_setup(const SetupOptions& options, const std::string& viewer_folder, std::ostream& out,
              std::ostream& err) {
    std::string prefix =
        options.prefix ? *options.prefix : HostEnvironment::from_process().wine_prefix;
    if (!is_directory(prefix)) {
        err << no_prefix_message(prefix) << "\n";
        return 1;
    }
    prefix = absolute(prefix);
    std::string drive_c = drive_folder('c', HostEnvironment{prefix});
    if (drive_c.empty()) {
        err << no_drive_message(prefix) << "\n";
        return 1;
    }
    Viewers viewers;
    for (std::size_t i = 0; i < std::size(kViewerPrograms); ++i)
        viewers.paths[i] = (fs::absolute(viewer_folder) / kViewerPrograms[i].native_name)
                               .lexically_normal()
                               .string();

    std::vector<ViewerPlace> places = find_viewer_places(drive_c);
    bool any_textbook = false;
    for (const ViewerPlace& place : places) any_textbook |= place.belongs_to_textbook();
    if (!any_textbook) {
        err << no_textbook_message(prefix) << "\n";
        return 1;
    }

    std::vector<Step> steps;
    for (const ViewerPlace& place : places) {
        Step step = plan_step(place, options.undo, wanted_stub(place, viewers, prefix));
        // A stub must not start a program that is not there: checked before anything changes.
        bool starts_viewer =
            step == Step::keep_and_stub || step == Step::put_stub_back || step == Step::update_stub;
        const std::string& native = viewers.path_of(place.viewer);
        if (starts_viewer && ::access(native.c_str(), X_OK) != 0) {
            err << no_viewer_message(native) << "\n";
            return 1;
        }
        steps.push_back(step);
    }

    int status = 0;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const ViewerPlace& place = places[i];
        std::string where = windows_path_of(place);
        if (is_refusal(steps[i])) status = 1;
        if (!options.dry_run && changes_files(steps[i])) {
            try {
                carry_out(place, steps[i], wanted_stub(place, viewers, prefix));
            } catch (const std::system_error& failure) {
                err << failure_line(where, failure.what()) << "\n";
                status = 1;
                continue;
            }
        }
        out << step_line(where, place, steps[i], viewers.path_of(place.viewer), options.dry_run)
            << "\n";
    }
    return status;
}

}  // namespace orn::wine_setup
