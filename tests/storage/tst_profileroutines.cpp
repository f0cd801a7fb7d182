// The data file down to its bytes: random round trips, files of the earlier Windows version,
// garbage, failed writes and syncs, the naming rules, and other processes writing and dying while
// this one reads.
#include "storage/durable.h"
#include "storage/inifile.h"
#include "storage/profileroutines.h"
#include "support/testfolder.h"

#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using namespace ProfileRoutines;

namespace {
// Files as the earlier Windows version, and hands, left them.
const QByteArray Mixed = "[Set 1]\nNAME1=lf\r\nNUM1=crlf\n[Set 2]\r\nNAME1=x";
const QByteArray Cp1252 =
    "[readone]\r\nREAD3=caf\xe9 \x80 \x93quoted\x94\r\n[Set 1]\r\nNAME1=na\xefve\r\nNUM1=été\r\n";
const QByteArray Duplicates = ini({"[Set 1]", "NAME1=first", "name1=second", "[Set 2]",
                                   "NAME1=other", "[SET 1]", "NAME1=third", "NUM1=only in SET 1"});

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// Never ends in half a surrogate pair.
QString randomText(QRandomGenerator& rng, std::u32string_view alphabet, qsizetype length) {
    QString s;
    while (s.size() < length)
        s += QString::fromUcs4(&alphabet[rng.bounded(int(alphabet.size()))], 1);
    return s.left(s.size() > length ? length - 1 : length);
}

// A write that fails or can't be made sure of.
struct Failed {
    QByteArray content = "[readone]\r\nREAD2=pw\r\n";
    int fileMode = 0666; // 0: the data file is a folder
    int folderMode = 0777;
    int limit = 0; // room for the lock, not for the new file
    enum { None, Lock, LockThroughLink, Exclusive, Reader, SyncFile, SyncFolder } held = None;
    Need need = Need::Nothing;
    QString reason; // %1 the folder, %2 the file written
};
// Whose fsync fails, as on a failing disk: a file's (SyncFile), a folder's (SyncFolder), or
// nobody's.
int failingSync = Failed::None;
} // namespace
Q_DECLARE_METATYPE(Failed)

#ifndef Q_OS_WIN
// Every fsync of this process comes here: the storage library is linked in statically.
extern "C" int fsync(int fd) {
    struct stat st;
    if (failingSync != Failed::None && fstat(fd, &st) == 0 &&
        S_ISDIR(st.st_mode) == (failingSync == Failed::SyncFolder)) {
        errno = EIO;
        return -1;
    }
    return int(syscall(SYS_fsync, fd));
}
#endif

