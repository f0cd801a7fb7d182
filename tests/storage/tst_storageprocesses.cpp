// The data file shared with other processes: a writer killed at any moment, two copies of the
// program writing at once, a lock left by a dead process, a full disk, a folder without rights.
#include "storage/profileroutines.h"
#include "support/testfolder.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace ProfileRoutines;

namespace {

const QString Helper = QStringLiteral(TALLIVOR_BINARY_DIR "/tests/helper_storage");

// The keys that one round of the helper's loop saves, all with the round's number.
QList<ProfileKey> loopKeys() {
    QList<ProfileKey> keys;
    for (int k = 1; k <= 15; ++k) {
        keys.append({QStringLiteral("Loop"), QStringLiteral("name%1").arg(k)});
        keys.append({QStringLiteral("Loop"), QStringLiteral("num%1").arg(k)});
    }
    keys.append({QStringLiteral("Loop"), QStringLiteral("Name")});
    keys.append({QStringLiteral("Ruduze Vad Ovo"), QStringLiteral("Name1")});
    return keys;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestStorageProcesses : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanup();
    void killedWriterLeavesOldOrNewSet();
    void twoWritersLoseNothing();
    void staleLockIsTakenOver();
    void liveLockIsRespected();
    void fullDiskLeavesFileWhole();
    void withoutRights_data();
    void withoutRights();
};

void TestStorageProcesses::initTestCase() {
    QVERIFY2(QFileInfo(Helper).isExecutable(), qPrintable(Helper));
    // Many writes, each synced to disk: on a RAM disk the sync costs nothing.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
}

void TestStorageProcesses::cleanup() {
    SetLockTimeout(5000);
}

void TestStorageProcesses::killedWriterLeavesOldOrNewSet() {
    TestFolder folder;
    const QString file = folder.dataFile();
    QRandomGenerator rng(1234);
    const QList<ProfileKey> keys = loopKeys();
    long seen = -1;
    for (int kill = 0; kill < 20; ++kill) {
        QProcess writer;
        writer.start(Helper, {QStringLiteral("loop"), file, QString::number(seen + 1)});
        QVERIFY(writer.waitForStarted());
        QThread::msleep(20 + rng.bounded(80));
        writer.kill();
        QVERIFY(writer.waitForFinished());

        const QStringList values = ReadProfileValues(keys, file);
        if (values.front().isEmpty()) {
            // Killed before its first save.
            QVERIFY(seen < 0);
            QCOMPARE(values.count(QString()), values.size());
            continue;
        }
        QCOMPARE(values.count(values.front()), values.size());
        const long round = values.front().toLong();
        QVERIFY(round >= seen);
        seen = round;
        // The file is whole: exactly what a clean save of that round gives.
        TestFolder clean;
        QList<ProfileWrite> writes;
        for (const ProfileKey& k : keys)
            writes.append({k.section, k.key, values.front()});
        QVERIFY(WriteProfileValues(writes, clean.dataFile()));
        QCOMPARE(folder.bytes(), clean.bytes());
    }
    QVERIFY2(seen > 0, "the writer never got to save");
    // A killed writer may leave its lock behind, and a finished new file that it had not yet
    // renamed into place; never a half-written one.
    static const QRegularExpression leftover(QStringLiteral("^tallivor\\.tvr\\.[A-Za-z0-9]{6}$"));
    for (const QString& name : entries(folder.path())) {
        if (name == QLatin1String("tallivor.tvr") || name == QLatin1String("tallivor.tvr.lock"))
            continue;
        QVERIFY2(leftover.match(name).hasMatch(), qPrintable(name));
        const QStringList values = ReadProfileValues(keys, folder.dir.filePath(name));
        QVERIFY(!values.front().isEmpty());
        QCOMPARE(values.count(values.front()), values.size());
    }
}

void TestStorageProcesses::twoWritersLoseNothing() {
    TestFolder folder;
    const QString file = folder.dataFile();
    const int count = 40;
    QProcess a;
    QProcess b;
    a.start(Helper, {QStringLiteral("keys"), file, QStringLiteral("a"), QString::number(count)});
    b.start(Helper, {QStringLiteral("keys"), file, QStringLiteral("b"), QString::number(count)});
    QVERIFY(a.waitForFinished(30000));
    QVERIFY(b.waitForFinished(30000));
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    QList<ProfileKey> keys;
    QStringList expected;
    for (const QString& prefix : {QStringLiteral("a"), QStringLiteral("b")}) {
        for (int i = 0; i < count; ++i) {
            keys.append({QStringLiteral("Shared"), prefix + QString::number(i)});
            expected.append(QString::number(i));
        }
    }
    QCOMPARE(ReadProfileValues(keys, file), expected);
}

void TestStorageProcesses::staleLockIsTakenOver() {
    TestFolder folder;
    const QString file = folder.dataFile();
    QProcess holder;
    holder.start(Helper, {QStringLiteral("hold"), file});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readAll().trimmed(), QByteArray("locked"));
    holder.kill();
    QVERIFY(holder.waitForFinished());
    QVERIFY(QFile::exists(file + QStringLiteral(".lock")));

