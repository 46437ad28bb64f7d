// Small helpers for using GTK's C API from C++ objects: a reference that owns
// a widget for as long as the object holding it lives, and signal handlers
// that are member functions.
#pragma once

#include <gtk/gtk.h>

#include <type_traits>
#include <utility>

namespace orn::gtk {

// Owns a GObject: takes the floating reference of a new widget (or adds one
// to an object GTK owns, such as a top-level window) and lets go of it when
// destroyed. A widget is destroyed first, which takes it out of its
// container and, for a window, off the screen.
template <typename T>
class ObjectRef {
  public:
    explicit ObjectRef(T* object) : object_(object) {
        if (object_) g_object_ref_sink(object_);
    }
    ~ObjectRef() { reset(); }
    ObjectRef(const ObjectRef&) = delete;
    ObjectRef& operator=(const ObjectRef&) = delete;
    ObjectRef(ObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ObjectRef& operator=(ObjectRef&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }

    T* get() const { return object_; }
    GtkWidget* widget() const { return GTK_WIDGET(object_); }

    void reset() {
        if (!object_) return;
        if (GTK_IS_WIDGET(object_)) gtk_widget_destroy(GTK_WIDGET(object_));
        g_object_unref(std::exchange(object_, nullptr));
    }

  private:
    T* object_;
};

// A main-loop source (idle or timeout) of an object, removed when the
// object goes so that its callback cannot reach it afterwards.
class SourceId {
  public:
    SourceId() = default;
    ~SourceId() { remove(); }
    SourceId(const SourceId&) = delete;
    SourceId& operator=(const SourceId&) = delete;

    // Takes a new source over, removing the one held before.
    void set(guint id) {
        remove();
        id_ = id;
    }
    void remove() {
        if (id_) g_source_remove(std::exchange(id_, 0));
    }
    // The source ended by itself: its callback is returning G_SOURCE_REMOVE.
    void ended() { id_ = 0; }
    bool active() const { return id_ != 0; }

  private:
    guint id_ = 0;
};

namespace detail {

// The C function GLib calls for a signal: the emitting instance, the
// signal's arguments, then the user data, which is the object.
template <auto Method>
struct SignalTrampoline;

template <typename Class, typename Result, typename... Args, Result (Class::*Method)(Args...)>
struct SignalTrampoline<Method> {
    using CResult = std::conditional_t<std::is_same_v<Result, bool>, gboolean, Result>;
    static CResult call(gpointer /*instance*/, Args... args, gpointer self) {
        if constexpr (std::is_same_v<Result, bool>) {
            return (static_cast<Class*>(self)->*Method)(args...) ? TRUE : FALSE;
        } else {
            return (static_cast<Class*>(self)->*Method)(args...);
        }
    }
};

}  // namespace detail

// Connects the member function Method of object to a signal of instance.
// Method takes the signal's arguments without the emitting instance and
// returns bool (as gboolean) or void. The handler runs after the class's
// own handler when after is set. The object disconnects its handlers
// (disconnect_handlers) before it goes away.
template <auto Method, typename Class>
gulong connect_signal(gpointer instance, const char* signal, Class* object, bool after = false) {
    return g_signal_connect_data(
        instance, signal,
        reinterpret_cast<GCallback>(&detail::SignalTrampoline<Method>::call),  // NOLINT
        object, nullptr, after ? G_CONNECT_AFTER : static_cast<GConnectFlags>(0));
}

// Disconnects every handler that object connected to instance.
inline void disconnect_handlers(gpointer instance, const void* object) {
    if (instance) g_signal_handlers_disconnect_by_data(instance, const_cast<void*>(object));
}

}  // namespace orn::gtk
