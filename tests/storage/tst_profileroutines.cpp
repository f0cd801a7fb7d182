// The data file down to its bytes: random round trips, files of the earlier Windows version,
// garbage, failed writes, the naming rules, and other processes writing and dying while this one
// reads.
#include "storage/profileroutines.h"
#include "storage/setnames.h"
#include "support/testfolder.h"

#include <QtTest>

#include <optional>

using namespace ProfileRoutines;

namespace {

QByteArray legacy(const QByteArray& name) {
    QFile f(TALLIVOR_TEST_DATA "/legacy/" + QString(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

// A write that fails: the modes, a file-size limit, and what else holds the file.
struct Failed {
    int fileMode = 0666; // 0: the data file is a folder
    int folderMode = 0777;
    int limit = 0; // room for the lock, not for the new file
    enum { None, Lock, LockThroughLink, Exclusive, Reader } held = None;
    Need need = Need::Nothing;
    QString reason; // %1 the folder, %2 the file written
};
} // namespace
Q_DECLARE_METATYPE(Failed)

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
        QStringList sections{"Set 1", "Set 1 ", "\u212A", "ΟΔΟΣ"};
        QStringList names{"name1", "σοφός", "ß"};
        for (int i = 0; i < 5; ++i) {
            sections.append(randomText(rng, U"abXY1 ]=;\"[äΩß😀\n", 1 + rng.bounded(12)));
            names.append(("k" + randomText(rng, U"bcXYZ19 éÄςσß", rng.bounded(8))).trimmed());
        }
        const auto pick = [&](const QStringList& list) {
            const QString s = list[rng.bounded(int(list.size()))];
            const quint32 c = rng.bounded(3);
            return c == 0 ? s.toUpper() : c == 1 ? s.toLower() : s;
        };
        const char* starts[] = {"crlf.tvr", "mixed.tvr", "cp1252.tvr", "duplicates.tvr"};
        TestFolder folder;
        folder.write(seed % 5 ? legacy(starts[seed % 5 - 1]) : QByteArray());
        QList<ProfileWrite> history;
        for (int round = 0; round < 50; ++round) {
            QList<ProfileWrite> batch;
            for (quint32 i = 0, n = 1 + rng.bounded(4); i < n; ++i) {
                static const int lengths[] = {0, 1, 3, 10, 748, 749, 750, 800};
                const int length = lengths[rng.bounded(8)];
                batch.append({pick(sections), pick(names),
                              randomText(rng, U" a\t\"'=;[]#\\é€日😀\n\r", length)});
            }
            QVERIFY(WriteProfileValues(batch, folder.dataFile()));
            history += batch;
        }
        // Each name reads its last write, line breaks as blanks, cut to the limit without
        // splitting a pair; names match without regard to case.
        const auto flat = [](QString s) { return s.replace(u'\r', u' ').replace(u'\n', u' '); };
        std::map<QString, QString> last;
        QList<ProfileKey> keys;
        QStringList values;
        for (auto w = history.crbegin(); w != history.crend(); ++w) {
            const bool cutsPair =
                w->value.size() > MaxValueLength && w->value[MaxValueLength - 1].isHighSurrogate();
            keys.append({w->section, w->key});
            values.append(last.try_emplace(flat(w->section + u'\x1f' + w->key).toCaseFolded(),
                                           flat(w->value.left(MaxValueLength - cutsPair)))
                              .first->second);
        }
        QCOMPARE(ReadProfileValues(keys, folder.dataFile()), values);
    }

    void newFile() {
        TestFolder folder;
        QFile lock(folder.dataFile() + ".lock"); // of a process that no longer runs: taken over
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        lock.write("999999999\ntallivor\n\n"); // no host named: this one
        lock.close();                          // Windows can't delete a file that is open
        for (const char* key : {"  ", "a=b", "[a]", ";a"})
            QVERIFY(!WriteProfileValues({{"s", "good", "1"}, {"s", key, "1"}}, folder.dataFile()));
        QVERIFY(WriteProfileValues(
            {{"readone", "read2", ""}, {"a\r\nb", "k\n", "1"}, {"readone", "read1", "1"}},
            folder.dataFile()));
        QCOMPARE(folder.bytes(), QByteArray("[readone]\r\nREAD2=\r\nREAD1=1\r\n[a  b]\r\nK=1\r\n"));
        // It holds passwords; and no lock or temporary file is left beside it.
        QCOMPARE(QFile::permissions(folder.dataFile()), OwnerOnly);
        QCOMPARE(entries(folder.path()), QStringList{"tallivor.tvr"});
    }

    void existingFiles_data() {
        // the file (bytes, or a file of the earlier version), section, key, what it reads, the
        // value then written, and the file afterwards: the original with "from" replaced by "to".
        QTest::addColumn<QByteArrayList>("r");
        const auto row = [](const char* name, const QByteArray& file, auto... r) {
            QTest::newRow(name) << QByteArrayList{file.endsWith(".tvr") ? legacy(file) : file,
                                                  r...};
        };
        row("BOM kept", "bom.tvr", "readone", "read2", "päss", "x", "=päss", "=x");
        // after the last non-blank line of its section, before the blank lines
        row("new key", "comments.tvr", "readone", "read3", "", "clue", "here\r\n",
            "here\r\nREAD3=clue\r\n");
        row("blanks", "blanks.tvr", "Set 1", "name1", "  padded value  ", "v",
            "  name1 =  padded value  ", "NAME1=v");
        row("duplicate keys", "duplicates.tvr", "SET 1", "name1", "first", "n", "=first", "=n");
        row("duplicate sections", "duplicates.tvr", "set 1", "num1", "", "n", "=second\r\n",
            "=second\r\nNUM1=n\r\n");
        row("Windows-1252", "cp1252.tvr", "readone", "read3", "café € “quoted”", "café € “quoted”",
            "READ3=", "READ3=");
        row("own line end", "mixed.tvr", "Set 1", "name1", "lf", "L", "=lf\r\n", "=L\r\n");
        row("first line end", "mixed.tvr", "Set 2", "num1", "", "1", "=x", "=x\nNUM1=1\n");
        // a key before any section belongs to none
        row("keys first", "keysfirst.tvr", "Set 1", "name1", "", "n", "=1\r\n",
            "=1\r\nNAME1=n\r\n");
        row("NUL bytes", QByteArray("[Set 1]\0\r\nNAME1=a\0b\r\n\0\0\0", 24), "Set 1", "name1",
            QByteArray("a\0b", 3), "n", QByteArray("a\0b", 3), "n");
        // However long the line, a read gives back 749 characters; a Windows-1252 line is
        // rewritten in UTF-8.
        const QByteArray utf8 = QByteArray("é").repeated(1 << 19), cp1252(1 << 20, '\xff');
        row("long", "[Set 1]\r\nNAME1=" + utf8, "Set 1", "name1", QString(749, u'é').toUtf8(), "v",
            utf8, "v");
        row("long Windows-1252", "[Set 1]\nNAME1=" + cp1252, "Set 1", "name1",
            QString(749, u'ÿ').toUtf8(), "ü", cp1252, "ü");
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
        QCOMPARE(ReadProfileValue(r[1], r[2], folder.dataFile()), QString(r[3]));
        QVERIFY(WriteProfileValue(r[1], r[2], r[4], folder.dataFile()));
        QCOMPARE(folder.bytes(), QByteArray(r[0]).replace(r[5], r[6]));
        QCOMPARE(QFile::permissions(folder.dataFile()), mode); // an existing file keeps its mode
    }

    // A write that can't be made: the file and its folder stay as they were, and the reason is
    // told. Nothing new to store, even after a change set back, is no write and succeeds.
    void failedWriteChangesNothing_data() {
        QTest::addColumn<Failed>("f");
        QTest::newRow("folder") << Failed{
            .folderMode = 0555, .need = Need::Modes, .reason = "the folder %1 can't be written to"};
        QTest::newRow("read-only")
            << Failed{.fileMode = 0444, .reason = "the file %2 is read-only"};
        QTest::newRow("disk full")
            << Failed{.limit = 400,
                      .need = Need::FileSizeLimit,
                      .reason = "the file %2 couldn't be saved (File too large)"};
        // Another user's file in a shared folder: everything but the final rename works.
        QTest::newRow("rename") << Failed{
            .folderMode = 01777,
            .need = Need::OtherUser,
            .reason = "the file %2 couldn't be saved (Operation not permitted)"};
        const QString inUse = "the data file %2 is in use by another program";
        QTest::newRow("in use") << Failed{.held = Failed::Lock, .reason = inUse};
        // Linked to another folder's file, which a copy of the program there is writing.
        QTest::newRow("in use through a link")
            << Failed{.held = Failed::LockThroughLink, .need = Need::Links, .reason = inUse};
        QTest::newRow("directory")
            << Failed{.fileMode = 0, .reason = "the file %2 can't be read (it is a folder)"};
        QTest::newRow("opened exclusively")
            << Failed{.held = Failed::Exclusive,
                      .need = Need::ExclusiveOpen,
                      .reason = "the file %2 can't be read (it is in use by another program)"};
        // Held open by a reader, which on Windows keeps it from being replaced.
        QTest::newRow("open in a reader")
            << Failed{.held = Failed::Reader,
                      .need = Need::BlockingReaders,
                      .reason = "the file %2 couldn't be saved (it is in use by another program)"};
    }
    void failedWriteChangesNothing() {
        QFETCH(Failed, f);
        if (const char* why = lacking(f.need))
            QSKIP(why);
        TestFolder folder, linked;
        const QString file = folder.dataFile();
        f.fileMode ? folder.write("[readone]\r\nREAD2=pw\r\n") : void(QDir().mkdir(file));
        const QString written = f.held == Failed::LockThroughLink ? linked.dataFile() : file;
        if (written != file)
            QVERIFY(QFile::link(file, written) && setMode(linked.path(), 0777));
        setMode(file, f.fileMode);
        setMode(folder.path(), f.folderMode);
        QLockFile other(file + ".lock");
        QVERIFY((f.held != Failed::Lock && f.held != Failed::LockThroughLink) || other.tryLock());
        const QStringList before = entries(folder.path());
        const QByteArray bytes = folder.bytes();
        std::optional<ExclusiveOpen> exclusive;
        QVERIFY(f.held != Failed::Exclusive || exclusive.emplace(file).isOpen());
        QFile reader(file);
        QVERIFY(f.held != Failed::Reader || reader.open(QIODevice::ReadOnly));
        bool keptOk, ok;
        QString why;
        {
            const Conditions conditions(f.limit, true, 100);
            keptOk = WriteProfileValues({{"readone", "read2", "x"}, {"readone", "read2", "pw"}},
                                        written);
            ok = WriteProfileValues({{"readone", "read2", QString(2000, u'x')}}, written, &why);
        }
        exclusive.reset();
        reader.close();
        QVERIFY(!ok && keptOk == !f.reason.contains("can't be read"));
        QCOMPARE(
            why,
            f.reason.replace("%1", QDir::toNativeSeparators(folder.path())).replace("%2", written));
        QCOMPARE(entries(folder.path()), before);
        QCOMPARE(folder.bytes(), bytes);
    }

    // A sync that fails, of the new file before it replaces the old one, or of the folder after:
    // reported, never taken for a save. The helper program saves once with fsync failing.
    void failedSyncIsReported_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("reason"); // %1 the file
        QTest::addColumn<bool>("replaced");
        QTest::newRow("the file's")
            << "file"
            << "the file %1 couldn't be saved (Input/output error)" << false;
        QTest::newRow("the folder's")
            << "folder"
            << "the file %1 may not be on the disk (Input/output error)" << true;
    }
    void failedSyncIsReported() {
        QFETCH(QString, failing);
        QFETCH(QString, reason);
        QFETCH(bool, replaced);
        if (const char* why = lacking(Need::FailingSync))
            QSKIP(why);
        TestFolder folder;
        folder.write("[readone]\r\nREAD2=pw\r\n");
        QProcess helper;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_PRELOAD", TALLIVOR_FAILSYNC);
        env.insert("TALLIVOR_FAIL_FSYNC", failing);
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        helper.setProcessEnvironment(env);
        helper.start(TALLIVOR_HELPER, {folder.dataFile(), "once"});
        QVERIFY(helper.waitForFinished() && helper.exitCode() == 1);
        QCOMPARE(QString(helper.readAllStandardError()).trimmed(), reason.arg(folder.dataFile()));
        QCOMPARE(folder.bytes().contains("READ2=once"), replaced);
    }

