#include "gtk/sound.h"

#include <alsa/asoundlib.h>
#include <canberra.h>
#include <dlfcn.h>
#include <gtk/gtk.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "runtime/input_file.h"

namespace orn::gtk {

namespace {

// libcanberra, and through it ALSA and the sound file decoders, is loaded by
// the sound thread when the first sound plays: a window that is only looked
// at never pays for loading them at start-up.
constexpr const char* kCanberraLibrary = "libcanberra.so.0";
constexpr const char* kAlsaLibrary = "libasound.so.2";
// Largest sound file played: a click takes a few kilobytes.
constexpr std::size_t kMaxSoundBytes = std::size_t{16} << 20;

// ALSA reports a machine without a sound card on standard error; the
// program's standard error is for its own messages.
void quiet_alsa(const char*, int, const char*, int, const char*, ...) {}

gboolean ring_bell(gpointer) {
    gdk_display_beep(gdk_display_get_default());
    return G_SOURCE_REMOVE;
}

// What the desktop's settings say about sounds, read on the main thread
// where GTK may be used.
struct SoundSettings {
    bool enabled = true;
    std::string theme;
    std::string display;
};

SoundSettings desktop_sound_settings() {
    SoundSettings settings;
    gboolean enabled = TRUE;
    gchar* theme = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-enable-event-sounds", &enabled,
                 "gtk-sound-theme-name", &theme, nullptr);
    settings.enabled = enabled;
    if (theme) settings.theme = theme;
    g_free(theme);
    if (GdkDisplay* display = gdk_display_get_default())
        settings.display = gdk_display_get_name(display);
    return settings;
}

// The few libcanberra functions the click needs, looked up once loaded.
class Canberra {
  public:
    // Loads the library and makes a context; false when either fails.
    bool open(const SoundSettings& settings) {
        if (void* alsa = dlopen(kAlsaLibrary, RTLD_NOW | RTLD_GLOBAL)) {
            auto set_handler = reinterpret_cast<decltype(&snd_lib_error_set_handler)>(
                dlsym(alsa, "snd_lib_error_set_handler"));
            if (set_handler) set_handler(quiet_alsa);
        }
        void* library = dlopen(kCanberraLibrary, RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        auto create =
            reinterpret_cast<decltype(&ca_context_create)>(dlsym(library, "ca_context_create"));
        auto change = reinterpret_cast<decltype(&ca_context_change_props)>(
            dlsym(library, "ca_context_change_props"));
        play_ = reinterpret_cast<decltype(&ca_context_play)>(dlsym(library, "ca_context_play"));
        if (!create || !change || !play_ || create(&context_) != CA_SUCCESS) return false;
        const char* name = g_get_prgname();
        change(context_, CA_PROP_APPLICATION_NAME, name ? name : "ornlux",  //
               CA_PROP_CANBERRA_ENABLE, settings.enabled ? "1" : "0",       //
               CA_PROP_WINDOW_X11_DISPLAY, settings.display.c_str(), nullptr);
        if (!settings.theme.empty())
            change(context_, CA_PROP_CANBERRA_XDG_THEME_NAME, settings.theme.c_str(), nullptr);
        return true;
    }

    // True when the file played or sounds are turned off.
    bool play(const std::string& path) {
        int result =
            play_(context_, 0, CA_PROP_MEDIA_FILENAME, path.c_str(), CA_PROP_EVENT_DESCRIPTION,
                  "zoom click", CA_PROP_CANBERRA_CACHE_CONTROL, "never", nullptr);
        return result == CA_SUCCESS || result == CA_ERROR_DISABLED;
    }

  private:
    ca_context* context_ = nullptr;
    decltype(&ca_context_play) play_ = nullptr;
};

// Plays queued files one after the other on its own thread. It lives as
// long as the process; the process ends without waiting for it.
class SoundThread {
  public:
    explicit SoundThread(SoundSettings settings) : settings_(std::move(settings)) {
        std::thread(&SoundThread::run, this).detach();
    }

    void enqueue(const std::string& host_path) {
        std::lock_guard lock(mutex_);
        queue_.push_back(host_path);
        wake_.notify_one();
    }

  private:
    void run() {
        bool loaded = canberra_.open(settings_);
        for (;;) {
            std::string path;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !queue_.empty(); });
                path = std::move(queue_.front());
                queue_.pop_front();
            }
            // Only a regular file of a sound's size goes to the sound system,
            // which would wait forever on a pipe in its place.
            bool playable = try_open_input_file(path, kMaxSoundBytes).has_value();
            if (!loaded || !playable || !canberra_.play(path)) g_idle_add(ring_bell, nullptr);
        }
    }

    SoundSettings settings_;
    Canberra canberra_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> queue_;
};

}  // namespace

void play_sound_file(const std::string& host_path) {
    // Never destroyed: see SoundThread.
    static SoundThread* thread = new SoundThread(desktop_sound_settings());
    thread->enqueue(host_path);
}

}  // namespace orn::gtk
