// Reads and writes of single keys and batches, down to the bytes of the data file.
#include "storage/profileroutines.h"
#include "support/testfolder.h"

#include <QLockFile>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>

using namespace ProfileRoutines;

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The mode bits of a file, as chmod shows them.
int modeOf(const QString& path) {
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString cut(const QString& value) {
    if (value.size() <= MaxValueLength)
        return value;
    QString s = value.left(MaxValueLength);
    if (s.back().isHighSurrogate())
        s.chop(1);
    return s;
}

QString withBlanksForLineBreaks(QString s) {
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

// What the file should hold, kept the simple way: sections and keys in a list, found by a
// case-insensitive comparison, the first match winning.
class Model {
  public:
    void write(const ProfileWrite& w) {
        const QString section = withBlanksForLineBreaks(w.section);
        auto s = std::find_if(m_sections.begin(), m_sections.end(),
                              [&](const Section& x) { return same(x.name, section); });
        if (s == m_sections.end())
            s = m_sections.insert(m_sections.end(), Section{section, {}});
        auto k = std::find_if(s->keys.begin(), s->keys.end(),
                              [&](const auto& x) { return same(x.first, w.key); });
        const QString value = withBlanksForLineBreaks(w.value);
        if (k == s->keys.end())
            s->keys.append({w.key, value});
        else
            k->second = value;
    }
    QString read(const ProfileKey& key) const {
        const QString section = withBlanksForLineBreaks(key.section);
        for (const Section& s : m_sections) {
            if (!same(s.name, section))
                continue;
            for (const auto& k : s.keys) {
                if (same(k.first, key.key))
                    return cut(k.second);
            }
            return QString();
        }
        return QString();
    }

  private:
    static bool same(const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) == 0;
    }
    struct Section {
        QString name;
        QList<std::pair<QString, QString>> keys;
    };
    QList<Section> m_sections;
};

// Random writes over a few sections and keys, named in changing letter case, with values
// that the platform's own routines would have trimmed, cut or split.
class RandomWrites {
  public:
    explicit RandomWrites(quint32 seed) : m_rng(seed) {
        for (int i = 0; i < 5; ++i)
            m_sections.append(randomText(sectionChars(), 1 + int(m_rng.bounded(12))));
        m_sections.append(QStringLiteral("Set 1"));
        m_sections.append(QStringLiteral("Set 1 "));
        for (int i = 0; i < 8; ++i) {
            const QString key = randomText(keyChars(), 1 + int(m_rng.bounded(8))).trimmed();
            m_keys.append(key.isEmpty() ? QStringLiteral("k") : key);
        }
        m_keys.append(QStringLiteral("name1"));
        m_keys.append(text("σοφός"));
    }

    ProfileWrite next() {
        static const int lengths[] = {0, 1, 3, 10, 40, 748, 749, 750, 800};
        const int length = lengths[m_rng.bounded(int(std::size(lengths)))];
        return {caseVariant(pick(m_sections)), caseVariant(pick(m_keys)),
                randomText(valueChars(), length)};
    }

    QList<ProfileKey> allKeys() const {
        QList<ProfileKey> keys;
        for (const QString& s : m_sections) {
            for (const QString& k : m_keys)
                keys.append({s, k});
        }
        return keys;
    }

    quint32 bounded(quint32 n) { return m_rng.bounded(n); }

  private:
    static QStringList chars(const char* ascii, QStringList more) {
        for (const char* c = ascii; *c; ++c)
            more.append(QString(QChar::fromLatin1(*c)));
        return more;
    }
    static const QStringList& valueChars() {
        static const QStringList c =
            chars("aZ9 \t\"'=;[]#\\", {text("é"), text("ß"), text("€"), text("日"), text("😀"),
                                       QStringLiteral("\n"), QStringLiteral("\r")});
        return c;
    }
    static const QStringList& sectionChars() {
        static const QStringList c =
            chars("abXY1 ]=;\"", {QStringLiteral("["), text("ä"), text("Ω"), text("ß"), text("😀"),
                                  QStringLiteral("\n")});
        return c;
    }
    static const QStringList& keyChars() {
        static const QStringList c =
            chars("abcXYZ19 ", {text("é"), text("Ä"), text("ς"), text("σ"), text("ß")});
        return c;
    }
    QString randomText(const QStringList& alphabet, int length) {
        QString s;
        while (s.size() < length)
            s += alphabet[m_rng.bounded(int(alphabet.size()))];
        s.truncate(length);
        if (!s.isEmpty() && s.back().isHighSurrogate())
            s.chop(1);
        return s;
    }
    QString pick(const QStringList& list) { return list[m_rng.bounded(int(list.size()))]; }
    QString caseVariant(const QString& s) {
        switch (m_rng.bounded(3)) {
        case 0:
            return s.toUpper();
        case 1:
            return s.toLower();
        default:
            return s;
        }
    }

    QRandomGenerator m_rng;
    QStringList m_sections;
    QStringList m_keys;
};

} // namespace

