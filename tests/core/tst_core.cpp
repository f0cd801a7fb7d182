// The rules of the data, each run on a data file and judged by what it says and the file's bytes
// afterwards: the start, the password, choosing and saving a set, and both clears.
#include "core/clears.h"
#include "core/password.h"
#include "core/sets.h"
#include "core/start.h"
#include "storage/profileroutines.h"
#include "support/testfolder.h"

#include <QtTest>

#include <functional>

namespace {
QString said(const Core::Notice& n) {
    return n.isNull() ? QString() : n.title + '|' + n.text;
}
QString yes(bool b) {
    return b ? "yes" : "no";
}
// "PREFIXk=" for k from first to 15.
QStringList empties(const QString& prefix, int first = 1) {
    QStringList out;
    for (int k = first; k <= 15; ++k)
        out << QStringLiteral("%1%2=").arg(prefix).arg(k);
    return out;
}
// The thirty boxes: entry 1's name and number given, the rest empty.
QStringList boxes(const QString& name1 = {}, const QString& num1 = {}) {
    QStringList b{name1, num1};
    while (b.size() < Sets::Boxes)
        b << QString();
    return b;
}
// A used file: the password "Secret" with its clue, the five names, then the sections given.
QByteArray used(const QStringList& names, const QStringList& sections = {}) {
    QStringList lines{"[readone]", "READ2=Secret", "READ3=cat", "READ1=1", "[Ruduze Vad Ovo]"};
    for (int slot = 1; slot <= 5; ++slot)
        lines << QStringLiteral("NAME%1=%2").arg(slot).arg(names.value(slot - 1));
    return ini(lines + sections);
}
const QStringList Defaults{"Set 1", "Set 2", "Set 3", "Set 4", "Set 5"};
const QStringList Work{"[Work]", "NAME1=Photo Editor", "NUM1=PE-1234", "NAME=Work"};
const QStringList Named{"Set 1", "Set 2", "Work", "Set 4", "Music"};
// A saved set's section: entry 1 given, the others empty, its own name last.
QStringList section(const QString& name, const QString& name1, const QString& num1) {
    return QStringList{"[" + name + "]", "NAME1=" + name1} + empties("NAME", 2) +
           QStringList{"NUM1=" + num1} + empties("NUM", 2) + QStringList{"NAME=" + name};
}
const QString Long(800, u'x');
// The same lines as Windows editors save "Unicode" text.
QByteArray utf16(const QByteArray& utf8) {
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder(QString::fromUtf8(utf8));
}

using Act = std::function<QString(const QString& file)>;
struct Rule {
    QByteArray before; // "/": a folder in the data file's place
    Act act;           // what it gives: a notice "title|text" ("%file": the path), values
    QString gives;
    QByteArray after; // null: as before
    Need need = Need::Nothing;
    int fileMode = 0666;
};
} // namespace
Q_DECLARE_METATYPE(Rule)

