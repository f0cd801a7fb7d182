// The main window's sets: first load, choosing a set, saving and renaming, refused names and a
// save that can't be written, checked in the controls and in the data file's bytes.
#include "form1driver.h"

#include "storage/profileroutines.h"

using namespace form1test;

class TestForm1Sets : public QObject {
    Q_OBJECT
  private slots:
    void cleanup();

    void firstLoadCreatesDefaultNames();
    void loadKeepsOrResetsNames_data();
    void loadKeepsOrResetsNames();
    void choosingASetFillsTheWindow_data();
    void choosingASetFillsTheWindow();
    void saveAndRename_data();
    void saveAndRename();
    void refusedNamesWriteNothing_data();
    void refusedNamesWriteNothing();
    void namesThatOnlyLookTakenAreSaved_data();
    void namesThatOnlyLookTakenAreSaved();
    void failedSaveReportsOnceAndKeepsTheBoxes_data();
    void failedSaveReportsOnceAndKeepsTheBoxes();
    void longestValueSurvivesASave();
};

void TestForm1Sets::cleanup() {
    Windows::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestForm1Sets::firstLoadCreatesDefaultNames() {
    TestFolder folder;
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);

    QCOMPARE(Ini(folder.bytes()).lines,
             QStringList({"[Ruduze Vad Ovo]", "NAME1=Set 1", "NAME2=Set 2", "NAME3=Set 3",
                          "NAME4=Set 4", "NAME5=Set 5", "[readone]", "READ1=1"}));
    QCOMPARE(captions(w), QStringList({"Set 1", "Set 2", "Set 3", "Set 4", "Set 5"}));
    QCOMPARE(w->Text(31)->text(), NoSet);
    QVERIFY(!w->Text(31)->isEnabled());
    QVERIFY(!w->asset1->isEnabled());
    QCOMPARE(w->Label1->text(), QStringLiteral("Label1"));
    QCOMPARE(w->Label2->text(), QStringLiteral("You are working in: "));
    QStringList laidOut(30);
    laidOut[0] = QStringLiteral("Product Name");
    laidOut[1] = QStringLiteral("Serial Number or Password");
    laidOut[2] = laidOut[4] = QStringLiteral(" ");
    QCOMPARE(entries(w), laidOut);
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QVERIFY(!toolkit.ended);
}

void TestForm1Sets::loadKeepsOrResetsNames_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("shown");

    const QByteArray bank = section("Bank", {{"NAME1", "kept"}});
    const QStringList defaults{"Set 1", "Set 2", "Set 3", "Set 4", "Set 5"};
    QTest::newRow("read1 is 1: names kept")
        << "[readone]\nREAD2=pw\nREAD1=1\n" + names({"Bank", "Set 2", "x", "Set 4", "y"}) + bank
        << QStringList{"Bank", "Set 2", "x", "Set 4", "y"};
    QTest::newRow("read1 is 1, Name3 missing: empty caption")
        << "[readone]\nREAD1=1\n[Ruduze Vad Ovo]\nNAME1=a\nNAME2=b\nNAME4=d\nNAME5=e\n" + bank
        << QStringList{"a", "b", "", "d", "e"};
    QTest::newRow("read1 is 2: defaults again")
        << "[readone]\nREAD2=pw\nREAD1=2\n" + names({"Bank", "b", "c", "d", "e"}) + bank
        << defaults;
    QTest::newRow("read1 is 11: defaults again")
        << "[readone]\nREAD1=11\n" + names({"Bank", "b", "c", "d", "e"}) + bank << defaults;
    QTest::newRow("read1 missing, password kept")
        << "[readone]\nREAD2=pw\nREAD3=clue\n" + bank << defaults;
}

