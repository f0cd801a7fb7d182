// The data file down to its bytes: random round trips, files of the earlier Windows version,
// garbage, failed writes, and other processes writing and dying while this one reads.
#include "storage/profileroutines.h"
#include "support/faketoolkit.h"
#include "ui/routines.h"

#include <QtTest>

using namespace ProfileRoutines;

namespace {

const QString Helper = QStringLiteral(TALLIVOR_BINARY_DIR "/tests/helper_storage");

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

} // namespace

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
        FakeToolkit folder; // a program folder of its own
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
        FakeToolkit folder;                      // a program folder of its own
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
        QCOMPARE(entries(folder.programFolder()), QStringList{"tallivor.tvr"});
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
        FakeToolkit folder; // a program folder of its own
        folder.write(r[0]);
        const QFile::Permissions mode = QFile::permissions(folder.dataFile());
        QCOMPARE(ReadProfileValue(r[1], r[2], folder.dataFile()), QString(r[3]));
        QVERIFY(WriteProfileValue(r[1], r[2], r[4], folder.dataFile()));
        QCOMPARE(folder.bytes(), QByteArray(r[0]).replace(r[5], r[6]));
        QCOMPARE(QFile::permissions(folder.dataFile()), mode); // an existing file keeps its mode
    }

    void failedWriteChangesNothing_data() {
        QTest::addColumn<QString>("reason"); // %1 the folder, %2 the file
        QTest::newRow("folder") << "the folder %1 can't be written to";
        QTest::newRow("read-only") << "the file %2 is read-only";
        QTest::newRow("disk full") << "the file %2 couldn't be saved (File too large)";
        // Another user's file in a shared folder: everything but the final rename works.
        QTest::newRow("rename") << "the file %2 couldn't be saved (Operation not permitted)";
        QTest::newRow("in use") << "the data file %2 is in use by another program";
        // Linked to another folder's file, which a copy of the program there is writing.
        QTest::newRow("in use through a link") << "the data file %2 is in use by another program";
        QTest::newRow("directory") << "the file %2 can't be read (it is a folder)";
        // Held by another program that lets nobody else open it (Windows only).
        QTest::newRow("opened exclusively")
            << "the file %2 can't be read (it is in use by another program)";
        // Held open by a reader, which on Windows keeps it from being replaced.
        QTest::newRow("open in a reader")
            << "the file %2 couldn't be saved (it is in use by another program)";
    }

    void failedWriteChangesNothing() {
        QFETCH(QString, reason);
        const QByteArray kind = QTest::currentDataTag();
        const std::map<QByteArray, Need> needs = {{"folder", Need::Modes},
                                                  {"disk full", Need::FileSizeLimit},
                                                  {"rename", Need::OtherUser},
                                                  {"in use through a link", Need::Links},
                                                  {"opened exclusively", Need::ExclusiveOpen},
                                                  {"open in a reader", Need::BlockingReaders}};
        if (const char* why = needs.count(kind) ? lacking(needs.at(kind)) : nullptr)
            QSKIP(why);
        FakeToolkit folder, linked; // program folders of their own
        const QString file = folder.dataFile();
        if (kind == "directory")
            QVERIFY(QDir().mkdir(file));
        else
            folder.write("[readone]\r\nREAD2=pw\r\n");
        if (kind.endsWith("link"))
            QVERIFY(QFile::link(file, linked.dataFile()) && setMode(linked.programFolder(), 0777));
        // The lock beside the file itself is held; the write goes through the link.
        const QString written = kind.endsWith("link") ? linked.dataFile() : file;
        setMode(file, kind == "read-only" ? 0444 : 0666);
        setMode(folder.programFolder(), kind == "folder" ? 0555 : kind == "rename" ? 01777 : 0777);
        QLockFile other(file + ".lock");
        QVERIFY(!kind.startsWith("in use") || other.tryLock());
        const QStringList before = entries(folder.programFolder());
        const QByteArray bytes = folder.bytes();
        std::optional<ExclusiveOpen> held;
        if (kind == "opened exclusively")
            QVERIFY(held.emplace(file).isOpen());
        QFile reader(file);
        QVERIFY(kind != "open in a reader" || reader.open(QIODevice::ReadOnly));
        // Room for the lock, not for the new file; root ignores mode bits, so write as nobody.
        limitFileSize(kind == "disk full" ? 400 : NoLimit);
        SetLockTimeout(100);
        const bool asNobody = becomeNobody();
        // Nothing new to store, even after a change set back: no write, so that still succeeds.
        const bool keptOk =
            WriteProfileValues({{"readone", "read2", "x"}, {"readone", "read2", "pw"}}, written);
        QString why;
        const bool ok =
            WriteProfileValues({{"readone", "read2", QString(2000, u'x')}}, written, &why);
        QVERIFY(!asNobody || becomeSelf());
        limitFileSize(NoLimit);
        held.reset();
        reader.close();
        QVERIFY(!ok && keptOk == !reason.contains("can't be read"));
        QCOMPARE(why, reason.replace("%1", QDir::toNativeSeparators(folder.programFolder()))
                          .replace("%2", written));
        QCOMPARE(entries(folder.programFolder()), before);
        QCOMPARE(folder.bytes(), bytes);
    }

    // How long Pause waits, in virtual time: the rounded start, midnight, a program already
    // ending, and the clock set back an hour at the first wait (summer time, a manual change).
    void pauseEndsOnTheRoundedSecond_data() {
        QTest::addColumn<QList<double>>("t"); // called at, seconds, clock set back, waited
        QTest::newRow("100.2 +1") << QList<double>{100.2, 1, 0, 0.8};
        QTest::newRow("100.5 +1 halves to even") << QList<double>{100.5, 1, 0, 0.5};
        QTest::newRow("101.5 +1 halves to even") << QList<double>{101.5, 1, 0, 1.5};
        QTest::newRow("0 seconds rounded up") << QList<double>{100.7, 0, 0, 0.3};
        QTest::newRow("rounded up to midnight") << QList<double>{86399.7, 1, 0, 1.3};
        QTest::newRow("clock set back") << QList<double>{100.2, 1, 3600, 0.8};
        QTest::newRow("program ending") << QList<double>{100.7, 0, 0, -1};
    }
    void pauseEndsOnTheRoundedSecond() {
        QFETCH(QList<double>, t);
        FakeToolkit toolkit;
        toolkit.now = t[0];
        toolkit.ended = t[3] < 0;
        toolkit.onWait = [&] { toolkit.now -= toolkit.waits.size() == 1 ? t[2] : 0; };
        Pause(int(t[1]));
        QVERIFY(qAbs(toolkit.mono - qMax(t[3], 0.0)) < 1e-9);
    }

    // Two other copies of the program save rounds of their keys and are killed now and then,
    // while this one reads: every read sees one whole round of each, never an older one.
    void writersKilledMidSaveLeaveOldOrNewRounds() {
        FakeToolkit folder; // a program folder of its own
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
                writers[w].start(
                    Helper, {folder.dataFile(), QChar(u'a' + w), QString::number(seen[w] + 1)});
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
