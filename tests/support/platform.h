// What tests do to files and processes that each platform does its own way. A row that needs
// what its platform lacks is skipped with the reason lacking() gives.
#pragma once

#include <QFile>
#include <QString>

#include <optional>

enum class Need {
    FileSizeLimit,   // a write cut short by a limit on file sizes ("File too large")
    OtherUser,       // root writing as another user, in a folder where only the rename fails
    Modes,           // mode bits that keep this process out: a folder it can't write to, a file
                     // it can't read
    Links,           // a symbolic link that opening a file follows
    ExclusiveOpen,   // a file opened so that nobody else can open it
    BlockingReaders, // a file that can't be replaced while a reader has it open
};

// Null where this platform, run by this user, can set up what is needed; otherwise why not.
const char* lacking(Need need);

// This process may write files of at most that many bytes (NoLimit: any); a longer write fails
// with "File too large" instead of ending the process. Nothing where FileSizeLimit is lacking.
inline constexpr qint64 NoLimit = -1;
void limitFileSize(qint64 bytes);

// Root acts as nobody from here on, as mode bits don't bind root; false when it didn't.
bool becomeNobody();
// Back to root after becomeNobody().
bool becomeSelf();

// The mode bits as chmod takes them; where files have no such bits, only the owner's write bit
// counts, as the read-only attribute.
bool setMode(const QString& path, int mode);

// What QFile::permissions() says of a new data file, which only its owner may use. (On Windows
// that is up to the folder's access list, and Qt reports a file that isn't read-only.)
extern const QFile::Permissions OwnerOnly;

// Holds the file open so that nobody else can open it, as long as it lives.
class ExclusiveOpen {
  public:
    explicit ExclusiveOpen(const QString& path);
    ~ExclusiveOpen();
    ExclusiveOpen(const ExclusiveOpen&) = delete;
    ExclusiveOpen& operator=(const ExclusiveOpen&) = delete;
    bool isOpen() const;

  private:
    void* m_handle = nullptr;
};

// Counts the files that arrive in a folder under a name, made or renamed there.
class FolderWatch {
  public:
    explicit FolderWatch(const QString& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    // How many arrived as name since the watch began; nothing where they can't be counted
    // (Linux only, through inotify).
    std::optional<int> arrivals(const QString& name);

  private:
    int m_fd = -1;
};