class TestProfileRoutines : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanup();
    void valueRoundTrips_data();
    void valueRoundTrips();
    void namesMatchWithoutRegardToCase_data();
    void namesMatchWithoutRegardToCase();
    void sectionNamesKeepTheirBlanks();
    void newFileBytes();
    void lineBreaksAreStoredAsBlanks();
    void readIsCutTo749Characters_data();
    void readIsCutTo749Characters();
    void randomWritesReadBack_data();
    void randomWritesReadBack();
    void batchesEqualSingleCalls_data();
    void batchesEqualSingleCalls();
    void unchangedValueLeavesFileAlone_data();
    void unchangedValueLeavesFileAlone();
    void existingFileKeepsItsMode_data();
    void existingFileKeepsItsMode();
    void replaceFileKeepsOnlyTheGivenKeys();
    void failedWriteChangesNothing_data();
    void failedWriteChangesNothing();
    void unusableKeysAreRefused_data();
    void unusableKeysAreRefused();
    void lockHeldElsewhere();
    void missingOrUnreadableFileReadsEmpty();
    void dataFilePath_data();
    void dataFilePath();
};

void TestProfileRoutines::initTestCase() {
    // Hundreds of writes, each synced to disk: on a RAM disk the sync costs nothing, and the
    // files behave the same.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
}

void TestProfileRoutines::cleanup() {
    SetLockTimeout(5000);
}

void TestProfileRoutines::valueRoundTrips_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks around") << QStringLiteral("  pass word  ");
    QTest::newRow("tabs") << QStringLiteral("\tx\t");
    QTest::newRow("quoted") << QStringLiteral("\"quoted\"");
    QTest::newRow("single quotes") << QStringLiteral("'x'");
    QTest::newRow("equals and semicolon") << QStringLiteral("a=b;c=d");
    QTest::newRow("starts with semicolon") << QStringLiteral(";x");
    QTest::newRow("brackets") << QStringLiteral("[not a section]");
    QTest::newRow("only a blank") << QStringLiteral(" ");
    QTest::newRow("non-ASCII") << text("Grüße € 日本 😀");
    QTest::newRow("Windows-1252 look-alike") << text("Ã© â€™");
}

void TestProfileRoutines::valueRoundTrips() {
    QFETCH(QString, value);
    TestFolder folder;
    QVERIFY(WriteProfileValue(QStringLiteral("Set 1"), QStringLiteral("num1"), value,
                              folder.dataFile()));
    QCOMPARE(ReadProfileValue(QStringLiteral("Set 1"), QStringLiteral("num1"), folder.dataFile()),
             value);
    QCOMPARE(folder.bytes(), "[Set 1]\r\nNUM1=" + value.toUtf8() + "\r\n");
}

void TestProfileRoutines::namesMatchWithoutRegardToCase_data() {
    QTest::addColumn<QString>("writtenSection");
    QTest::addColumn<QString>("writtenKey");
    QTest::addColumn<QString>("readSection");
    QTest::addColumn<QString>("readKey");
    QTest::addColumn<QByteArray>("storedKey");
    const auto row = [](const char* name, const char* writtenSection, const char* writtenKey,
                        const char* readSection, const char* readKey, const char* storedKey) {
        QTest::newRow(name) << text(writtenSection) << text(writtenKey) << text(readSection)
                            << text(readKey) << QByteArray(storedKey);
    };
    row("lower key read upper", "readone", "read1", "READONE", "READ1", "READ1");
    row("mixed", "Games", "Name1", "gAMES", "nAME1", "NAME1");
    row("non-ASCII", "Spiele Ä", "grün", "SPIELE ä", "GRÜN", "GRÜN");
    row("final sigma", "ΟΔΟΣ", "λόγος", "οδος", "ΛΌΓΟΣ", "ΛΌΓΟΣ");
    row("Kelvin sign", "\u212A", "k", "k", "K", "K");
    // Upper-casing would turn ß into SS, which no longer matches the key.
    row("sharp s kept", "s", "ß", "S", "ß", "ß");
}