class TestCore : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm"); // the huge file costs nothing there
    }

    void rules_data() {
        QTest::addColumn<Rule>("r");
        const auto row = [](const char* name, const Rule& r) { QTest::newRow(name) << r; };
        const QString unread = "Tallivor II|The data file could not be read: %file ";
        const QString pick = "Pick a name|",
                      another = " Type another name for the set in the top box!";
        const QByteArray marker = ini({"[readone]", "READ2=2"});
        const auto first = [](const QString& f) {
            Core::Notice n;
            const bool firstStart = Start::firstStart(f, &n);
            return yes(firstStart) + said(n);
        };
        const auto asked = [](const QString& f) {
            Core::Notice n;
            const bool password = Start::passwordAsked(f, &n);
            return yes(password) + said(n);
        };
        const auto record = [](const QString& password, const QString& clue, bool loaded) {
            return [=](const QString& f) {
                const Password::Recorded r = Password::record(f, password, clue, loaded);
                return yes(r.stored) + ' ' + r.clue + said(r.notice);
            };
        };
        const auto check = [](const QString& typed) {
            return [=](const QString& f) {
                Core::Notice n;
                const int checked = int(Password::check(f, typed, &n));
                return QString::number(checked) + said(n);
            };
        };
        const auto load = [](int slot) {
            return [=](const QString& f) {
                const Sets::Loaded l = Sets::load(f, slot);
                return l.name + '|' + l.boxes.mid(0, 2).join('|') + said(l.failed);
            };
        };
        const auto save = [](int slot, const QString& name, const QStringList& b = boxes()) {
            return [=](const QString& f) {
                const Sets::Saved s = Sets::save(f, slot, name, b);
                return yes(s.saved) + ' ' + s.name + said(s.notice);
            };
        };
        const auto clear = [](int slot, std::function<void(const QString&)> meanwhile = {}) {
            return [=](const QString& f) {
                QString out;
                for (Clears::Step step :
                     {Clears::Step::Names, Clears::Step::Numbers, Clears::Step::Name}) {
                    out += said(Clears::clearStep(f, slot, step));
                    if (meanwhile && step == Clears::Step::Names)
                        meanwhile(f);
                }
                return out;
            };
        };
        const QStringList cleared = QStringList{"[Work]", "NAME1=", "NUM1=", "NAME="} +
                                    empties("NAME", 2) + empties("NUM", 2);
        // clang-format off
        // The start: the first-run marker, the window after the splash, the main window's load.
        row("first start, marker", {.act = [=](const QString& f) {
                QString out = first(f);
                out += said(Start::markFirstRun(f));
                return out + asked(f); },
            .gives = "yesyes", .after = marker});
        row("read1 with a blank is no finished start", {.before = ini({"[readone]", "READ1=1 "}),
            .act = first, .gives = "yes"});
        // Another copy set a password since the splash read read1.
        row("no marker over a password", {.before = used(Defaults), .act = [](const QString& f) {
                return said(Start::markFirstRun(f)); }});
        row("unreadable at start, and at the marker", {.before = "/", .act = [](const QString& f) {
                return said(Start::checkReadable(f)) + said(Start::markFirstRun(f)); },
            .gives = (unread + "(it is a folder)").repeated(2)});
        row("unreadable read1", {.before = "/", .act = first, .gives = "no" + unread + "(it is a folder)"});
        row("no password", {.before = ini({"[readone]", "READ2=", "READ1=1"}), .act = asked, .gives = "no"});
        // Far larger than 5,000 sets: no data file, and nothing is written over it.
        row("a huge file", {.before = QByteArray(68'000'000, ';'), .act = [](const QString& f) {
                return said(Start::checkReadable(f)) + said(Start::markFirstRun(f)); },
            .gives = (unread + "(it is 68 MB, too large to be a data file)").repeated(2)});
        row("first load: defaults and read1", {.before = marker, .act = [](const QString& f) {
                return said(Start::mainWindowLoaded(f)); },
            .after = ini({"[readone]", "READ2=2", "READ1=1", "[Ruduze Vad Ovo]", "NAME1=Set 1",
                          "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"})});
        row("later load: names kept", {.before = used(Named), .act = [](const QString& f) {
                return said(Start::mainWindowLoaded(f)); }});
        row("load with no room for the names", {.before = ini({"[readone]", "READ2=2", "READ3=" + QString(950, u'c')}),
            .act = [](const QString& f) {
                const Conditions room(1000);
                return said(Start::mainWindowLoaded(f)); },
            .gives = "Tallivor II|The data file could not be written: the file %file couldn't be "
                     "saved (File too large)", .need = Need::FileSizeLimit});
        // The password: recorded with its clue, checked without regard to case.
        row("password and clue", {.before = marker, .act = record(" pA s ", " c ", false),
            .gives = "yes  c ", .after = ini({"[readone]", "READ2= pA s ", "READ3= c "})});
        row("no password", {.before = marker, .act = record("", "c", false),
            .gives = "yes No Password", .after = ini({"[readone]", "READ2=", "READ3=No Password"})});
        row("clue prompt left", {.before = marker, .act = record("pw", Password::CluePrompt, false),
            .gives = "no " + Password::CluePrompt + "Reminder|" + Password::CluePrompt});
        row("changed: read1 too", {.act = record("pw", "c", true), .gives = "yes c",
            .after = ini({"[readone]", "READ2=pw", "READ3=c", "READ1=1"})});
        const QString c990(990, u'c');
        row("no room for the clue", {.before = marker, .act = [=](const QString& f) {
                const Conditions room(1000);
                return record("pw", c990, false)(f); },
            .gives = "no " + c990 + "Tallivor II|The password could not be "
                     "stored: the file %file couldn't be saved (File too large)",
            .need = Need::FileSizeLimit});
        row("password, other case", {.before = used(Defaults), .act = check("sECRET"), .gives = "0"});
        row("wrong password", {.before = used(Defaults), .act = check("Secret "), .gives = "1"});
        row("password unreadable", {.before = used(Defaults), .act = check(""),
            .gives = "2" + unread + "(Permission denied)", .need = Need::Modes, .fileMode = 0});
        row("clue", {.before = used(Defaults), .act = [](const QString& f) {
                return said(Password::clue(f)); },
            .gives = "Clue|The clue you left for yourself was: cat"});
        // Choosing a set: the section its stored name names, without outer blanks.
        row("set 3", {.before = used(Named, Work), .act = load(3), .gives = "Work|Photo Editor|PE-1234"});
        row("a name stored with blanks", {.before = QByteArray(used(Named, Work)).replace("NAME3=", "NAME3 = "),
            .act = load(3), .gives = " Work|Photo Editor|PE-1234"});
        row("a long value, shown cut", {.before = used(Named, {"[Work]", "NUM1=" + Long}),
            .act = load(3), .gives = "Work||" + Long.left(749)});
        row("choosing, unreadable", {.before = "/", .act = load(1), .gives = "|" + unread + "(it is a folder)"});
        row("the menu's captions", {.before = used({"A & B", "", " x"}), .act = [](const QString& f) {
                return Sets::names(f).names.join('|') + ' ' + Sets::caption("A & B") + ' ' + Sets::statusLine(4); },
            .gives = "A & B|| x|| A && B You are working in: Set 4"});
        // Saving: the names refused, each with its reason, on the names stored at the moment.
        row("refused: blank", {.before = used(Named), .act = save(1, " \t"),
            .gives = "no " + pick + "Type a name for the set in the top box!"});
        row("refused: a default", {.before = used(Named), .act = save(1, " set 2"),
            .gives = "no set 2" + pick + "Type a name for the set in the top box!"});
        row("refused: the program's own", {.before = used(Named), .act = save(1, "READONE"),
            .gives = "no READONE" + pick + "That name is reserved." + another});
        row("refused: another set's", {.before = QByteArray(used(Named)).replace("Music", " Music "), .act = save(1, "music"),
            .gives = "no music" + pick + "Another set already has that name." + another});
        // Trimmed; a default name inside a longer one is no default.
        row("saved, trimmed", {.before = used(Defaults), .act = save(2, " Set 2 & Café\t", boxes("Ω", "1")),
            .gives = "yes Set 2 & Café", .after = used({"Set 1", "Set 2 & Café", "Set 3", "Set 4", "Set 5"},
                                                        section("Set 2 & Café", "Ω", "1"))});
        row("saving, read-only", {.before = used(Defaults), .act = save(2, "Bank"),
            .gives = "no BankTallivor II|The set could not be saved: the file %file is read-only",
            .fileMode = 0444});
        // A name stored with blanks saves into its own section, not over it.
        row("saved into a name stored with blanks", {.before = QByteArray(used(Named, Work)).replace("NAME3=", "NAME3=\t"),
            .act = save(3, "Work", boxes("Photo Editor", "PE-9")), .gives = "yes Work",
            .after = used(Named, QStringList{"[Work]", "NAME1=Photo Editor", "NUM1=PE-9", "NAME=Work"} +
                                 empties("NAME", 2) + empties("NUM", 2))});
        // The earlier version's longer values stay whole where their box was left as shown, also
        // under a new name; a changed box is stored as it is.
        row("long values kept", {.before = used(Named, {"[Work]", "NAME1=" + Long, "NUM1=" + Long}),
            .act = save(3, "Bank", boxes(Long.left(749), Long.left(748))), .gives = "yes Bank",
            .after = used({"Set 1", "Set 2", "Bank", "Set 4", "Music"}, QStringList{"[Work]", "NAME1=" + Long, "NUM1=" + Long} +
                          section("Bank", Long, Long.left(748)))});
        // A file saved as UTF-16 is read, and stays UTF-16.
        row("UTF-16", {.before = utf16(used(Named, Work)), .act = [=](const QString& f) {
                QString out = asked(f) + load(3)(f);
                return out + save(3, "Wörk", boxes("Ω", "1"))(f); },
            .gives = "yesWork|Photo Editor|PE-1234yes Wörk",
            .after = utf16(used({"Set 1", "Set 2", "Wörk", "Set 4", "Music"}, Work + section("Wörk", "Ω", "1")))});
        // Clear Current Set: every copy of the set's section and keys, wherever it is.
        row("cleared", {.before = used(Named, Work), .act = clear(3), .after = used(Defaults.mid(0, 3) + Named.mid(3), cleared)});
        row("cleared, the name stored with blanks", {.before = QByteArray(used(Named, Work)).replace("NAME3=", "NAME3 = "),
            .act = clear(3), .after = used(Defaults.mid(0, 3) + Named.mid(3), cleared)});
        row("cleared, a section and a key twice",
            {.before = used(Named, Work + QStringList{"NUM1=again", "[Set 9]", "NAME1=x", "[ WORK ]", "NUM2=more"}),
             .act = clear(3), .after = used(Defaults.mid(0, 3) + Named.mid(3),
                 QStringList{"[Work]", "NAME1=", "NUM1=", "NAME=", "NUM1="} + empties("NAME", 2) +
                 empties("NUM", 2) + QStringList{"[Set 9]", "NAME1=x", "[ WORK ]", "NUM2="})});
        row("clearing, the names section's name", {.before = QByteArray(used(Named)).replace("NAME3=Work", "NAME3=Ruduze Vad Ovo"),
            .act = clear(3), .gives = QString("Tallivor II|The set could not be cleared: the set's "
                                              "name, \"Ruduze Vad Ovo\", is the name of the program's own data").repeated(3)});
        row("clearing, another set's name", {.before = used({"Set 1", "Set 2", "music", "Set 4", "Music"}),
            .act = clear(3), .gives = QString("Tallivor II|The set could not be cleared: the set's "
                                              "name, \"music\", belongs to another set").repeated(3)});
        row("saved again while cleared", {.before = used(Named, Work), .act = clear(3, [](const QString& f) {
                ProfileRoutines::WriteProfileValue("Work", "name2", "new", f); }),
            .gives = "Tallivor II|The set could not be cleared: it was saved again during the clear, and keeps its name",
            .after = used(Named, QStringList{"[Work]", "NAME1=", "NUM1=", "NAME=", "NAME2=new"} +
                                 empties("NAME", 3) + empties("NUM", 2))});
        // Clear All keeps the whole password, and nothing else.
        row("all", {.before = QByteArray(used(Named, Work)).replace("Secret", Long.toUtf8()),
            .act = [](const QString& f) { return said(Clears::clearAll(f)); },
            .after = ini(QStringList{"[readone]", "READ2=" + Long, "READ1=1", "[Ruduze Vad Ovo]"} +
                         QStringList{"NAME1=Set 1", "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"})});
        row("all, in use", {.before = used(Named), .act = [](const QString& f) {
                QLockFile other(f + ".lock");
                const Conditions quick(0, false, 1);
                const bool locked = other.tryLock(0);
                return yes(locked) + said(Clears::clearAll(f)); },
            .gives = "yesTallivor II|Nothing was deleted: the data file %file is in use by another program"});
        // clang-format on
    }
    void rules() {
        QFETCH(Rule, r);
        if (const char* why = lacking(r.need))
            QSKIP(why);
        TestFolder folder;
        const QString file = folder.dataFile();
        r.before == "/" ? void(QDir().mkdir(file)) : folder.write(r.before);
        setMode(file, r.fileMode);
        setMode(folder.path(), 0777); // the rules run as nobody, so that modes count for root too
        QString gives;
        {
            const Conditions nobody(0, true);
            gives = r.act(file);
        }
        QCOMPARE(gives, QString(r.gives).replace("%file", QDir::toNativeSeparators(file)));
        setMode(file, 0600);
        QCOMPARE(folder.bytes(),
                 r.after.isNull() ? QByteArray(r.before).replace("/", "") : r.after);
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
