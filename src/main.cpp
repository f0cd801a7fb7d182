// Tallivor II: keeps a person's names, passwords and registration numbers.
#include "startup/form3.h"
#include "ui/icons.h"
#include "ui/windows.h"
#include "version.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallivor II"));
    QApplication::setApplicationVersion(QStringLiteral(TALLIVOR_VERSION));
    QApplication::setWindowIcon(Icons::main());
    // The program ends when its last window is unloaded, not when the last one is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!Windows::show<Form3>())
        return 0;
    return QApplication::exec();
}
