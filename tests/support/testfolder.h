// What every test program needs around the data file: its bytes written and read, a program
// folder of its own, and the conditions a test imposes on the process, each undone at the end.
// Each platform offers them its own way; a row that needs what its platform lacks is skipped
// with the reason lacking() gives.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Data-file bytes: the lines, each ended with CRLF as the program writes them.
QByteArray ini(const QStringList& lines);

enum class Need {
    Nothing,
    FileSizeLimit,   // a write cut short by a limit on file sizes ("File too large")
    OtherUser,       // root writing as another user, in a folder where only the rename fails
    Modes,           // mode bits that keep a user out of a folder or from reading a file
    Links,           // a symbolic link that opening a file follows
    FailingSync,     // an fsync of this process that fails
    ExclusiveOpen,   // a file opened so that nobody else can open it
    BlockingReaders, // a file that can't be replaced while a reader has it open
    Fonts,           // the fonts a desktop has, to measure text with
};
// Null where this platform, run by this user, offers what is needed; otherwise why not.
const char* lacking(Need need);

// The mode bits as chmod takes them; where files have no such bits, only the owner's write bit
// counts, as the read-only attribute.
bool setMode(const QString& path, int mode);
// What QFile::permissions() says of a new data file, which only its owner may use. (On Windows
// that is up to the folder's access list, and Qt reports a file that isn't read-only.)
extern const QFile::Permissions OwnerOnly;

// A program folder of its own, with the data file's path in it; removed at the end even when
// a test left it read-only.
class TestFolder {
  public:
    ~TestFolder();
    QString path() const { return m_dir.path(); }
    QString dataFile() const;
    // The data file's bytes (empty when there is none), and new bytes for it, or for the file
    // beside it whose name adds suffix.
    QByteArray bytes() const;
    void write(const QByteArray& content, const QString& suffix = {}) const;

  private:
    QTemporaryDir m_dir;
};

// While it lives: files this process writes may grow to at most limit bytes (0: any), and a
// longer write fails with "File too large" instead of ending the process; the process acts as
// the user nobody if asked to and run by root (root reads and writes whatever the mode bits
// say); a write waits lockMs for another copy's lock (-1: as it was).
class Conditions {
  public:
    explicit Conditions(qint64 limit, bool asNobody = false, int lockMs = -1);
    ~Conditions();

  private:
    bool m_limited = false, m_nobody = false;
    int m_lockMs = -1;
};

// The file held open so that nobody else can open it, until the last copy goes; null where
// there is no such open.
std::shared_ptr<void> holdExclusively(const QString& path);

// What befalls the files of a folder while it lives, in order: "name made" for a file made or
// moved there, "name gone" for one deleted. Nothing where that can't be watched, which
// watching() tells.
class FolderEvents {
  public:
    explicit FolderEvents(const QString& folder);
    ~FolderEvents();
    QStringList seen() const;
    bool watching() const { return m_watch >= 0; }

  private:
    int m_watch = -1;
    mutable QStringList m_seen; // read so far
};