void TestForm1Sets::loadKeepsOrResetsNames() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, shown);
    TestFolder folder;
    folder.write(file);
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);

    QCOMPARE(captions(w), shown);
    const Ini after(folder.bytes());
    QCOMPARE(after.value("readone", "read1"), QStringLiteral("1"));
    for (int slot = 1; slot <= 5; ++slot) {
        if (!shown[slot - 1].isEmpty())
            QCOMPARE(after.value("Ruduze Vad Ovo", QStringLiteral("name%1").arg(slot)),
                     shown[slot - 1]);
    }
    // A missing name is shown as it is and not repaired.
    QCOMPARE(after.hasKey("Ruduze Vad Ovo", "name3"), !shown[2].isEmpty());
    // The sets' own sections and the password are no business of the loading.
    QCOMPARE(after.value("Bank", "name1"), QStringLiteral("kept"));
    QCOMPARE(after.value("readone", "read2"), Ini(file).value("readone", "read2"));
    QCOMPARE(after.value("readone", "read3"), Ini(file).value("readone", "read3"));
    QCOMPARE(w->Text(31)->text(), NoSet);
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
}

namespace {
// A set section whose every value names the set, the key and the entry.
QMap<QString, QString> fullSet(const QString& tag) {
    QMap<QString, QString> keys;
    for (int k = 1; k <= 15; ++k) {
        keys[QStringLiteral("NAME%1").arg(k)] = QStringLiteral("%1 name %2").arg(tag).arg(k);
        keys[QStringLiteral("NUM%1").arg(k)] = QStringLiteral("%1 num %2").arg(tag).arg(k);
    }
    return keys;
}

// The thirty boxes that a set section fills, Text1 first.
QStringList boxesFrom(const QMap<QString, QString>& keys) {
    QStringList out;
    for (int k = 1; k <= 15; ++k) {
        out << keys.value(QStringLiteral("NAME%1").arg(k));
        out << keys.value(QStringLiteral("NUM%1").arg(k));
    }
    return out;
}

QMap<QString, QString> lowerKeys(const QMap<QString, QString>& keys) {
    QMap<QString, QString> out;
    for (auto it = keys.begin(); it != keys.end(); ++it)
        out[it.key().toLower()] = it.value();
    return out;
}
} // namespace

void TestForm1Sets::choosingASetFillsTheWindow_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("boxes");

    QMap<QString, QString> bank = fullSet("bank");
    bank.remove("NUM7"); // a missing key empties its box
    bank["NAME9"] = QString();
    const QMap<QString, QString> games = fullSet("games");
    const QMap<QString, QString> shared = fullSet("shared");

    QTest::newRow("slot 1, named Bank") << 1 << "Bank" << boxesFrom(bank);
    QTest::newRow("slot 2, default name, never saved") << 2 << "Set 2" << QStringList(30);
    QTest::newRow("slot 3, name differs in case from its section")
        << 3 << "games" << boxesFrom(games);
    QTest::newRow("slot 4, same name as slot 5") << 4 << "Shared" << boxesFrom(shared);
    QTest::newRow("slot 5, same name as slot 4") << 5 << "Shared" << boxesFrom(shared);
}

void TestForm1Sets::choosingASetFillsTheWindow() {
    QFETCH(int, slot);
    QFETCH(QString, name);
    QFETCH(QStringList, boxes);

    QMap<QString, QString> bank = fullSet("bank");
    bank.remove("NUM7");
    bank["NAME9"] = QString();
    TestFolder folder;
    // Sections named after the slots are decoys: a set lives in the section of its name.
    folder.write("[readone]\nREAD1=1\n" + names({"Bank", "Set 2", "games", "Shared", "Shared"}) +
                 section("Set 1", fullSet("decoy 1")) + section("Bank", bank) +
                 section("GAMES", lowerKeys(fullSet("games"))) +
                 section("Set 3", fullSet("decoy 3")) + section("Shared", fullSet("shared")));
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);

    // Unsaved typing in another set, its name included, is dropped without a question.
    Form1* const same = w;
    const int other = slot % 5 + 1;
    w->SetEntry(other)->trigger();
    QTest::keyClicks(w->Text(7), "typed");
    QTest::keyClicks(w->Text(30), "typed");
    retype(w->Text(31), "typed name");
    const QByteArray before = folder.bytes();

    w->SetEntry(slot)->trigger();

    QCOMPARE(Windows::find<Form1>(), same);
    QCOMPARE(w->Label2->text(), QStringLiteral("You are working in: Set %1").arg(slot));
    QCOMPARE(w->Label1->text(), QStringLiteral("set %1").arg(slot));
    QCOMPARE(w->Text(31)->text(), name);
    QVERIFY(w->Text(31)->isEnabled());
    QVERIFY(w->asset1->isEnabled());
    QCOMPARE(entries(w), boxes);
    QCOMPARE(folder.bytes(), before);
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
}

