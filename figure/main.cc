// ornfig: shows one figure of the textbook, named by its item path.
#include <cstdio>
#include <memory>

#include "figure/config.h"
#include "figure/frm1.h"
#include "gtk/gtk_backend.h"
#include "gtk/session_bus.h"
#include "runtime/command_line.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"
#include "runtime/translation.h"

namespace {

// Translated when it is shown.
constexpr char kUsage[] = N_(R"(Usage: ornfig ITEM-PATH
Shows a figure of the Ornlux textbook in a small window above the others,
with its caption scrolling through the title bar. ITEM-PATH names the figure's
item, for example 'C:\Book\htm\f12_3.htm'; the textbook is found through
the configuration file c:\Program Files\Ornlux\orn.ini, on the drives of
$WINEPREFIX (by default ~/.wine).

  --help     show this help and exit
  --version  show the version and exit
  --         end of options: what follows is the item path

See ornfig(1).
)");

}  // namespace

int main(int argc, char** argv) {
    // Before anything else, and before any thread starts: everything the
    // program says is in the user's language.
    orn::use_users_language();
    // --help and --version are answered before GTK starts: they need no display.
    orn::CommandLine command = orn::parse_command_line(argc, argv);
    if (command.action != orn::CommandAction::run)
        return orn::answer_option(command.action, "ornfig", _(kUsage), stdout);

    orn::gtk::use_classic_look();
    orn::gtk::stay_off_missing_session_bus();
    // A Cyrillic name that Wine misread is read again before anything uses it.
    orn::Text argument = orn::figure::figure_argument_as_meant(command.argument);
    // The figure decodes on a thread of its own while GTK starts and the
    // window is made; frm1's LoadPicture takes it.
    orn::decode_picture_ahead([argument] { return orn::figure::locate_figure_file(argument); },
                              orn::figure::kStartZoomPercent / 100.0);

    orn::gtk::GtkBackend backend(argc, argv, "ornfig");
    // GTK has taken its own options (--display ...) out of argv by now.
    orn::Text after_gtk = orn::parse_command_line(argc, argv).argument;
    if (after_gtk != command.argument) argument = orn::figure::figure_argument_as_meant(after_gtk);
    orn::Toolkit toolkit(backend, "ornfig", argument);
    orn::figure::frm1 form(toolkit);
    return toolkit.run([&] { form.Form_Initialize(); });
}
