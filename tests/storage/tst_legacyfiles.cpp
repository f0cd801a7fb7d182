// Data files written by the earlier Windows version or by hand, and files that are not data
// files at all: they read correctly, and a write leaves every other line's bytes alone.
#include "storage/profileroutines.h"
#include "support/testfolder.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace ProfileRoutines;

namespace {

QByteArray legacy(const QString& name) {
    QFile f(QStringLiteral(TALLIVOR_TEST_DATA "/legacy/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

class TestLegacyFiles : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void reads_data();
    void reads();
    void writeTouchesOnlyItsLine_data();
    void writeTouchesOnlyItsLine();
    void garbageNeverCrashes_data();
    void garbageNeverCrashes();
};

void TestLegacyFiles::initTestCase() {
    // Files of 10 MB, each write synced to disk: on a RAM disk the sync costs nothing.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
}

void TestLegacyFiles::reads_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const auto row = [](const char* name, const char* file, const char* section, const char* key,
                        const char* value) {
        QTest::newRow(name) << text(file) << text(section) << text(key) << text(value);
    };
    row("CRLF", "crlf.tvr", "readone", "read2", "secret");
    row("CRLF, set section", "crlf.tvr", "games", "num1", "AB-12");
    row("LF", "lf.tvr", "Ruduze Vad Ovo", "name1", "Set 1");
    row("BOM, first section", "bom.tvr", "readone", "read2", "päss");
    row("comment lines and blank lines", "comments.tvr", "readone", "read2", "pw");
    row("section after blank lines", "comments.tvr", "set 2", "name1", "b");
    row("line without equals sign is no key", "comments.tvr", "readone", "no equals sign here", "");
    row("comment is no key", "comments.tvr", "readone", "; the password", "");
    row("blanks around key name, value kept whole", "blanks.tvr", "Set 1", "NAME1",
        "  padded value  ");
    row("tabs around key name", "blanks.tvr", "set 1", "num1", "\ttabbed");
    row("blanks inside brackets belong to the name", "blanks.tvr", " spaced ", "name1",
        "inner blanks");
    row("name without those blanks is another section", "blanks.tvr", "Spaced", "name1", "");
    row("bracket in section name", "brackets.tvr", "Set ]1", "name1", "bracket");
    row("opening bracket in section name", "brackets.tvr", "a[b", "name1", "open");
    row("plain name after bracket names", "brackets.tvr", "set 1", "name1", "plain");
    row("first of duplicate keys", "duplicates.tvr", "Set 1", "name1", "first");
    row("second duplicate section is not read", "duplicates.tvr", "set 1", "num1", "");
    row("section between duplicates", "duplicates.tvr", "Set 2", "NAME1", "other");
    row("last line without line end", "nofinal.tvr", "Set 1", "name1", "last");
    row("Windows-1252 line", "cp1252.tvr", "readone", "read3", "café € “quoted”");
    row("Windows-1252 line, Latin-1 range", "cp1252.tvr", "Set 1", "name1", "naïve");
    row("UTF-8 line in the same file", "cp1252.tvr", "Set 1", "num1", "été");
    row("LF line before CRLF line", "mixed.tvr", "Set 1", "name1", "lf");
    row("CRLF line after LF line", "mixed.tvr", "Set 1", "num1", "crlf");
    row("key before any section belongs to none", "keysfirst.tvr", "Set 1", "name1", "");
}

void TestLegacyFiles::reads() {
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    TestFolder folder;
    const QByteArray bytes = legacy(file);
    QVERIFY(!bytes.isEmpty());
    folder.write(bytes);
    QCOMPARE(ReadProfileValue(section, key, folder.dataFile()), value);
    QCOMPARE(ReadProfileValues({{section, key}, {section, key}}, folder.dataFile()),
             QStringList({value, value}));
}

void TestLegacyFiles::writeTouchesOnlyItsLine_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    // The file afterwards: the original with its one occurrence of from replaced by to.
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    const auto row = [](const char* name, const char* file, const char* section, const char* key,
                        const char* value, const QByteArray& from, const QByteArray& to) {
        QTest::newRow(name) << text(file) << text(section) << text(key) << text(value) << from
                            << to;
    };
    row("CRLF, replace", "crlf.tvr", "Games", "num1", "CD-34", "NUM1=AB-12\r\n", "NUM1=CD-34\r\n");
    row("CRLF, add to last section", "crlf.tvr", "games", "num2", "new", "NAME=Games\r\n",
        "NAME=Games\r\nNUM2=new\r\n");
    row("CRLF, add to middle section", "crlf.tvr", "Ruduze Vad Ovo", "Name3", "Set 3",
        "NAME2=Set 2\r\n[Games]", "NAME2=Set 2\r\nNAME3=Set 3\r\n[Games]");
    row("CRLF, new section at the end", "crlf.tvr", "Set 4", "name1", "z", "NAME=Games\r\n",
        "NAME=Games\r\n[Set 4]\r\nNAME1=z\r\n");
    row("LF, replace", "lf.tvr", "readone", "read2", "new", "READ2=secret\n", "READ2=new\n");
    row("LF, new key takes LF", "lf.tvr", "readone", "read3", "c", "READ1=1\n[",
        "READ1=1\nREAD3=c\n[");
    row("LF, new section takes LF", "lf.tvr", "Games", "name1", "g", "NAME1=Set 1\n",
        "NAME1=Set 1\n[Games]\nNAME1=g\n");
    row("BOM kept", "bom.tvr", "readone", "read2", "x",
        "\xef\xbb\xbf[readone]\r\nREAD2=p\xc3\xa4ss\r\n", "\xef\xbb\xbf[readone]\r\nREAD2=x\r\n");
    row("new key after last non-blank line", "comments.tvr", "readone", "read3", "clue",
        "no equals sign here\r\n\r\n[Set 1]", "no equals sign here\r\nREAD3=clue\r\n\r\n[Set 1]");
    row("new key after trailing comment", "comments.tvr", "Set 1", "num1", "n",
        "; trailing comment\r\n\r\n\r\n[Set 2]", "; trailing comment\r\nNUM1=n\r\n\r\n\r\n[Set 2]");
    row("replace among comments", "comments.tvr", "set 1", "NAME1", "A", "NAME1=a\r\n",
        "NAME1=A\r\n");
    row("blanks around key name", "blanks.tvr", "Set 1", "name1", "v",
        "  name1 =  padded value  \r\n", "NAME1=v\r\n");
    row("section with inner blanks", "blanks.tvr", " Spaced ", "num1", "1",
        "NAME1=inner blanks\r\n", "NAME1=inner blanks\r\nNUM1=1\r\n");
    row("section without them is new", "blanks.tvr", "Spaced", "num1", "1",
        "NAME1=inner blanks\r\n", "NAME1=inner blanks\r\n[Spaced]\r\nNUM1=1\r\n");
    row("bracket in section name", "brackets.tvr", "set ]1", "name1", "b2", "NAME1=bracket\r\n",
        "NAME1=b2\r\n");
    row("first duplicate key", "duplicates.tvr", "SET 1", "name1", "new", "NAME1=first\r\n",
        "NAME1=new\r\n");
    row("new key goes to the first duplicate section", "duplicates.tvr", "set 1", "num1", "n",
        "name1=second\r\n[Set 2]", "name1=second\r\nNUM1=n\r\n[Set 2]");
    row("replace last line, still without line end", "nofinal.tvr", "Set 1", "name1", "new",
        "NAME1=last", "NAME1=new");
    row("add after last line gives it a line end", "nofinal.tvr", "Set 1", "num1", "1",
        "NAME1=last", "NAME1=last\r\nNUM1=1\r\n");
    row("new section after last line", "nofinal.tvr", "Set 2", "name1", "x", "NAME1=last",
        "NAME1=last\r\n[Set 2]\r\nNAME1=x\r\n");
    row("Windows-1252 lines stay as they are", "cp1252.tvr", "Set 1", "num1", "ü",
        "NUM1=\xc3\xa9t\xc3\xa9\r\n", "NUM1=\xc3\xbc\r\n");
    row("Windows-1252 line rewritten as UTF-8", "cp1252.tvr", "Set 1", "name1", "naïf",
        "NAME1=na\xefve\r\n",
        "NAME1=na\xc3\xaf"
        "f\r\n");
    row("Windows-1252 value unchanged", "cp1252.tvr", "Set 1", "name1", "naïve", "", "");
    row("first line end sets the style", "mixed.tvr", "Set 1", "name2", "n", "NUM1=crlf\n[Set 2]",
        "NUM1=crlf\nNAME2=n\n[Set 2]");
    row("mixed, no final line end", "mixed.tvr", "Set 2", "num1", "1", "NAME1=x",
        "NAME1=x\nNUM1=1\n");
    row("key before any section stays", "keysfirst.tvr", "Set 1", "name1", "n", "NUM1=1\r\n",
        "NUM1=1\r\nNAME1=n\r\n");
}

void TestLegacyFiles::writeTouchesOnlyItsLine() {
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    const QByteArray original = legacy(file);
    QVERIFY(!original.isEmpty());
    QByteArray expected = original;
    if (!from.isEmpty()) {
        QCOMPARE(original.count(from), 1);
        expected.replace(from, to);
    }
    TestFolder folder;
    folder.write(original);
    QVERIFY(WriteProfileValue(section, key, value, folder.dataFile()));
    QCOMPARE(folder.bytes(), expected);
    QCOMPARE(ReadProfileValue(section, key, folder.dataFile()), value);
}

void TestLegacyFiles::garbageNeverCrashes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name1"); // what section "Set 1", key name1 reads
    QRandomGenerator rng(4711);
    QByteArray binary(64 * 1024, Qt::Uninitialized);
    for (char& c : binary)
        c = char(rng.bounded(256));
    QTest::newRow("random bytes") << binary << QString();
    static const char nul[] = "[Set 1]\0\r\nNAME1=a\0b\r\n\0\0\0";
    QTest::newRow("NUL bytes") << QByteArray(nul, sizeof(nul) - 1)
                               << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("10 MB value") << "[Set 1]\r\nNAME1=" + QByteArray(10 << 20, 'x') + "\r\n"
                                 << QString(MaxValueLength, u'x');
    QTest::newRow("10 MB of 0xFF in a value")
        << "[Set 1]\nNAME1=" + QByteArray(10 << 20, '\xff') << QString(MaxValueLength, u'ÿ');
    QTest::newRow("10 MB section line") << "[" + QByteArray(10 << 20, 'S') + "]\r\nNAME1=a\r\n"
                                        << QString();
    QByteArray longBinary(10 << 20, Qt::Uninitialized);
    for (char& c : longBinary)
        c = char(rng.bounded(256) | 1); // no '\n', so one line
    QTest::newRow("10 MB binary line") << longBinary << QString();
    QTest::newRow("carriage returns only") << QByteArray(1000, '\r') << QString();
    QTest::newRow("brackets only") << QByteArray("[[[[]]]]=\n]]][[[\n=\n==\n[") << QString();
    QTest::newRow("cut UTF-8 sequence") << QByteArray("[Set 1]\nNAME1=\xe6\x97") << text("æ\u2014");
    QTest::newRow("BOM only") << QByteArray("\xef\xbb\xbf") << QString();
}

void TestLegacyFiles::garbageNeverCrashes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name1);
    TestFolder folder;
    folder.write(bytes);
    QCOMPARE(ReadProfileValue(QStringLiteral("Set 1"), QStringLiteral("name1"), folder.dataFile()),
             name1);
    QVERIFY(WriteProfileValue(QStringLiteral("Fresh"), QStringLiteral("key"), QStringLiteral("v"),
                              folder.dataFile()));
    QCOMPARE(ReadProfileValue(QStringLiteral("fresh"), QStringLiteral("key"), folder.dataFile()),
             QStringLiteral("v"));
    // The new section comes after everything that was there.
    const QByteArray after = folder.bytes();
    QVERIFY(after.startsWith(bytes));
    QVERIFY(after.endsWith("[Fresh]\r\nKEY=v\r\n") || after.endsWith("[Fresh]\nKEY=v\n"));
}

QTEST_GUILESS_MAIN(TestLegacyFiles)
#include "tst_legacyfiles.moc"