void TestForm1Sets::saveAndRename_data() {
    QTest::addColumn<int>("slot");
    for (int slot = 1; slot <= 5; ++slot)
        QTest::addRow("slot %d", slot) << slot;
}

void TestForm1Sets::saveAndRename() {
    QFETCH(int, slot);
    TestFolder folder;
    QStringList typed(30);
    {
        FakeToolkit toolkit(folder.path());
        Form1* w = Windows::show<Form1>();
        QVERIFY(w);
        w->SetEntry(slot)->trigger();
        QCOMPARE(entries(w), QStringList(30));
        // Entry 15 stays empty: empty boxes are stored as empty values.
        for (int k = 1; k <= 14; ++k) {
            typed[2 * k - 2] = QStringLiteral("Program %1").arg(k);
            typed[2 * k - 1] = QStringLiteral("KEY-%1-%2").arg(slot).arg(k);
            QTest::keyClicks(w->Text(2 * k - 1), typed[2 * k - 2]);
            QTest::keyClicks(w->Text(2 * k), typed[2 * k - 1]);
        }
        retype(w->Text(31), "Bank");
        w->asset1->trigger();

        QStringList menu{"Set 1", "Set 2", "Set 3", "Set 4", "Set 5"};
        menu[slot - 1] = QStringLiteral("Bank");
        QCOMPARE(captions(w), menu);
        // The save changes nothing else in the window.
        QCOMPARE(entries(w), typed);
        QCOMPARE(w->Text(31)->text(), QStringLiteral("Bank"));
        QCOMPARE(w->Label1->text(), QStringLiteral("set %1").arg(slot));

        const Ini file(folder.bytes());
        for (int s = 1; s <= 5; ++s)
            QCOMPARE(file.value("Ruduze Vad Ovo", QStringLiteral("name%1").arg(s)), menu[s - 1]);
        for (int k = 1; k <= 15; ++k) {
            QVERIFY(file.hasKey("Bank", QStringLiteral("name%1").arg(k)));
            QVERIFY(file.hasKey("Bank", QStringLiteral("num%1").arg(k)));
            QCOMPARE(file.value("Bank", QStringLiteral("name%1").arg(k)), typed[2 * k - 2]);
            QCOMPARE(file.value("Bank", QStringLiteral("num%1").arg(k)), typed[2 * k - 1]);
        }
        QCOMPARE(file.value("Bank", "name"), QStringLiteral("Bank"));
        QVERIFY(!file.hasSection(QStringLiteral("Set %1").arg(slot)));
        QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
        Windows::unloadAll();
    }

    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    QCOMPARE(w->SetEntry(slot)->text(), QStringLiteral("Bank"));
    w->SetEntry(slot)->trigger();
    QCOMPARE(w->Text(31)->text(), QStringLiteral("Bank"));
    QCOMPARE(w->Label2->text(), QStringLiteral("You are working in: Set %1").arg(slot));
    QCOMPARE(entries(w), typed);

    // Renamed: the entries go to the new section, the old one stays as it was.
    retype(w->Text(1), "changed");
    retype(w->Text(31), "Vault");
    w->asset1->trigger();
    QCOMPARE(w->SetEntry(slot)->text(), QStringLiteral("Vault"));
    const Ini file(folder.bytes());
    QCOMPARE(file.value("Vault", "name1"), QStringLiteral("changed"));
    QCOMPARE(file.value("Vault", "num1"), typed[1]);
    QCOMPARE(file.value("Vault", "name"), QStringLiteral("Vault"));
    QCOMPARE(file.value("Bank", "name1"), typed[0]);
    QCOMPARE(file.value("Bank", "name"), QStringLiteral("Bank"));
    QCOMPARE(file.value("Ruduze Vad Ovo", QStringLiteral("name%1").arg(slot)),
             QStringLiteral("Vault"));
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
}