    // The names a set may take (slot 1, the others named as below), and those it may keep while
    // it is cleared.
    void namingRules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("clearing");
        QTest::addColumn<int>("verdict");
        const auto row = [](const char* tag, const char* name, SetNames::Verdict verdict,
                            bool clearing = false) {
            QTest::newRow(tag) << QString(name) << clearing << int(verdict);
        };
        using V = SetNames::Verdict;
        row("its own name, other case", "WORK", V::Ok);
        row("a default inside", "Set 44", V::Ok);
        row("blanks only", " \t ", V::Blank);
        row("another slot's default, other case, outer blanks", " set 2\t", V::Default);
        row("a default, being cleared", "Set 1", V::Ok, true);
        row("the start-up state's section", "READONE", V::Reserved);
        row("the names' section, being cleared", " ruduze vad ovo", V::Reserved, true);
        row("another slot's name, outer blanks", "  my bank  ", V::AnotherSet);
        row("another slot's name stored with blanks", "music", V::AnotherSet, true);
    }
    void namingRules() {
        QFETCH(QString, name);
        QFETCH(bool, clearing);
        QFETCH(int, verdict);
        const QStringList stored{"Work", "Set 2", "My Bank", "Set 4", " Music "};
        QCOMPARE(int(SetNames::judge(name, 1, stored,
                                     clearing ? SetNames::Defaults::Allowed
                                              : SetNames::Defaults::Refused)),
                 verdict);
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
