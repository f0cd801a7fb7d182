#include "storage/setnames.h"

#include "storage/datafile.h"

namespace SetNames {

namespace {
bool same(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}
} // namespace

QString trimmed(const QString& name) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype from = 0, to = name.size();
    while (from < to && blank(name[from]))
        ++from;
    while (to > from && blank(name[to - 1]))
        --to;
    return name.mid(from, to - from);
}

Verdict judge(const QString& name, int slot, const QStringList& stored, Defaults defaults) {
    const QString n = trimmed(name);
    if (n.isEmpty())
        return Verdict::Blank;
    for (int s = 1; s <= DataFile::Slots && defaults == Defaults::Refused; ++s) {
        if (same(n, DataFile::defaultName(s)))
            return Verdict::Default;
    }
    if (same(n, DataFile::StateSection) || same(n, DataFile::NamesSection))
        return Verdict::Reserved;
    for (int s = 1; s <= DataFile::Slots; ++s) {
        if (s != slot && same(n, trimmed(stored.value(s - 1))))
            return Verdict::AnotherSet;
    }
    return Verdict::Ok;
}

} // namespace SetNames
