// The program's windows as loaded or unloaded: showing a window that is not loaded creates it
// and runs its load handler; unloading destroys it; the program ends with its last window.
// Windows of one folder open each other by class; a window of another folder is opened by its
// Window, which the program's top defines at start.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <type_traits>
#include <typeindex>

namespace Windows {

// The windows that others open, close or look for.
enum class Window { Main, Password, ChangePassword, ClearSet, ClearAll };

namespace detail {
QWidget* find(std::type_index type);
void add(std::type_index type, QWidget* window);
void present(QWidget* window);
bool ending();
void define(Window window, std::type_index type, std::function<QWidget*()> show,
            std::function<void(QWidget*)> made);
} // namespace detail

// The loaded window of that class, or nullptr.
template <class Form> Form* find() {
    return static_cast<Form*>(detail::find(typeid(Form)));
}

// Shows the window modeless, without an owner. A window that is not loaded is created (from
// args) and its load() runs first, if it has one (it may show message boxes); a loaded one is
// only brought to the front. Returns nullptr once the program is ending (then nothing is shown),
// or if the load unloaded the window.
template <class Form, class... Args> Form* show(Args... args) {
    if (detail::ending())
        return nullptr;
    if (Form* loaded = find<Form>()) {
        detail::present(loaded);
        return loaded;
    }
    auto* form = new Form(args...);
    detail::add(typeid(Form), form);
    QPointer<Form> guard(form);
    if constexpr (requires { form->load(); })
        form->load();
    if (!guard || find<Form>() != form || detail::ending())
        return nullptr;
    detail::present(form);
    return form;
}

// Says which class a Window is; made, if given, runs on each new one before it loads. A window
// made from arguments is opened by its own folder, and only found through its Window.
template <class Form> void define(Window window, std::function<void(Form*)> made = {}) {
    detail::define(
        window, typeid(Form),
        [] {
            if constexpr (std::is_default_constructible_v<Form>)
                return static_cast<QWidget*>(show<Form>());
            else
                return static_cast<QWidget*>(find<Form>());
        },
        made ? [made](QWidget* w) { made(static_cast<Form*>(w)); }
             : std::function<void(QWidget*)>());
}

// As show<Form>() and find<Form>() for the class defined for window.
QWidget* show(Window window);
QWidget* find(Window window);

// Unloads the window: it is hidden at once and destroyed with all its state. Ends the program
// when no window is left.
void unload(QWidget* window);

void unload(Window window);

// For a window's closeEvent once the close is accepted: the window no longer counts as loaded.
// Ends the program when no window is left.
void forget(QWidget* window);

// Unloads every window without ending the program (tests use it to start clean).
void unloadAll();

// How many windows are loaded.
int loadedCount();

} // namespace Windows