void TestProfileRoutines::namesMatchWithoutRegardToCase() {
    QFETCH(QString, writtenSection);
    QFETCH(QString, writtenKey);
    QFETCH(QString, readSection);
    QFETCH(QString, readKey);
    QFETCH(QByteArray, storedKey);
    TestFolder folder;
    QVERIFY(WriteProfileValue(writtenSection, writtenKey, QStringLiteral("1"), folder.dataFile()));
    QCOMPARE(ReadProfileValue(readSection, readKey, folder.dataFile()), QStringLiteral("1"));
    // A second write under the other spelling replaces the value instead of adding a key.
    QVERIFY(WriteProfileValue(readSection, readKey, QStringLiteral("2"), folder.dataFile()));
    QCOMPARE(folder.bytes(), "[" + writtenSection.toUtf8() + "]\r\n" + storedKey + "=2\r\n");
    QCOMPARE(ReadProfileValue(writtenSection, writtenKey, folder.dataFile()), QStringLiteral("2"));
}

void TestProfileRoutines::sectionNamesKeepTheirBlanks() {
    TestFolder folder;
    const QString file = folder.dataFile();
    QVERIFY(WriteProfileValue(QStringLiteral("Set 1"), QStringLiteral("name1"), QStringLiteral("a"),
                              file));
    QVERIFY(WriteProfileValue(QStringLiteral("Set 1 "), QStringLiteral("name1"),
                              QStringLiteral("b"), file));
    QVERIFY(WriteProfileValue(QStringLiteral(" Set 1"), QStringLiteral("name1"),
                              QStringLiteral("c"), file));
    QCOMPARE(folder.bytes(),
             QByteArray("[Set 1]\r\nNAME1=a\r\n[Set 1 ]\r\nNAME1=b\r\n[ Set 1]\r\nNAME1=c\r\n"));
    QCOMPARE(ReadProfileValues({{QStringLiteral("set 1"), QStringLiteral("name1")},
                                {QStringLiteral("SET 1 "), QStringLiteral("name1")},
                                {QStringLiteral(" set 1"), QStringLiteral("name1")},
                                {QStringLiteral("set  1"), QStringLiteral("name1")}},
                               file),
             QStringList({"a", "b", "c", ""}));
}

void TestProfileRoutines::newFileBytes() {
    TestFolder folder;
    QVERIFY(WriteProfileValues(
        {{QStringLiteral("readone"), QStringLiteral("read2"), QString()},
         {QStringLiteral("readone"), QStringLiteral("read3"), QStringLiteral("No Password")},
         {QStringLiteral("Ruduze Vad Ovo"), QStringLiteral("Name1"), QStringLiteral("Set 1")},
         {QStringLiteral("readone"), QStringLiteral("read1"), QStringLiteral("1")}},
        folder.dataFile()));
    QCOMPARE(folder.bytes(), QByteArray("[readone]\r\nREAD2=\r\nREAD3=No Password\r\nREAD1=1\r\n"
                                        "[Ruduze Vad Ovo]\r\nNAME1=Set 1\r\n"));
    QCOMPARE(modeOf(folder.dataFile()), 0600);
    // Nothing but the data file is left beside it: no lock, no temporary file.
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("tallivor.tvr")});
}

void TestProfileRoutines::lineBreaksAreStoredAsBlanks() {
    TestFolder folder;
    QVERIFY(WriteProfileValue(QStringLiteral("a\r\nb"), QStringLiteral("k\n"),
                              QStringLiteral("x\ny\rz"), folder.dataFile()));
    QCOMPARE(folder.bytes(), QByteArray("[a  b]\r\nK=x y z\r\n"));
    QCOMPARE(ReadProfileValue(QStringLiteral("a\r\nb"), QStringLiteral("k"), folder.dataFile()),
             QStringLiteral("x y z"));
}

