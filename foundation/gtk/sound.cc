#include "gtk/sound.h"

#include <alsa/asoundlib.h>
#include <canberra-gtk.h>
#include <gdk/gdk.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace orn::gtk {

namespace {

// ALSA reports a machine without a sound card on standard error; the
// program's standard error is for its own messages.
void quiet_alsa(const char*, int, const char*, int, const char*, ...) {}

gboolean ring_bell(gpointer) {
    gdk_display_beep(gdk_display_get_default());
    return G_SOURCE_REMOVE;
}

// Plays queued files one after the other on its own thread. It lives as
// long as the process; the process ends without waiting for it.
class SoundThread {
  public:
    SoundThread() : context_(ca_gtk_context_get()) {
        snd_lib_error_set_handler(quiet_alsa);
        std::thread(&SoundThread::run, this).detach();
    }

    void enqueue(const std::string& host_path) {
        std::lock_guard lock(mutex_);
        queue_.push_back(host_path);
        wake_.notify_one();
    }

  private:
    void run() {
        for (;;) {
            std::string path;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !queue_.empty(); });
                path = std::move(queue_.front());
                queue_.pop_front();
            }
            play(path);
        }
    }

    void play(const std::string& path) {
        int result = ca_context_play(context_, 0, CA_PROP_MEDIA_FILENAME, path.c_str(),
                                     CA_PROP_EVENT_DESCRIPTION, "zoom click",
                                     CA_PROP_CANBERRA_CACHE_CONTROL, "never", nullptr);
        if (result != CA_SUCCESS && result != CA_ERROR_DISABLED) g_idle_add(ring_bell, nullptr);
    }

    ca_context* context_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> queue_;
};

}  // namespace

void play_sound_file(const std::string& host_path) {
    static SoundThread* thread = new SoundThread();  // never destroyed: see SoundThread
    thread->enqueue(host_path);
}

}  // namespace orn::gtk
