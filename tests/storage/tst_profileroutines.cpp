// Reads and writes of single keys and batches, down to the bytes of the data file.
#include "storage/profileroutines.h"
#include "support/testfolder.h"

#include <QtTest>

using namespace ProfileRoutines;

class TestProfileRoutines : public QObject {
    Q_OBJECT
  private slots:
    void valueRoundTrips_data();
    void valueRoundTrips();
    void namesMatchWithoutRegardToCase();
    void newFileBytes();
    void readIsCutTo749Characters_data();
    void readIsCutTo749Characters();
};

void TestProfileRoutines::valueRoundTrips_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks around") << QStringLiteral("  pass word  ");
    QTest::newRow("quoted") << QStringLiteral("\"quoted\"");
    QTest::newRow("equals and semicolon") << QStringLiteral("a=b;c=d");
    QTest::newRow("brackets") << QStringLiteral("[not a section]");
    QTest::newRow("non-ASCII") << QStringLiteral("Grüße € 日本 😀");
}

void TestProfileRoutines::valueRoundTrips() {
    QFETCH(QString, value);
    TestFolder folder;
    QVERIFY(WriteProfileValue(QStringLiteral("Set 1"), QStringLiteral("num1"), value,
                              folder.dataFile()));
    QCOMPARE(ReadProfileValue(QStringLiteral("Set 1"), QStringLiteral("num1"), folder.dataFile()),
             value);
}

void TestProfileRoutines::namesMatchWithoutRegardToCase() {
    TestFolder folder;
    QVERIFY(WriteProfileValue(QStringLiteral("Games"), QStringLiteral("read1"), QStringLiteral("1"),
                              folder.dataFile()));
    QVERIFY(WriteProfileValue(QStringLiteral("games"), QStringLiteral("Read1"), QStringLiteral("2"),
                              folder.dataFile()));
    QCOMPARE(folder.bytes(), QByteArray("[Games]\r\nREAD1=2\r\n"));
    QCOMPARE(ReadProfileValue(QStringLiteral("GAMES"), QStringLiteral("read1"), folder.dataFile()),
             QStringLiteral("2"));
}

void TestProfileRoutines::newFileBytes() {
    TestFolder folder;
    QVERIFY(WriteProfileValues(
        {{QStringLiteral("readone"), QStringLiteral("read2"), QString()},
         {QStringLiteral("readone"), QStringLiteral("read3"), QStringLiteral("No Password")},
         {QStringLiteral("Ruduze Vad Ovo"), QStringLiteral("Name1"), QStringLiteral("Set 1")}},
        folder.dataFile()));
    QCOMPARE(folder.bytes(), QByteArray("[readone]\r\nREAD2=\r\nREAD3=No Password\r\n"
                                        "[Ruduze Vad Ovo]\r\nNAME1=Set 1\r\n"));
    QCOMPARE(QFileInfo(folder.dataFile()).permissions() & 0x7777,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                 QFileDevice::WriteUser);
}

void TestProfileRoutines::readIsCutTo749Characters_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("readLength");
    QTest::newRow("748") << 748 << 748;
    QTest::newRow("749") << 749 << 749;
    QTest::newRow("750") << 750 << 749;
    QTest::newRow("800") << 800 << 749;
}

void TestProfileRoutines::readIsCutTo749Characters() {
    QFETCH(int, length);
    QFETCH(int, readLength);
    TestFolder folder;
    QString value;
    for (int i = 0; i < length; ++i)
        value += QChar(u'a' + i % 26);
    QVERIFY(WriteProfileValue(QStringLiteral("s"), QStringLiteral("k"), value, folder.dataFile()));
    QCOMPARE(ReadProfileValue(QStringLiteral("s"), QStringLiteral("k"), folder.dataFile()),
             value.left(readLength));
}

QTEST_GUILESS_MAIN(TestProfileRoutines)
#include "tst_profileroutines.moc"