void TestProfileRoutines::readIsCutTo749Characters_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("readLength");
    QTest::newRow("748") << "a" << 748 << 748;
    QTest::newRow("749") << "a" << 749 << 749;
    QTest::newRow("750") << "a" << 750 << 749;
    QTest::newRow("800") << "a" << 800 << 749;
    QTest::newRow("three-byte characters, 800") << text("日") << 800 << 749;
    // 374 pairs fill 748 places; the 375th pair would be split, so it is left out whole.
    QTest::newRow("pairs, 750") << text("😀") << 750 << 748;
    QTest::newRow("pairs, 748") << text("😀") << 748 << 748;
}

void TestProfileRoutines::readIsCutTo749Characters() {
    QFETCH(QString, unit);
    QFETCH(int, length);
    QFETCH(int, readLength);
    TestFolder folder;
    QString value;
    while (value.size() < length)
        value += unit;
    QVERIFY(WriteProfileValue(QStringLiteral("s"), QStringLiteral("k"), value, folder.dataFile()));
    QCOMPARE(ReadProfileValue(QStringLiteral("s"), QStringLiteral("k"), folder.dataFile()),
             value.left(readLength));
    QCOMPARE(ReadProfileValues({{QStringLiteral("s"), QStringLiteral("k")}}, folder.dataFile()),
             QStringList{value.left(readLength)});
}

void TestProfileRoutines::randomWritesReadBack_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 20240611u})
        QTest::addRow("seed %u", seed) << seed;
}

void TestProfileRoutines::randomWritesReadBack() {
    QFETCH(quint32, seed);
    TestFolder folder;
    const QString file = folder.dataFile();
    RandomWrites random(seed);
    Model model;
    for (int round = 0; round < 60; ++round) {
        QList<ProfileWrite> batch;
        const int size = 1 + int(random.bounded(4));
        for (int i = 0; i < size; ++i)
            batch.append(random.next());
        if (size == 1)
            QVERIFY(WriteProfileValue(batch[0].section, batch[0].key, batch[0].value, file));
        else
            QVERIFY(WriteProfileValues(batch, file));
        for (const ProfileWrite& w : batch)
            model.write(w);
        const ProfileWrite& last = batch.back();
        QCOMPARE(ReadProfileValue(last.section, last.key, file),
                 model.read({last.section, last.key}));
    }
    const QList<ProfileKey> keys = random.allKeys();
    const QStringList values = ReadProfileValues(keys, file);
    QCOMPARE(values.size(), keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QCOMPARE(values[i], model.read(keys[i]));
        QCOMPARE(ReadProfileValue(keys[i].section, keys[i].key, file), values[i]);
    }
}

void TestProfileRoutines::batchesEqualSingleCalls_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("no file") << QString() << 7u;
    QTest::newRow("CRLF file") << "crlf.tvr" << 8u;
    QTest::newRow("mixed endings, no final line end") << "mixed.tvr" << 9u;
    QTest::newRow("Windows-1252 file") << "cp1252.tvr" << 10u;
    QTest::newRow("duplicates") << "duplicates.tvr" << 11u;
}

void TestProfileRoutines::batchesEqualSingleCalls() {
    QFETCH(QString, start);
    QFETCH(quint32, seed);
    TestFolder singles;
    TestFolder batches;
    if (!start.isEmpty()) {
        const QByteArray bytes = bytesOf(TALLIVOR_TEST_DATA "/legacy/" + start);
        QVERIFY(!bytes.isEmpty());
        singles.write(bytes);
        batches.write(bytes);
    }
    RandomWrites random(seed);
    QList<ProfileWrite> writes;
    for (int i = 0; i < 80; ++i)
        writes.append(random.next());
    // The same key twice in a row, and a section again under other letter case.
    writes.append({QStringLiteral("Twice"), QStringLiteral("k"), QStringLiteral("1")});
    writes.append({QStringLiteral("TWICE"), QStringLiteral("K"), QStringLiteral("2")});
    writes.append(writes.front());

    for (const ProfileWrite& w : writes)
        QVERIFY(WriteProfileValue(w.section, w.key, w.value, singles.dataFile()));
    qsizetype from = 0;
    while (from < writes.size()) {
        const qsizetype size = qMin(writes.size() - from, qsizetype(1 + random.bounded(20)));
        QVERIFY(WriteProfileValues(writes.mid(from, size), batches.dataFile()));
        from += size;
    }
    QCOMPARE(batches.bytes(), singles.bytes());

    const QList<ProfileKey> keys = random.allKeys();
    QStringList one;
    for (const ProfileKey& k : keys)
        one.append(ReadProfileValue(k.section, k.key, singles.dataFile()));
    QCOMPARE(ReadProfileValues(keys, singles.dataFile()), one);
}

