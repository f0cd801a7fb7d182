// What every test program needs around the data file: its bytes written and read, a program
// folder of its own, and the conditions a test imposes on the process, each undone at the end.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Data-file bytes: the lines, each ended with CRLF as the program writes them.
QByteArray ini(const QStringList& lines);

// A program folder of its own, with the data file's path in it; removed at the end even when
// a test left it read-only.
class TestFolder {
  public:
    ~TestFolder();
    QString path() const { return m_dir.path(); }
    QString dataFile() const;
    // The data file's bytes (empty when there is none), and new bytes for it.
    QByteArray bytes() const;
    void write(const QByteArray& content) const;

  private:
    QTemporaryDir m_dir;
};

// Files this process writes may grow to at most bytes (0: no limit) while it lives; a longer
// write fails with "File too large" instead of ending the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();

  private:
    bool m_set;
};

// The process acts as the user nobody while it lives, if it runs as root: root reads and writes
// whatever the mode bits say.
class AsNobody {
  public:
    AsNobody();
    ~AsNobody();

  private:
    bool m_switched = false;
};

// How long a write waits for another copy's lock, while it lives.
class LockTimeout {
  public:
    explicit LockTimeout(int milliseconds);
    ~LockTimeout();

  private:
    int m_before;
};

// Counts the times the file is made anew or replaced while it lives.
class Replacements {
  public:
    explicit Replacements(const QString& file);
    ~Replacements();
    int count() const;

  private:
    int m_watch;
    QByteArray m_name;
};
