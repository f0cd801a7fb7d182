#include "core/notice.h"

#include <QDir>

namespace Core {

Notice unreadable(const QString& file, const QString& reason) {
    return failure(QStringLiteral("The data file could not be read: %1 (%2)")
                       .arg(QDir::toNativeSeparators(file), reason));
}

} // namespace Core
