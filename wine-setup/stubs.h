// Putting stubs in place of the textbook's Windows viewers and the Windows
// programs back again: what to do at one place, and doing it.
#pragma once

#include <string>

#include "wine-setup/viewer_places.h"

namespace orn::wine_setup {

// The shell script that stands in for a Windows viewer: it runs the native
// program at native_path with the item path it is given, in the Wine prefix
// it is started in (else wine_prefix), with its standard output apart from
// the caller's.
std::string stub_text(const std::string& native_path, const std::string& wine_prefix,
                      const std::string& kept_name);

enum class Step {
    keep_and_stub,        // keep the Windows program aside, put a stub in its place
    put_stub_back,        // the program is kept aside but its place is empty
    update_stub,          // a stub of ours that starts something else
    nothing_set_up,       // the stub is there and right
    restore_program,      // --undo: the kept program back in its place
    nothing_to_undo,      // --undo: the Windows program is in its place
    not_windows_program,  // the file is not a Windows program: left alone
    both_there,           // a Windows program and a kept one: which to keep is not ours to say
    kept_missing,         // --undo: a stub without the program it stands for
};

// What a set-up (undo false) or an undo does at place; wanted_stub is the
// stub a set-up puts there.
Step plan_step(const ViewerPlace& place, bool undo, const std::string& wanted_stub);

// Whether the step changes files, and whether it means a refusal (exit status 1).
bool changes_files(Step step);
bool is_refusal(Step step);

// Carries the step out; throws std::system_error when a file operation
// fails (the place is then as it was, as far as it can be put back).
void carry_out(const ViewerPlace& place, Step step, const std::string& wanted_stub);

}  // namespace orn::wine_setup
