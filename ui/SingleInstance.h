// Each window of the monitor exists once: its first use creates it, hidden,
// and runs its load handler; it then lives until the process ends, unless it
// is unloaded (the about box is, and tests reset every window this way).
#pragma once

#include <QPointer>

template <class T>
class SingleInstance {
public:
    // The window, created and loaded on first use.
    static T& Instance()
    {
        if (!instance_) {
            instance_ = new T();
            if constexpr (requires(T & t) { t.Form_Load(); })
                instance_->Form_Load();
        }
        return *instance_;
    }
    // The window if it exists, else nullptr; never creates it.
    static T* IfLoaded() { return instance_; }
    // Destroys the window; the next use creates it again.
    static void Unload()
    {
        T* doomed = instance_;
        instance_ = nullptr;
        delete doomed;
    }
    // The same from inside one of the window's own handlers: it is hidden and
    // forgotten now, and destroyed once the handler has returned.
    static void UnloadLater()
    {
        T* doomed = instance_;
        instance_ = nullptr;
        if (doomed) {
            doomed->hide();
            doomed->deleteLater();
        }
    }

private:
    static inline QPointer<T> instance_;
};
