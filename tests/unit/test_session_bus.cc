// What start-up sets in the environment before GTK starts, for a session
// without a bus and for one with a bus.
#include <glib.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "gtk/session_bus.h"
#include "temp_tree.h"

namespace orn {
namespace {

// Sets (or, with nothing, removes) a variable for the test's lifetime.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = g_getenv(name)) old_ = old;
        if (value)
            g_setenv(name, value->c_str(), TRUE);
        else
            g_unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_)
            g_setenv(name_, old_->c_str(), TRUE);
        else
            g_unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string variable(const char* name) {
    const char* value = g_getenv(name);
    return value ? value : "(unset)";
}

TEST(SessionBus, WithoutABusNoneIsLaunchedAndSettingsStayInMemory) {
    test::TempTree tree;
    ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    ScopedVariable runtime("XDG_RUNTIME_DIR", tree.root());  // with no bus socket in it
    ScopedVariable settings("GSETTINGS_BACKEND", std::nullopt);
    gtk::stay_off_missing_session_bus();
    EXPECT_EQ(variable("DBUS_SESSION_BUS_ADDRESS"), "disabled:");
    EXPECT_EQ(variable("GSETTINGS_BACKEND"), "memory");
}

TEST(SessionBus, WithABusNothingChanges) {
    test::TempTree tree;
    ScopedVariable settings("GSETTINGS_BACKEND", std::nullopt);
    {
        ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus");
        gtk::stay_off_missing_session_bus();
        EXPECT_EQ(variable("DBUS_SESSION_BUS_ADDRESS"), "unix:path=/run/user/1000/bus");
        EXPECT_EQ(variable("GSETTINGS_BACKEND"), "(unset)");
    }
    // The user session's own bus, found where the libraries look for it.
    tree.write("bus", "");
    ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    ScopedVariable runtime("XDG_RUNTIME_DIR", tree.root());
    gtk::stay_off_missing_session_bus();
    EXPECT_EQ(variable("DBUS_SESSION_BUS_ADDRESS"), "(unset)");
    EXPECT_EQ(variable("GSETTINGS_BACKEND"), "(unset)");
}

}  // namespace
}  // namespace orn
