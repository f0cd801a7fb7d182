#include "ui/windowregistry.h"

#include "ui/toolkit.h"

#include <map>
#include <utility>

namespace Windows {
namespace {
std::map<std::type_index, QPointer<QWidget>>& loaded() {
    static std::map<std::type_index, QPointer<QWidget>> windows;
    return windows;
}

// Drops the window from the loaded set; true if it was there.
bool drop(QWidget* window) {
    auto& windows = loaded();
    for (auto it = windows.begin(); it != windows.end(); ++it) {
        if (it->second == window) {
            windows.erase(it);
            return true;
        }
    }
    return false;
}

struct Definition {
    std::type_index type = typeid(void);
    std::function<QWidget*()> show;
};
std::map<Window, Definition>& definitions() {
    static std::map<Window, Definition> defined;
    return defined;
}
std::map<std::type_index, std::function<void(QWidget*)>>& madeHooks() {
    static std::map<std::type_index, std::function<void(QWidget*)>> hooks;
    return hooks;
}

void endIfNoneLeft() {
    if (loadedCount() == 0)
        Toolkit::current().endProgram();
}
} // namespace

namespace detail {
QWidget* find(std::type_index type) {
    auto& windows = loaded();
    auto it = windows.find(type);
    if (it == windows.end())
        return nullptr;
    if (!it->second) { // destroyed behind our back
        windows.erase(it);
        return nullptr;
    }
    return it->second;
}

void add(std::type_index type, QWidget* window) {
    loaded()[type] = window;
    const auto hook = madeHooks().find(type);
    if (hook != madeHooks().end())
        hook->second(window);
}

void define(Window window, std::type_index type, std::function<QWidget*()> show,
            std::function<void(QWidget*)> made) {
    definitions()[window] = {type, std::move(show)};
    if (made)
        madeHooks()[type] = std::move(made);
}

bool ending() {
    return Toolkit::current().ending();
}

void present(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
} // namespace detail

QWidget* show(Window window) {
    const auto it = definitions().find(window);
    return it == definitions().end() ? nullptr : it->second.show();
}

QWidget* find(Window window) {
    const auto it = definitions().find(window);
    return it == definitions().end() ? nullptr : detail::find(it->second.type);
}

void unload(Window window) {
    unload(find(window));
}

void unload(QWidget* window) {
    if (!window || !drop(window))
        return;
    window->hide();
    window->deleteLater();
    endIfNoneLeft();
}

void forget(QWidget* window) {
    if (!drop(window))
        return;
    window->deleteLater();
    endIfNoneLeft();
}

void unloadAll() {
    auto& windows = loaded();
    while (!windows.empty()) {
        QPointer<QWidget> w = windows.begin()->second;
        windows.erase(windows.begin());
        if (w) {
            w->hide();
            delete w.data();
        }
    }
}

int loadedCount() {
    int count = 0;
    for (auto& [type, window] : loaded())
        count += window ? 1 : 0;
    return count;
}

} // namespace Windows
