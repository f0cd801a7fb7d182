// What the main-window tests share: a window in a fresh program folder, typing as a user does,
// and a plain reading of the data file's lines.
#pragma once

#include "mainwindow/form1.h"
#include "support/faketoolkit.h"
#include "support/testfolder.h"
#include "ui/windows.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QtTest>

namespace form1test {

inline const QString NoSet = QStringLiteral("Please select a set before making the list");

// Replaces the whole text of a box the way a user does: select all, then type over it.
inline void retype(QLineEdit* box, const QString& text) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, text);
}

// The thirty entry boxes' texts, Text1 first.
inline QStringList entries(const Form1* w) {
    QStringList out;
    for (int n = 1; n <= 30; ++n)
        out << w->Text(n)->text();
    return out;
}

inline QStringList captions(const Form1* w) {
    QStringList out;
    for (int slot = 1; slot <= 5; ++slot)
        out << w->SetEntry(slot)->text();
    return out;
}

// Everything a user can see change in the window.
inline QStringList state(const Form1* w) {
    QStringList out = entries(w) + captions(w);
    out << w->Text(31)->text() << w->Label1->text() << w->Label2->text()
        << QString::number(w->Text(31)->isEnabled()) << QString::number(w->asset1->isEnabled());
    return out;
}

// The data file read line by line, independent of the program's own reader.
struct Ini {
    QStringList lines; // without blank lines and line ends

    explicit Ini(const QByteArray& bytes) {
        for (QByteArray line : bytes.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.trimmed().isEmpty())
                lines << QString::fromLatin1(line);
        }
    }

    static bool isHeader(const QString& line) {
        return line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'));
    }

    bool hasSection(const QString& section) const {
        const QString header = QLatin1Char('[') + section + QLatin1Char(']');
        for (const QString& line : lines) {
            if (line.compare(header, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    // The line that holds the key in that section, or -1.
    int keyLine(const QString& section, const QString& key) const {
        const QString header = QLatin1Char('[') + section + QLatin1Char(']');
        bool inSection = false;
        for (int i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            if (isHeader(line)) {
                inSection = line.compare(header, Qt::CaseInsensitive) == 0;
                continue;
            }
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (inSection && eq > 0 && line.left(eq).compare(key, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }
    bool hasKey(const QString& section, const QString& key) const {
        return keyLine(section, key) >= 0;
    }
    // The key's value; the empty text when it is missing.
    QString value(const QString& section, const QString& key) const {
        const int i = keyLine(section, key);
        return i < 0 ? QString() : lines[i].mid(lines[i].indexOf(QLatin1Char('=')) + 1);
    }
};

// One set section's lines, with keys as the program writes them.
inline QByteArray section(const QString& name, const QMap<QString, QString>& keys) {
    QByteArray out = '[' + name.toLatin1() + "]\n";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        out += it.key().toLatin1() + '=' + it.value().toLatin1() + '\n';
    return out;
}

inline QByteArray names(const QStringList& five) {
    QByteArray out = "[Ruduze Vad Ovo]\n";
    for (int slot = 1; slot <= five.size(); ++slot)
        out += "NAME" + QByteArray::number(slot) + '=' + five[slot - 1].toLatin1() + '\n';
    return out;
}

} // namespace form1test
