// A fresh program folder per test, and the bytes of its data file.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

struct TestFolder {
    QTemporaryDir dir;

    QString path() const { return dir.path(); }
    QString dataFile() const { return dir.filePath(QStringLiteral("tallivor.tvr")); }

    QByteArray bytes() const {
        QFile f(dataFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool exists() const { return QFile::exists(dataFile()); }
    void write(const QByteArray& content) const {
        QFile f(dataFile());
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(content);
    }
};
