#include "storage/inifile.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace {

bool isBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

bool isAscii(QStringView s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isAscii(QByteArrayView b) {
    return std::all_of(b.begin(), b.end(), [](char c) { return static_cast<uchar>(c) < 0x80; });
}

// Section names match without their outer spaces and tabs, as in the Windows version's reader.
bool isNameBlank(char16_t c) {
    return c == ' ' || c == '\t';
}

// The text without the blanks, as blank() tells them, at its start and end.
QString withoutOuter(const QString& text, bool (*blank)(char16_t)) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text[from].unicode()))
        ++from;
    while (to > from && blank(text[to - 1].unicode()))
        --to;
    return text.mid(from, to - from);
}

char16_t asciiLower(char16_t c) {
    return (c >= 'A' && c <= 'Z') ? char16_t(c + ('a' - 'A')) : c;
}

QString withoutLineBreaks(QString s) {
    for (QChar& c : s) {
        if (c == u'\r' || c == u'\n')
            c = u' ';
    }
    return s;
}

const QByteArray Bom("\xEF\xBB\xBF");
const QByteArray Utf16LeBom("\xFF\xFE");
const QByteArray Utf16BeBom("\xFE\xFF");

} // namespace

QString IniFile::fromWindows1252(QByteArrayView bytes) {
    // 0x80..0x9F differ from Latin-1; the five unassigned codes map to the C1 controls, as
    // Windows itself converts them.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString s(bytes.size(), Qt::Uninitialized);
    QChar* out = s.data();
    for (char c : bytes) {
        const uchar b = static_cast<uchar>(c);
        *out++ = QChar((b >= 0x80 && b < 0xA0) ? high[b - 0x80] : char16_t(b));
    }
    return s;
}

QString IniFile::storedSection(const QString& section) {
    return withoutLineBreaks(section);
}

QString IniFile::storedKey(const QString& key) {
    return withoutOuter(withoutLineBreaks(key), isBlank);
}

QString IniFile::storedValue(const QString& value) {
    return withoutLineBreaks(value);
}

bool IniFile::isStorableKey(const QString& key) {
    return !key.isEmpty() && !key.contains(u'=') && key[0] != u'[' && key[0] != u';';
}

IniFile::Line IniFile::parseLine(QByteArrayView content) {
    Line line;
    const qsizetype n = content.size();
    qsizetype i = 0;
    while (i < n && isBlank(static_cast<uchar>(content[i])))
        ++i;
    if (i == n || content[i] == ';')
        return line;
    if (content[i] == '[') {
        // The name runs to the last ']', so a name may itself hold ']'.
        const qsizetype close = content.lastIndexOf(']');
        if (close > i) {
            qsizetype from = i + 1;
            qsizetype to = close;
            while (from < to && isNameBlank(uchar(content[from])))
                ++from;
            while (to > from && isNameBlank(uchar(content[to - 1])))
                --to;
            line.kind = Kind::Section;
            line.nameStart = from;
            line.nameLength = to - from;
            return line;
        }
    }
    const qsizetype eq = content.indexOf('=', i);
    if (eq < 0)
        return line;
    qsizetype end = eq;
    while (end > i && isBlank(static_cast<uchar>(content[end - 1])))
        --end;
    line.kind = Kind::Key;
    line.nameStart = i;
    line.nameLength = end - i;
    line.valueStart = eq + 1;
    return line;
}

