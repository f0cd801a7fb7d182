#include "navigation.h"

#include "clearing/clearing.h"
#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "startup/form2.h"
#include "startup/form4.h"
#include "ui/windowregistry.h"

namespace Navigation {

void install() {
    using Windows::Window;
    Windows::define<Form1>(Window::Main, [](Form1* main) {
        QObject::connect(main, &Form1::clearCurrentSetChosen, main, &Clearing::ClearCurrentSet);
        QObject::connect(main, &Form1::clearAllChosen, main, &Clearing::ClearAll);
        QObject::connect(main, &Form1::changePasswordChosen, main, [] { Windows::show<Form4>(); });
    });
    Windows::define<Form2>(Window::Password);
    Windows::define<Form4>(Window::ChangePassword);
    Windows::define<Form5>(Window::ClearSet);
    Windows::define<Form6>(Window::ClearAll);
}

} // namespace Navigation