void TestProfileRoutines::unchangedValueLeavesFileAlone_data() {
    QTest::addColumn<QList<ProfileWrite>>("writes");
    const QString s = QStringLiteral("Set 1");
    QTest::newRow("same value") << QList<ProfileWrite>{{s, "name1", " a "}};
    QTest::newRow("same value, other letter case")
        << QList<ProfileWrite>{{"SET 1", "Name1", " a "}};
    QTest::newRow("empty value of an empty key") << QList<ProfileWrite>{{s, "num1", ""}};
    QTest::newRow("line break that is stored as a blank")
        << QList<ProfileWrite>{{s, "num2", "x y"}, {s, "num2", "x\ny"}};
    QTest::newRow("changed and set back in one batch")
        << QList<ProfileWrite>{{s, "name1", "new"}, {s, "name1", " a "}};
    QTest::newRow("nothing") << QList<ProfileWrite>{};
}

void TestProfileRoutines::unchangedValueLeavesFileAlone() {
    QFETCH(QList<ProfileWrite>, writes);
    TestFolder folder;
    const QByteArray before("[Set 1]\r\nNAME1= a \r\nNUM1=\r\nNUM2=x y\r\n");
    folder.write(before);
    QFile f(folder.dataFile());
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
    QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    f.close();
    QVERIFY(WriteProfileValues(writes, folder.dataFile()));
    if (writes.size() == 1)
        QVERIFY(WriteProfileValue(writes[0].section, writes[0].key, writes[0].value,
                                  folder.dataFile()));
    QCOMPARE(folder.bytes(), before);
    QCOMPARE(QFileInfo(folder.dataFile()).lastModified().toUTC().toSecsSinceEpoch(),
             old.toSecsSinceEpoch());
}

void TestProfileRoutines::existingFileKeepsItsMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("replaceAll");
    QTest::newRow("0644, one key") << 0644 << false;
    QTest::newRow("0640, one key") << 0640 << false;
    QTest::newRow("0600, one key") << 0600 << false;
    QTest::newRow("0644, whole file") << 0644 << true;
}

void TestProfileRoutines::existingFileKeepsItsMode() {
    QFETCH(int, mode);
    QFETCH(bool, replaceAll);
    TestFolder folder;
    folder.write("[readone]\r\nREAD2=x\r\n");
    QCOMPARE(chmod(QFile::encodeName(folder.dataFile()).constData(), mode_t(mode)), 0);
    const QList<ProfileWrite> writes{{"readone", "read2", "y"}};
    QVERIFY(replaceAll ? ReplaceProfileFile(writes, folder.dataFile())
                       : WriteProfileValues(writes, folder.dataFile()));
    QCOMPARE(ReadProfileValue("readone", "read2", folder.dataFile()), QStringLiteral("y"));
    QCOMPARE(modeOf(folder.dataFile()), mode);
}

void TestProfileRoutines::replaceFileKeepsOnlyTheGivenKeys() {
    TestFolder folder;
    const QString file = folder.dataFile();
    QVERIFY(ReplaceProfileFile({{"readone", "read2", "pw"}}, file));
    QCOMPARE(folder.bytes(), QByteArray("[readone]\r\nREAD2=pw\r\n"));
    QCOMPARE(modeOf(file), 0600);

    folder.write("[readone]\nREAD2=old\nREAD3=clue\nREAD1=1\n[Games]\nNAME1=x\n");
    QVERIFY(ReplaceProfileFile({{"readone", "read2", " pw "}, {"readone", "read2", "pw2"}}, file));
    QCOMPARE(folder.bytes(), QByteArray("[readone]\r\nREAD2=pw2\r\n"));
    QCOMPARE(ReadProfileValue("games", "name1", file), QString());
}

void TestProfileRoutines::failedWriteChangesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reasonStart");
    QTest::newRow("folder is a file") << "file as folder"
                                      << "the folder ";
    QTest::newRow("folder missing") << "missing folder"
                                    << "the folder ";
    QTest::newRow("data file is a pipe") << "pipe as file"
                                         << "the file ";
    QTest::newRow("data file is a folder") << "folder as file"
                                           << "the file ";
}