IniFile::IniFile(const QByteArray& bytes) : m_data(bytes) {
    if (bytes.startsWith(Utf16LeBom) || bytes.startsWith(Utf16BeBom)) {
        const bool le = bytes.startsWith(Utf16LeBom);
        m_utf16 = le ? Utf16::LittleEndian : Utf16::BigEndian;
        // Decoded exactly or not at all: a line that can't be given back byte for byte must
        // not be written over.
        QStringDecoder decode(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                              QStringDecoder::Flag::Stateless |
                                  QStringDecoder::Flag::ConvertInitialBom);
        QStringEncoder encode(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        m_data = encode(decode(QByteArrayView(bytes).sliced(2)));
        if (bytes.size() % 2 != 0 || decode.hasError() || encode.hasError()) {
            m_failure = QStringLiteral("it is not valid UTF-16");
            m_data.clear();
            return;
        }
    } else if (m_data.startsWith(Bom)) {
        m_bom = Bom.size();
    }
    const char* data = m_data.constData();
    const qsizetype size = m_data.size();
    m_lines.reserve(size_t(size / 16 + 8)); // about a line per 20 bytes in a data file
    bool eolKnown = false;
    qsizetype pos = m_bom;
    while (pos < size) {
        const void* found = std::memchr(data + pos, '\n', size_t(size - pos));
        qsizetype end = found ? static_cast<const char*>(found) - data : size;
        const qsizetype next = found ? end + 1 : size;
        quint8 eol = found ? 1 : 0;
        if (end > pos && data[end - 1] == '\r') {
            // The last line may end in a lone CR: still the line's end, not part of its value.
            --end;
            eol = found ? 2 : 3;
        }
        if (found && !eolKnown) {
            m_eol = eol;
            eolKnown = true;
        }
        Line line = parseLine(QByteArrayView(data + pos, end - pos));
        line.start = pos;
        line.length = end - pos;
        line.eol = eol;
        if (line.kind == Kind::Section)
            m_sections.push_back(qsizetype(m_lines.size()));
        m_lines.push_back(line);
        pos = next;
    }
}

QByteArrayView IniFile::content(const Line& line) const {
    if (line.own >= 0)
        return QByteArrayView(m_texts[size_t(line.own)]);
    return QByteArrayView(m_data.constData() + line.start, line.length);
}

bool IniFile::isUtf8(const Line& line) const {
    if (line.utf8 < 0)
        line.utf8 = content(line).isValidUtf8() ? 1 : 0;
    return line.utf8 == 1;
}

bool IniFile::nameMatches(const Line& line, const QString& name, bool nameIsAscii) const {
    const QByteArrayView bytes = content(line).sliced(line.nameStart, line.nameLength);
    if (nameIsAscii && isAscii(bytes)) {
        // Both ASCII: only A-Z and a-z fold, so a plain comparison gives the same answer.
        if (bytes.size() != name.size())
            return false;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (asciiLower(char16_t(bytes[i])) != asciiLower(name[i].unicode()))
                return false;
        }
        return true;
    }
    const QString decoded = isUtf8(line) ? QString::fromUtf8(bytes) : fromWindows1252(bytes);
    return QString::compare(decoded, name, Qt::CaseInsensitive) == 0;
}

// Whether the section at this place in m_sections has the name, given without outer blanks.
bool IniFile::isSection(qsizetype section, const QString& name, bool nameIsAscii) const {
    return nameMatches(m_lines[size_t(m_sections[size_t(section)])], name, nameIsAscii);
}

// The section's place in m_sections, or -1. Sections are only ever added at the end, so the
// first match for a name stays the first match.
qsizetype IniFile::findSection(const QString& name) const {
    const auto known = m_found.constFind(name);
    if (known != m_found.cend())
        return *known;
    const QString trimmed = withoutOuter(name, isNameBlank);
    const bool ascii = isAscii(trimmed);
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
        if (isSection(i, trimmed, ascii)) {
            m_found.insert(name, i);
            return i;
        }
    }
    return -1;
}

// The line after the section's last line.
qsizetype IniFile::sectionEnd(qsizetype section) const {
    return size_t(section + 1) < m_sections.size() ? m_sections[size_t(section + 1)]
                                                   : qsizetype(m_lines.size());
}

qsizetype IniFile::findKey(qsizetype section, const QString& key) const {
    const bool ascii = isAscii(key);
    const qsizetype end = sectionEnd(section);
    for (qsizetype i = m_sections[size_t(section)] + 1; i < end; ++i) {
        const Line& line = m_lines[size_t(i)];
        if (line.kind == Kind::Key && nameMatches(line, key, ascii))
            return i;
    }
    return -1;
}