    // Far shorter than the age at which a lock counts as stale anyway.
    SetLockTimeout(2000);
    QString reason;
    QVERIFY2(WriteProfileValues({{"readone", "read1", "1"}}, file, &reason), qPrintable(reason));
    QCOMPARE(ReadProfileValue("readone", "read1", file), QStringLiteral("1"));
    QCOMPARE(entries(folder.path()), QStringList{QStringLiteral("tallivor.tvr")});
}

void TestStorageProcesses::liveLockIsRespected() {
    TestFolder folder;
    const QString file = folder.dataFile();
    folder.write("[readone]\r\nREAD1=1\r\n");
    QProcess holder;
    holder.start(Helper, {QStringLiteral("hold"), file});
    QVERIFY(holder.waitForReadyRead(10000));

    SetLockTimeout(300);
    QString reason;
    QVERIFY(!WriteProfileValues({{"readone", "read1", "2"}}, file, &reason));
    QCOMPARE(reason, QStringLiteral("the data file %1 is in use by another program")
                         .arg(QDir::toNativeSeparators(file)));
    QCOMPARE(folder.bytes(), QByteArray("[readone]\r\nREAD1=1\r\n"));
    holder.kill();
    QVERIFY(holder.waitForFinished());
}

void TestStorageProcesses::fullDiskLeavesFileWhole() {
    TestFolder folder;
    const QString file = folder.dataFile();
    const QByteArray before("[readone]\r\nREAD2=pw\r\n[Set 1]\r\nNAME1=a\r\n");
    folder.write(before);
    QProcess writer;
    // Files may grow to 400 bytes: room for the lock, not for the new data file.
    writer.start(Helper,
                 {QStringLiteral("write"), file, QStringLiteral("Set 1"), QStringLiteral("num1"),
                  QString(2000, u'x'), QStringLiteral("fsize=400")});
    QVERIFY(writer.waitForFinished());
    QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
    const QString reason = QString::fromLocal8Bit(writer.readAllStandardOutput());
    QCOMPARE(writer.exitCode(), 1);
    QVERIFY2(
        reason.startsWith(
            QStringLiteral("the file %1 couldn't be saved (").arg(QDir::toNativeSeparators(file))),
        qPrintable(reason));
    QCOMPARE(folder.bytes(), before);
    QCOMPARE(entries(folder.path()), QStringList{QStringLiteral("tallivor.tvr")});
}

void TestStorageProcesses::withoutRights_data() {
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<QString>("reason"); // %1 the folder, %2 the file
    QTest::newRow("folder can't be written")
        << 0555 << 0644 << "the folder %1 can't be written (Permission denied)";
    QTest::newRow("read-only file") << 0777 << 0444 << "the file %2 is read-only";
}

void TestStorageProcesses::withoutRights() {
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    QFETCH(QString, reason);
    TestFolder folder;
    const QString file = folder.dataFile();
    const QByteArray before("[readone]\r\nREAD2=pw\r\n");
    folder.write(before);
    QStringList arguments{QStringLiteral("write"), file, QStringLiteral("readone"),
                          QStringLiteral("read2"), QStringLiteral("new")};
    // Root writes whatever the mode bits say, so the writer then runs as nobody.
    if (geteuid() == 0)
        arguments.append(QStringLiteral("nobody"));
    const QByteArray path = QFile::encodeName(folder.path());
    QCOMPARE(chmod(QFile::encodeName(file).constData(), mode_t(fileMode)), 0);
    QCOMPARE(chmod(path.constData(), mode_t(folderMode)), 0);

    QProcess writer;
    writer.start(Helper, arguments);
    QVERIFY(writer.waitForFinished());
    chmod(path.constData(), 0700);
    QCOMPARE(QString::fromLocal8Bit(writer.readAllStandardOutput()),
             reason.replace(QStringLiteral("%1"), QDir::toNativeSeparators(folder.path()))
                 .replace(QStringLiteral("%2"), QDir::toNativeSeparators(file)));
    QCOMPARE(writer.exitCode(), 1);
    QCOMPARE(folder.bytes(), before);
    QCOMPARE(entries(folder.path()), QStringList{QStringLiteral("tallivor.tvr")});
}

QTEST_GUILESS_MAIN(TestStorageProcesses)
#include "tst_storageprocesses.moc"
