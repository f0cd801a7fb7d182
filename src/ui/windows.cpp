#include "ui/windows.h"

#include "ui/toolkit.h"

#include <map>

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