QString IniFile::valueOf(const Line& line, qsizetype maxLength) const {
    QByteArrayView bytes = content(line).sliced(line.valueStart);
    QString value;
    if (isUtf8(line)) {
        // A UTF-16 unit takes at most three bytes, so this many bytes hold the wanted start
        // whole; a long line is not decoded beyond it.
        if (maxLength >= 0 && bytes.size() > maxLength * 3 + 4)
            bytes = bytes.first(maxLength * 3 + 4);
        value = QString::fromUtf8(bytes);
    } else {
        if (maxLength >= 0 && bytes.size() > maxLength)
            bytes = bytes.first(maxLength);
        value = fromWindows1252(bytes);
    }
    if (maxLength >= 0 && value.size() > maxLength) {
        value.truncate(maxLength);
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key,
                                      qsizetype maxLength) const {
    const qsizetype found = findSection(storedSection(section));
    if (found < 0)
        return std::nullopt;
    const qsizetype at = findKey(found, storedKey(key));
    if (at < 0)
        return std::nullopt;
    return valueOf(m_lines[size_t(at)], maxLength);
}

QStringList IniFile::keysWithValues(const QString& section) const {
    QStringList keys;
    const QString name = storedSection(section);
    const qsizetype first = findSection(name);
    const QString trimmed = withoutOuter(name, isNameBlank);
    const bool ascii = isAscii(trimmed);
    for (qsizetype s = first; s >= 0 && s < qsizetype(m_sections.size()); ++s) {
        if (s != first && !isSection(s, trimmed, ascii))
            continue;
        const qsizetype end = sectionEnd(s);
        for (qsizetype i = m_sections[size_t(s)] + 1; i < end; ++i) {
            const Line& line = m_lines[size_t(i)];
            if (line.kind == Kind::Key && line.valueStart < content(line).size()) {
                const QByteArrayView key = content(line).sliced(line.nameStart, line.nameLength);
                keys.append(isUtf8(line) ? QString::fromUtf8(key) : fromWindows1252(key));
            }
        }
    }
    return keys;
}

IniFile::Line IniFile::newLine(const QByteArray& text) {
    Line line = parseLine(text);
    line.own = qint32(m_texts.size());
    m_texts.push_back(text);
    line.length = text.size();
    line.eol = m_eol;
    line.utf8 = 1;
    return line;
}

void IniFile::insertLine(qsizetype at, Line line) {
    if (at > 0 && (m_lines[size_t(at - 1)].eol == 0 || m_lines[size_t(at - 1)].eol == 3))
        m_lines[size_t(at - 1)].eol = m_eol; // the last line gets a whole line end
    m_lines.insert(m_lines.begin() + at, line);
    for (qsizetype& header : m_sections) {
        if (header >= at)
            ++header;
    }
}

// Puts the key line's text in place of the line, unless the line holds the value already.
bool IniFile::rewrite(qsizetype at, const QByteArray& text, const QString& value) {
    Line& line = m_lines[size_t(at)];
    const QByteArray utf8 = text.sliced(text.indexOf('=') + 1);
    const bool same =
        isUtf8(line) ? content(line).sliced(line.valueStart) == utf8 : valueOf(line, -1) == value;
    if (same)
        return false;
    const quint8 eol = line.eol;
    line = newLine(text);
    line.eol = eol;
    return true;
}

bool IniFile::setValue(const QString& section, const QString& key, const QString& value,
                       bool everywhere) {
    const QString name = storedSection(section);
    const QString k = storedKey(key);
    const QString v = storedValue(value);
    if (!isStorableKey(k))
        return false;
    // Upper-cased, unless that would no longer match the key ("ß" becomes "SS").
    QString upper = k.toUpper();
    if (QString::compare(upper, k, Qt::CaseInsensitive) != 0)
        upper = k;
    const QByteArray text = upper.toUtf8() + '=' + v.toUtf8();

    const qsizetype found = findSection(name);
    if (found < 0) {
        const qsizetype end = qsizetype(m_lines.size());
        insertLine(end, newLine('[' + name.toUtf8() + ']'));
        m_sections.push_back(end);
        insertLine(end + 1, newLine(text));
        return true;
    }
    bool changed = true;
    if (const qsizetype at = findKey(found, k); at >= 0) {
        changed = rewrite(at, text, v);
    } else {
        // A new key goes after the section's last non-blank line, before any blank lines that
        // separate it from the next section.
        const qsizetype header = m_sections[size_t(found)];
        qsizetype last = header;
        for (qsizetype i = sectionEnd(found) - 1; i > header; --i) {
            const QByteArrayView c = content(m_lines[size_t(i)]);
            if (!std::all_of(c.begin(), c.end(), [](char ch) { return isBlank(uchar(ch)); })) {
                last = i;
                break;
            }
        }
        insertLine(last + 1, newLine(text));
    }
    if (!everywhere)
        return changed;
    const QString trimmed = withoutOuter(name, isNameBlank);
    const bool sectionAscii = isAscii(trimmed);
    const bool keyAscii = isAscii(k);
    for (qsizetype s = found; s < qsizetype(m_sections.size()); ++s) {
        if (s != found && !isSection(s, trimmed, sectionAscii))
            continue;
        for (qsizetype i = m_sections[size_t(s)] + 1; i < sectionEnd(s); ++i) {
            const Line& line = m_lines[size_t(i)];
            if (line.kind == Kind::Key && nameMatches(line, k, keyAscii))
                changed = rewrite(i, text, v) || changed;
        }
    }
    return changed;
}

IniFile IniFile::emptyLike() const {
    IniFile empty;
    empty.m_utf16 = m_utf16;
    return empty;
}

QByteArray IniFile::toBytes() const {
    static const char* const endings[] = {"", "\n", "\r\n", "\r"};
    qsizetype size = m_bom;
    for (const Line& line : m_lines)
        size += line.length + (line.eol == 3 ? 1 : line.eol);
    QByteArray out(size, Qt::Uninitialized);
    char* p = out.data();
    std::memcpy(p, m_data.constData(), size_t(m_bom));
    p += m_bom;
    for (const Line& line : m_lines) {
        const QByteArrayView c = content(line);
        if (!c.isEmpty())
            std::memcpy(p, c.data(), size_t(c.size()));
        p += c.size();
        const size_t eol = std::strlen(endings[line.eol]);
        std::memcpy(p, endings[line.eol], eol);
        p += eol;
    }
    if (m_utf16 == Utf16::No)
        return out;
    const bool le = m_utf16 == Utf16::LittleEndian;
    QStringEncoder encode(le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                          QStringEncoder::Flag::Stateless);
    return (le ? Utf16LeBom : Utf16BeBom) + QByteArray(encode(QString::fromUtf8(out)));
}