void TestProfileRoutines::failedWriteChangesNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, reasonStart);
    TestFolder folder;
    QString file;
    QString blocker;
    if (kind == QLatin1String("file as folder")) {
        // Unlike permission bits, this stops root as well.
        blocker = folder.dir.filePath(QStringLiteral("plain"));
        writeBytes(blocker, "[Set 1]\r\nNAME1=a\r\n");
        file = DataFilePath(blocker);
    } else if (kind == QLatin1String("missing folder")) {
        file = DataFilePath(folder.dir.filePath(QStringLiteral("gone")));
    } else if (kind == QLatin1String("pipe as file")) {
        // Opening a pipe for reading would wait for a writer for good.
        file = folder.dataFile();
        QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("tallivor.tvr")));
        file = folder.dataFile();
    }
    const QStringList before =
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    QString reason;
    QVERIFY(!WriteProfileValues({{"Set 1", "name1", "b"}}, file, &reason));
    QVERIFY2(reason.startsWith(reasonStart), qPrintable(reason));
    QVERIFY2(reason.contains(u'(') && reason.endsWith(u')'), qPrintable(reason));
    QVERIFY(!WriteProfileValue("Set 1", "name1", "b", file));
    QVERIFY(!ReplaceProfileFile({{"readone", "read2", "b"}}, file, &reason));
    QCOMPARE(ReadProfileValue("Set 1", "name1", file), QString());

    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             before);
    if (!blocker.isEmpty())
        QCOMPARE(bytesOf(blocker), QByteArray("[Set 1]\r\nNAME1=a\r\n"));
}

void TestProfileRoutines::unusableKeysAreRefused_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "  ";
    QTest::newRow("equals sign") << "a=b";
    QTest::newRow("looks like a section") << "[a]";
    QTest::newRow("looks like a comment") << ";a";
}

void TestProfileRoutines::unusableKeysAreRefused() {
    QFETCH(QString, key);
    TestFolder folder;
    QString reason;
    QVERIFY(!WriteProfileValues({{"s", "good", "1"}, {"s", key, "1"}}, folder.dataFile(), &reason));
    QVERIFY(!reason.isEmpty());
    QVERIFY(!WriteProfileValue("s", key, "1", folder.dataFile()));
    QVERIFY(!folder.exists());
}

void TestProfileRoutines::lockHeldElsewhere() {
    TestFolder folder;
    const QByteArray before("[readone]\r\nREAD2=pw\r\n");
    folder.write(before);
    QLockFile other(folder.dataFile() + QStringLiteral(".lock"));
    QVERIFY(other.tryLock());
    SetLockTimeout(50);

    QString reason;
    QVERIFY(!WriteProfileValues({{"readone", "read2", "new"}}, folder.dataFile(), &reason));
    QVERIFY2(reason.contains(QStringLiteral("in use")), qPrintable(reason));
    QCOMPARE(folder.bytes(), before);
    // A value that is already there needs no write, and so no lock.
    QVERIFY(WriteProfileValue("readone", "read2", "pw", folder.dataFile()));
    QCOMPARE(ReadProfileValue("readone", "read2", folder.dataFile()), QStringLiteral("pw"));

    other.unlock();
    QVERIFY(WriteProfileValue("readone", "read2", "new", folder.dataFile()));
    QCOMPARE(folder.bytes(), QByteArray("[readone]\r\nREAD2=new\r\n"));
}

void TestProfileRoutines::missingOrUnreadableFileReadsEmpty() {
    TestFolder folder;
    QCOMPARE(ReadProfileValue("readone", "read1", folder.dataFile()), QString());
    QCOMPARE(ReadProfileValues({{"readone", "read1"}, {"a", "b"}}, folder.dataFile()),
             QStringList({"", ""}));
    QVERIFY(!folder.exists());
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("tallivor.tvr")));
    QCOMPARE(ReadProfileValues({{"readone", "read1"}}, folder.dataFile()), QStringList({""}));
}

void TestProfileRoutines::dataFilePath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("root folder") << "/"
                                 << "/tallivor.tvr";
    QTest::newRow("plain folder") << "/opt/tallivor"
                                  << "/opt/tallivor/tallivor.tvr";
    QTest::newRow("trailing separator") << "/opt/tallivor/"
                                        << "/opt/tallivor/tallivor.tvr";
}

void TestProfileRoutines::dataFilePath() {
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(DataFilePath(folder), QDir::toNativeSeparators(path));
}

QTEST_GUILESS_MAIN(TestProfileRoutines)
#include "tst_profileroutines.moc"
