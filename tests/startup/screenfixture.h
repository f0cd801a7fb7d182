// What the start-up tests share: a fresh program folder with the fake toolkit, the texts of
// the boxes, and data files written line by line.
#pragma once

#include "support/faketoolkit.h"
#include "support/testfolder.h"
#include "ui/windows.h"

#include <QByteArray>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QtTest>

#include <initializer_list>

// Data-file bytes: the lines joined and ended with CRLF, as new files are written.
inline QByteArray lines(std::initializer_list<const char*> list) {
    QByteArray out;
    for (const char* line : list)
        out += QByteArray(line) + "\r\n";
    return out;
}

// The data file as the main window's first load leaves it after the given readone lines.
inline QByteArray afterFirstMainLoad(std::initializer_list<const char*> readone) {
    QByteArray out = lines({"[readone]"});
    for (const char* line : readone)
        out += QByteArray(line) + "\r\n";
    return out + lines({"READ1=1", "[Ruduze Vad Ovo]", "NAME1=Set 1", "NAME2=Set 2", "NAME3=Set 3",
                        "NAME4=Set 4", "NAME5=Set 5"});
}

inline const QString importantText = QStringLiteral(
    "If you don't want to password this program, leave the box blank and click enter.");
inline const QString cluePromptText =
    QStringLiteral("Type something that will make you remember your password");

// One start of the program in a folder of its own; every window is unloaded at the end.
struct Session {
    TestFolder folder;
    FakeToolkit toolkit{folder.path()};
    ~Session() { Windows::unloadAll(); }

    void expectImportant() { toolkit.expectBox(QStringLiteral("IMPORTANT"), importantText); }
};

#define VERIFY_BOXES(session)                                                                      \
    QVERIFY2((session).toolkit.problems().isEmpty(), qPrintable((session).toolkit.problems()))

// Types the text key by key, non-ASCII letters too (QTest::keyClicks takes ASCII only).
inline void typeText(QWidget* box, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The controls that the password screen (Form2) and the change-password screen (Form4) share,
// found by their names.
struct Screen {
    QPointer<QWidget> window;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

    explicit Screen(QWidget* w) : window(w) {
        if (!w)
            return;
        Text1 = w->findChild<QLineEdit*>(QStringLiteral("Text1"));
        Text2 = w->findChild<QLineEdit*>(QStringLiteral("Text2"));
        Command1 = w->findChild<QPushButton*>(QStringLiteral("Command1"));
        Command2 = w->findChild<QPushButton*>(QStringLiteral("Command2"));
    }
    bool loaded() const { return window && Windows::loadedCount() > 0 && window->isVisible(); }

    // Clicks into the clue box (which empties it) and types the clue.
    void typeClue(const QString& clue) const {
        QTest::mouseClick(Text2, Qt::LeftButton);
        typeText(Text2, clue);
    }
};
