// The program's windows as loaded or unloaded: showing a window that is not loaded creates it
// and runs its load handler; unloading destroys it; the program ends with its last window.
#pragma once

#include <QPointer>
#include <QWidget>

#include <typeindex>

namespace Windows {

namespace detail {
QWidget* find(std::type_index type);
void add(std::type_index type, QWidget* window);
void present(QWidget* window);
bool ending();
} // namespace detail

// The loaded window of that class, or nullptr.
template <class Form> Form* find() {
    return static_cast<Form*>(detail::find(typeid(Form)));
}

// Shows the window modeless, without an owner. A window that is not loaded is created and its
// load() runs first, if it has one (it may show message boxes); a loaded one is only brought to
// the front. Returns nullptr once the program is ending (then nothing is shown), or if the load
// unloaded the window.
template <class Form> Form* show() {
    if (detail::ending())
        return nullptr;
    if (Form* loaded = find<Form>()) {
        detail::present(loaded);
        return loaded;
    }
    auto* form = new Form;
    detail::add(typeid(Form), form);
    QPointer<Form> guard(form);
    if constexpr (requires { form->load(); })
        form->load();
    if (!guard || find<Form>() != form || detail::ending())
        return nullptr;
    detail::present(form);
    return form;
}

// Unloads the window: it is hidden at once and destroyed with all its state. Ends the program
// when no window is left.
void unload(QWidget* window);

template <class Form> void unload() {
    if (Form* loaded = find<Form>())
        unload(loaded);
}

// For a window's closeEvent once the close is accepted: the window no longer counts as loaded.
// Ends the program when no window is left.
void forget(QWidget* window);

// Unloads every window without ending the program (tests use it to start clean).
void unloadAll();

// How many windows are loaded.
int loadedCount();

} // namespace Windows
