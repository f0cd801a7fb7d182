#include "ui/icons.h"

// The icons live in a static library, whose resources the linker would drop unless registered
// by hand. Q_INIT_RESOURCE declares a global function, so this must not sit in any namespace.
static void registerResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(tallivor);
        return true;
    }();
    (void)done;
}

namespace Icons {

QIcon main() {
    registerResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/main-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/main-64.png"), QSize(64, 64));
    return icon;
}

QIcon progress() {
    registerResources();
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/progress-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace Icons