void TestForm1Sets::refusedNamesWriteNothing_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");

    const QString typeName = QStringLiteral("Type a name for the set in the top box!");
    const QString reserved =
        QStringLiteral("That name is reserved. Type another name for the set in the top box!");
    const QString taken = QStringLiteral(
        "Another set already has that name. Type another name for the set in the top box!");
    QTest::newRow("its own default name") << 2 << "Set 2" << typeName;
    QTest::newRow("another slot's default name") << 2 << "Set 5" << typeName;
    QTest::newRow("default name of a renamed slot") << 1 << "Set 3" << typeName;
    QTest::newRow("empty") << 1 << "" << typeName;
    QTest::newRow("blanks only") << 4 << "   " << typeName;
    QTest::newRow("readone") << 1 << "readone" << reserved;
    QTest::newRow("READONE") << 2 << "READONE" << reserved;
    QTest::newRow("Ruduze Vad Ovo") << 1 << "Ruduze Vad Ovo" << reserved;
    QTest::newRow("ruduze vad ovo") << 5 << "ruduze vad ovo" << reserved;
    QTest::newRow("another slot's name, other case") << 1 << "games" << taken;
    QTest::newRow("another slot's default name, other case") << 1 << "set 2" << taken;
}

void TestForm1Sets::refusedNamesWriteNothing() {
    QFETCH(int, slot);
    QFETCH(QString, name);
    QFETCH(QString, message);
    TestFolder folder;
    folder.write("[readone]\nREAD1=1\n" + names({"Set 1", "Set 2", "Games", "Set 4", "Set 5"}) +
                 section("Games", fullSet("games")));
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    w->SetEntry(slot)->trigger();
    retype(w->Text(1), "typed");
    retype(w->Text(31), name);
    const QStringList shown = state(w);
    const QByteArray before = folder.bytes();

    toolkit.expectBox("Pick a name", message);
    w->asset1->trigger();

    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QCOMPARE(folder.bytes(), before);
    QCOMPARE(state(w), shown);
}

void TestForm1Sets::namesThatOnlyLookTakenAreSaved_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    QTest::newRow("lower-case default of its own slot") << 1 << "set 1";
    QTest::newRow("default followed by a blank") << 1 << "Set 1 ";
    QTest::newRow("its own name in another case") << 3 << "GAMES";
    QTest::newRow("a name that contains another") << 2 << "Games 2";
    QTest::newRow("a name with an ampersand") << 4 << "Tom & Jerry";
}

void TestForm1Sets::namesThatOnlyLookTakenAreSaved() {
    QFETCH(int, slot);
    QFETCH(QString, name);
    TestFolder folder;
    folder.write("[readone]\nREAD1=1\n" + names({"Set 1", "Set 2", "Games", "Set 4", "Set 5"}) +
                 section("Games", fullSet("games")));
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    w->SetEntry(slot)->trigger();
    retype(w->Text(1), "typed");
    retype(w->Text(31), name);

    w->asset1->trigger();

    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    // Blanks at the ends of a value need not survive the data file.
    QCOMPARE(w->setName(slot).trimmed(), name.trimmed());
    // The menu shows the name as typed, an "&" included.
    QCOMPARE(w->SetEntry(slot)->iconText().trimmed(), name.trimmed());
    const Ini file(folder.bytes());
    QCOMPARE(file.value("Ruduze Vad Ovo", QStringLiteral("name%1").arg(slot)).trimmed(),
             name.trimmed());
    QCOMPARE(ProfileRoutines::ReadProfileValue(name, "name1", folder.dataFile()),
             QStringLiteral("typed"));

    // Chosen again, the set comes back under its name with its entries.
    w->SetEntry(slot % 5 + 1)->trigger();
    w->SetEntry(slot)->trigger();
    QCOMPARE(w->Text(31)->text().trimmed(), name.trimmed());
    QCOMPARE(w->Text(1)->text(), QStringLiteral("typed"));
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
}

