// Tallivor II: keeps a person's names, passwords and registration numbers.
#include "core/notice.h"
#include "navigation.h"
#include "startup/form3.h"
#include "ui/icons.h"
#include "ui/windowregistry.h"
#include "version.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Core::ProgramName);
    QApplication::setApplicationVersion(QStringLiteral(TALLIVOR_VERSION));
    QApplication::setWindowIcon(Icons::main());
    // The program ends when its last window is unloaded, not when the last one is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    Navigation::install();
    if (!Windows::show<Form3>())
        return 0;
    return QApplication::exec();
}