class TestProfileRoutines : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // Thousands of writes, each synced to disk: on a RAM disk the sync costs nothing.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
    }

    void randomRoundTrips_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 0; seed < 10; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomRoundTrips() {
        QFETCH(quint32, seed);
        // A few names, used in changing letter case, and values that the platform's own routines
        // would have trimmed, cut or split.
        QRandomGenerator rng(seed);
        QStringList sections{"Set 1", "Set 1 ", "\u212A", "ΟΔΟΣ"}, names{"name1", "σοφός", "ß"};
        for (int i = 0; i < 5; ++i) {
            sections.append(randomText(rng, U"abXY1 ]=;\"[äΩß😀\n", 1 + rng.bounded(12)));
            names.append(("k" + randomText(rng, U"bcXYZ19 éÄςσß", rng.bounded(8))).trimmed());
        }
        const auto pick = [&](const QStringList& list) {
            const QString s = list[rng.bounded(int(list.size()))];
            const quint32 c = rng.bounded(3);
            return c == 0 ? s.toUpper() : c == 1 ? s.toLower() : s;
        };
        TestFolder folder;
        folder.write(QByteArrayList{{}, Mixed, Cp1252, Duplicates}[seed % 4]);
        QList<ProfileWrite> history;
        for (int round = 0; round < 50; ++round) {
            QList<ProfileWrite> batch;
            for (quint32 i = 0, n = 1 + rng.bounded(4); i < n; ++i) {
                static const int lengths[] = {0, 1, 3, 10, 748, 749, 750, 800};
                batch.append(
                    {pick(sections), pick(names),
                     randomText(rng, U" a\t\"'=;[]#\\é€日😀\n\r", lengths[rng.bounded(8)])});
            }
            QVERIFY(WriteProfileValues(batch, folder.dataFile()));
            history += batch;
        }
        // Each name reads its last write, line breaks as blanks, cut to the limit without
        // splitting a pair; names match without regard to case, sections without outer blanks
        // (no tabs in them, and line breaks made blanks by flat()).
        const auto flat = [](QString s) { return s.replace(u'\r', u' ').replace(u'\n', u' '); };
        std::map<QString, QString> last;
        QList<ProfileKey> keys;
        QStringList values;
        for (auto w = history.crbegin(); w != history.crend(); ++w) {
            const bool cutsPair =
                w->value.size() > MaxValueLength && w->value[MaxValueLength - 1].isHighSurrogate();
            keys.append({w->section, w->key});
            const QString name = (flat(w->section).trimmed() + u'\n' + w->key).toCaseFolded();
            values.append(last.try_emplace(name, flat(w->value.left(MaxValueLength - cutsPair)))
                              .first->second);
        }
        QCOMPARE(ReadProfileValues(keys, folder.dataFile()), values);
    }

    void newFile() {
        TestFolder folder;
        const FolderEvents events(folder.path());
        // The lock of a process that no longer runs, on this host (none named): taken over.
        folder.write("999999999\ntallivor\n\n", ".lock");
        for (const char* key : {"  ", "a=b", "[a]", ";a"})
            QVERIFY(!WriteProfileValues({{"s", "good", "1"}, {"s", key, "1"}}, folder.dataFile()));
        QVERIFY(WriteProfileValues(
            {{"readone", "read2", ""}, {"a\r\nb", "k\n", "1"}, {"readone", "read1", "1"}},
            folder.dataFile()));
        QCOMPARE(folder.bytes(), QByteArray("[readone]\r\nREAD2=\r\nREAD1=1\r\n[a  b]\r\nK=1\r\n"));
        // It holds passwords; and no lock or temporary file is left beside it.
        QCOMPARE(QFile::permissions(folder.dataFile()), OwnerOnly);
        QCOMPARE(entries(folder.path()), QStringList{"tallivor.tvr"});
        // The lock is held until the new file is in place.
        if (!events.watching())
            QSKIP("the folder's events can't be watched here");
        const QStringList seen = events.seen();
        QVERIFY(seen.lastIndexOf("tallivor.tvr made") < seen.lastIndexOf("tallivor.tvr.lock gone"));
    }

    void existingFiles_data() {
        // the file, section, key, its whole value, the value then written, and the file
        // afterwards: the original with every "from" replaced by "to"; for a write everywhere,
        // then the keys with values in every section of that name.
        QTest::addColumn<QByteArrayList>("r");
        const auto row = [](const char* name, auto... r) {
            QTest::newRow(name) << QByteArrayList{r...};
        };
        row("BOM kept", "\xef\xbb\xbf[readone]\r\nREAD2=päss\r\n[Set 1]\r\nNAME1=x\r\n", "readone",
            "read2", "päss", "x", "=päss", "=x");
        // after the last non-blank line of its section, before the blank lines
        row("new key",
            "; by hand\r\n\r\n[readone]\r\n;pw\r\nREAD2=pw\r\nno equals\r\n\r\n[Set 1]\r\nA=1\r\n",
            "readone", "read3", "", "clue", "pw\r\nno equals\r\n",
            "pw\r\nno equals\r\nREAD3=clue\r\n");
        row("blanks", "  [Set 1]  \r\n  name1 =  padded value  \r\n\tnum1\t=\ttabbed\r\n", "Set 1",
            "name1", "  padded value  ", "v", "  name1 =  padded value  ", "NAME1=v");
        row("duplicate keys", Duplicates, "SET 1", "name1", "first", "n", "=first", "=n");
        row("duplicate sections", Duplicates, "set 1", "num1", "", "n", "=second\r\n",
            "=second\r\nNUM1=n\r\n");
        row("Windows-1252", Cp1252, "readone", "read3", "café € “quoted”", "café € “quoted”",
            "READ3=", "READ3=");
        // Into the first section and the two others of that name, each line keeping its own end.
        // UTF-16 as Notepad saves it, the text starting with the byte-order mark
        QStringEncoder le(QStringEncoder::Utf16LE), be(QStringEncoder::Utf16BE);
        // Into the first section and the two others of that name, each line keeping its own end.
        row("everywhere, UTF-16BE", be(u"\ufeff[ W ]\nA=a\r\nA=a\n[O]\nA=b\n[w\t]\nA=a"), " w", "a",
            "a", "😀", be(u"=a"), be(u"=😀"), "A A A");
        // a new line ends as the first line does
        row("UTF-16", le(u"\ufeff[S]\nx"), "s", "b", "", "1", le(u"x"), le(u"x\nB=1\n"));
        // a key before any section belongs to none
        row("keys first", "NAME1=none\r\n[Set 1]\r\nNUM1=1\r\n", "Set 1", "name1", "", "n",
            "=1\r\n", "=1\r\nNAME1=n\r\n");
        row("NUL bytes", QByteArray("[Set 1]\0\r\nNAME1=a\0b\r\n\0\0\0", 24), "Set 1", "name1",
            QByteArray("a\0b", 3), "n", QByteArray("a\0b", 3), "n");
        // However long the line, a read gives back 749 characters unless asked for the whole;
        // a Windows-1252 line is rewritten in UTF-8.
        const QByteArray utf8 = QByteArray("é").repeated(1 << 19), cp1252(1 << 20, '\xff');
        row("long", "[Set 1]\r\nNAME1=" + utf8, "Set 1", "name1", utf8, "v", utf8, "v");
        row("long Windows-1252", "[Set 1]\nNAME1=" + cp1252, "Set 1", "name1",
            QString(1 << 20, u'ÿ').toUtf8(), "ü", cp1252, "ü");
        // A last line ended by a lone CR: the CR ends the line, and stays its end.
        row("lone CR read", "[Set 1]\r\nNAME1=b\r", "Set 1", "name1", "b", "v", "=b\r", "=v\r");
        row("lone CR kept", "[Set 1]\r\nNAME1=b\r", "Set 1", "name2", "", "v", "=b\r",
            "=b\r\nNAME2=v\r\n");
    }
    void existingFiles() {
        QFETCH(QByteArrayList, r);
        TestFolder folder;
        folder.write(r[0]);
        const QFile::Permissions mode = QFile::permissions(folder.dataFile());
        // Cut, and whole as a read asked for it and the snapshot a write is planned from give it.
        QStringList read{ReadProfileValue(r[1], r[2], folder.dataFile())}, whole;
        QVERIFY(ReadProfileValues({{r[1], r[2]}}, folder.dataFile(), &whole, nullptr, true));
        QCOMPARE(read + whole << ProfileSnapshot(IniFile(r[0])).whole(r[1], r[2]),
                 QStringList({QString(r[3]).left(MaxValueLength), r[3], r[3]}));
        if (r.size() > 7) // after a write everywhere, what is left in the section wherever it is
            QCOMPARE(ProfileSnapshot(IniFile(r[0])).keysWithValues(r[1]).join(u' '), QString(r[7]));
        QVERIFY(WriteProfileValues({{r[1], r[2], r[4], r.size() > 7}}, folder.dataFile()));
        QCOMPARE(folder.bytes(), QByteArray(r[0]).replace(r[5], r[6]));
        QCOMPARE(QFile::permissions(folder.dataFile()), mode); // an existing file keeps its mode
    }

    // A write that can't be made, or made sure of, is reported and never taken for a save; one
    // not made leaves the file and its folder as they were. Nothing new to store, even after a
    // change set back, is no write and succeeds.
    void failedWrites_data() {
        QTest::addColumn<Failed>("f");
        const auto row = [](const char* name, const Failed& f) { QTest::newRow(name) << f; };
        // clang-format off
        const QString inUse = "the data file %2 is in use by another program",
                      notSaved = "the file %2 couldn't be saved ", unread = "the file %2 can't be read ";
        row("folder", {.folderMode = 0555, .need = Need::Modes,
            .reason = "the folder %1 can't be written to"});
        row("read-only", {.fileMode = 0444, .reason = "the file %2 is read-only"});
        row("disk full", {.limit = 400, .need = Need::FileSizeLimit,
            .reason = notSaved + "(File too large)"});
        // Another user's file in a shared folder: everything but the final rename works.
        row("rename", {.folderMode = 01777, .need = Need::OtherUser,
            .reason = notSaved + "(Operation not permitted)"});
        row("in use", {.held = Failed::Lock, .reason = inUse});
        // Linked to another folder's file, which a copy of the program there is writing.
        row("in use through a link", {.held = Failed::LockThroughLink, .need = Need::Links,
            .reason = inUse});
        row("directory", {.fileMode = 0, .reason = unread + "(it is a folder)"});
        row("opened exclusively", {.held = Failed::Exclusive, .need = Need::ExclusiveOpen,
            .reason = unread + "(it is in use by another program)"});
        // Neither written over nor read in part.
        row("odd UTF-16", {.content = "\xff\xfe[", .reason = unread + "(it is not valid UTF-16)"});
        row("surrogate", {.content = "\xff\xfe\x01\xd8", .reason = unread + "(it is not valid UTF-16)"});
        row("too large", {.content = QByteArray(MaxFileSize + 1, '\n'),
            .reason = unread + "(it is 67 MB, too large to be a data file)"});
        // Held open by a reader, which on Windows keeps it from being replaced.
        row("open in a reader", {.held = Failed::Reader, .need = Need::BlockingReaders,
            .reason = notSaved + "(it is in use by another program)"});
        row("new file not synced", {.held = Failed::SyncFile, .need = Need::FailingSync,
            .reason = notSaved + "(Input/output error)"});
        // Replaced, but the rename may be lost.
        row("folder not synced", {.held = Failed::SyncFolder, .need = Need::FailingSync,
            .reason = "the file %2 may not be on the disk (Input/output error)"});
        // clang-format on
    }
    void failedWrites() {
        QFETCH(Failed, f);
        if (const char* why = lacking(f.need))
            QSKIP(why);
        TestFolder folder, linked;
        const QString file = folder.dataFile();
        f.fileMode ? folder.write(f.content) : void(QDir().mkdir(file));
        const QString written = f.held == Failed::LockThroughLink ? linked.dataFile() : file;
        if (written != file)
            QVERIFY(QFile::link(file, written) && setMode(linked.path(), 0777));
        setMode(file, f.fileMode);
        setMode(folder.path(), f.folderMode);
        QLockFile other(file + ".lock");
        QVERIFY((f.held != Failed::Lock && f.held != Failed::LockThroughLink) || other.tryLock());
        const QStringList before = entries(folder.path());
        const QByteArray bytes = folder.bytes();
        std::shared_ptr<void> exclusive =
            f.held == Failed::Exclusive ? holdExclusively(file) : nullptr;
        QVERIFY(f.held != Failed::Exclusive || exclusive);
        QFile reader(file);
        QVERIFY(f.held != Failed::Reader || reader.open(QIODevice::ReadOnly));
        bool keptOk, ok;
        QString why, readWhy, readableWhy;
        const bool read = ReadProfileValues({{"readone", "read2"}}, written, nullptr, &readWhy);
        const bool readable = ProfileReadable(written, &readableWhy);
        {
            const Conditions conditions(f.limit, true, 100);
            failingSync = f.held >= Failed::SyncFile ? f.held : Failed::None;
            keptOk = WriteProfileValues({{"readone", "read2", "x"}, {"readone", "read2", "pw"}},
                                        written);
            ok = WriteProfileValues({{"readone", "read2", QString(2000, u'x')}}, written, &why);
            failingSync = Failed::None;
        }
        exclusive.reset();
        reader.close();
        // Every read says why it can't, in the words a write uses.
        QVERIFY(!ok && keptOk == read && readable == read && readableWhy == readWhy &&
                f.reason.contains(read ? "" : "(" + readWhy + ")"));
        QCOMPARE(
            why,
            f.reason.replace("%1", QDir::toNativeSeparators(folder.path())).replace("%2", written));
        QCOMPARE(entries(folder.path()), before);
        QCOMPARE(folder.bytes() == bytes, f.held != Failed::SyncFolder);
    }

    // Paths past 260 characters reach CreateFileW in their extended form.
    void extendedPath_data() {
        QTest::addColumn<QStringList>("p"); // the path, and its extended form
        // clang-format off
        QTest::newRow("drive") << QStringList{R"(c:/a\\b//./c\..\d\)", R"(\\?\c:\a\b\d)"};
        QTest::newRow("UNC") << QStringList{R"(//srv/share/x/../../y)", R"(\\?\UNC\srv\share\y)"};
        QTest::newRow("prefixed") << QStringList{R"(\\?\C:\a/../b)", R"(\\?\C:\a/../b)"};
        QTest::newRow("relative") << QStringList{R"(a/../b)", R"(a\..\b)"};
        // clang-format on
    }
    void extendedPath() {
        QFETCH(QStringList, p);
        QCOMPARE(Durable::extendedPath(p[0]), p[1]);
    }

    // Two other copies of the program save rounds of their keys and are killed now and then,
    // while this one reads: every read sees one whole round of each, never an older one.
    void writersKilledMidSaveLeaveOldOrNewRounds() {
        TestFolder folder;
        QList<ProfileKey> keys;
        for (int k = 0; k < 32; ++k)
            keys.append({k % 2 ? "Loop" : "Ruduze Vad Ovo",
                         QChar(u'a' + k / 16) + QString::number(k % 16)});
        long seen[2] = {0, 0}; // no round yet reads as 0
        const auto wholeAndNewer = [&] {
            const QStringList values = ReadProfileValues(keys, folder.dataFile());
            for (int w = 0; w < 2; ++w) {
                const QStringList mine = values.mid(w * 16, 16);
                if (mine.count(mine[0]) != 16 || mine[0].toLong() < seen[w])
                    return false;
                seen[w] = mine[0].toLong();
            }
            return true;
        };
        for (int kill = 0; kill < 6; ++kill) {
            const long before = seen[0] + seen[1];
            QProcess writers[2];
            for (int w = 0; w < 2; ++w)
                writers[w].start(TALLIVOR_HELPER, {folder.dataFile(), QChar(u'a' + w),
                                                   QString::number(seen[w] + 1)});
            // A random while, and at least until one of them has saved: the kill falls mid-save.
            const QDeadlineTimer running(20 + QRandomGenerator::global()->bounded(80)), cap(10000);
            while (!running.hasExpired() || seen[0] + seen[1] == before) {
                QVERIFY2(!cap.hasExpired(), "nothing saved");
                QVERIFY(wholeAndNewer());
            }
            // Both were still saving: neither found its last round overwritten or failed to save.
            for (QProcess& writer : writers) {
                writer.kill();
                QVERIFY(writer.waitForFinished() && writer.exitStatus() == QProcess::CrashExit);
            }
            // A kill in the instant the lock file is made leaves it empty, and QLockFile takes an
            // empty one over only once it is 30 s old: that wait is no part of this test.
            if (QFileInfo(folder.dataFile() + ".lock").size() == 0)
                QFile::remove(folder.dataFile() + ".lock");
            QVERIFY(wholeAndNewer());
        }
    }
};

QTEST_GUILESS_MAIN(TestProfileRoutines)
#include "tst_profileroutines.moc"