namespace {
enum class Unwritable { FolderBecameAFile, DataFileBecameAFolder, FolderUnderProc };
}

void TestForm1Sets::failedSaveReportsOnceAndKeepsTheBoxes_data() {
    QTest::addColumn<Unwritable>("how");
    QTest::newRow("program folder replaced by a file") << Unwritable::FolderBecameAFile;
    QTest::newRow("data file replaced by a folder") << Unwritable::DataFileBecameAFolder;
    QTest::newRow("program folder under /proc") << Unwritable::FolderUnderProc;
}

void TestForm1Sets::failedSaveReportsOnceAndKeepsTheBoxes() {
    QFETCH(Unwritable, how);
    TestFolder folder;
    const QString program = how == Unwritable::FolderUnderProc
                                ? QStringLiteral("/proc")
                                : folder.path() + QStringLiteral("/program");
    QVERIFY(QDir().mkpath(program));
    FakeToolkit toolkit(program);
    // Loading where nothing can be written is not reported.
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    w->SetEntry(1)->trigger();
    QTest::keyClicks(w->Text(1), "Photo Editor");
    QTest::keyClicks(w->Text(2), "AB-12");
    retype(w->Text(31), "Bank");
    const QStringList shown = state(w);

    const QString dataFile = toolkit.dataFile();
    if (how == Unwritable::FolderBecameAFile) {
        QVERIFY(QDir(program).removeRecursively());
        QFile blocker(program);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else if (how == Unwritable::DataFileBecameAFolder) {
        QVERIFY(QFile::remove(dataFile));
        QVERIFY(QDir().mkpath(dataFile));
    }
    QString reason;
    QVERIFY(!ProfileRoutines::WriteProfileValues({{"probe", "probe", "x"}}, dataFile, &reason));
    QVERIFY(!reason.isEmpty());

    toolkit.expectBox("Tallivor II", "The set could not be saved: " + reason);
    w->asset1->trigger();

    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QCOMPARE(state(w), shown);
    QVERIFY(!QFileInfo(dataFile).isFile());
    QVERIFY(!toolkit.ended);
}

void TestForm1Sets::longestValueSurvivesASave() {
    TestFolder folder;
    const QString longest(ProfileRoutines::MaxValueLength, QLatin1Char('x'));
    {
        FakeToolkit toolkit(folder.path());
        Form1* w = Windows::show<Form1>();
        QVERIFY(w);
        w->SetEntry(2)->trigger();
        QTest::keyClicks(w->Text(1), longest + "yyyy");
        QTest::keyClicks(w->Text(30), longest + "y");
        const QString name = QString(ProfileRoutines::MaxValueLength - 1, QLatin1Char('n'));
        retype(w->Text(31), name + "mz");
        // The boxes stop at the longest text that the data file gives back.
        QCOMPARE(w->Text(1)->text(), longest);
        QCOMPARE(w->Text(30)->text(), longest);
        QCOMPARE(w->Text(31)->text(), name + "m");
        w->asset1->trigger();
        QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
        Windows::unloadAll();
    }
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    QCOMPARE(w->setName(2).size(), ProfileRoutines::MaxValueLength);
    w->SetEntry(2)->trigger();
    QCOMPARE(w->Text(1)->text(), longest);
    QCOMPARE(w->Text(30)->text(), longest);
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
}

QTEST_MAIN(TestForm1Sets)
#include "tst_form1sets.moc"
