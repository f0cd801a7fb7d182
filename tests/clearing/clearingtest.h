// What the clearing tests share: a watch on a progress window's label, a file-size limit that
// makes every write of the data file fail (also for root), and INI text built from lines.
#pragma once

#include "support/faketoolkit.h"

#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <csignal>
#include <functional>
#include <initializer_list>
#include <sys/resource.h>

// Records the texts a label is painted with, and at each pause what is on screen.
class LabelWatch : public QObject {
  public:
    struct AtPause {
        QString text;    // the label's text
        QString painted; // the text it was last painted with
        bool visible = false;
    };

    LabelWatch(QLabel* label, FakeToolkit& toolkit) : m_label(label), m_alive(label) {
        label->installEventFilter(this);
        toolkit.onWait = [this](double) {
            if (m_alive)
                pauses.append({m_label->text(), painted.value(painted.size() - 1),
                               m_label->window()->isVisible()});
            if (duringPause)
                duringPause(static_cast<int>(pauses.size()));
        };
    }

    QStringList painted;
    QList<AtPause> pauses;
    // Called at each pause (1, 2, ...) after it was recorded: lets a test act meanwhile.
    std::function<void(int)> duringPause;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Paint comes only while the label is whole; other events also come during its end.
        if (event->type() == QEvent::Paint && watched == m_alive)
            painted.append(m_label->text());
        return false;
    }

  private:
    QLabel* m_label;
    QPointer<QObject> m_alive;
};

// While it lives, no file of this process can grow past zero bytes: writes fail with EFBIG
// instead of raising SIGXFSZ. Unlike permission bits this stops root too.
class NoRoomForFiles {
  public:
    NoRoomForFiles() {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_old;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoRoomForFiles() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    NoRoomForFiles(const NoRoomForFiles&) = delete;
    NoRoomForFiles& operator=(const NoRoomForFiles&) = delete;

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// The lines joined with CR LF, each one ended by it.
inline QByteArray iniText(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

// "PREFIXk=" for k from first to last: keys written with empty values.
inline QStringList emptyKeys(const QString& prefix, int first, int last) {
    QStringList out;
    for (int k = first; k <= last; ++k)
        out << QStringLiteral("%1%2=").arg(prefix).arg(k);
    return out;
}
