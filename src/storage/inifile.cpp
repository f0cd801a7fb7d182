#include "storage/inifile.h"

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

QString IniFile::decodeLine(QByteArrayView line) {
    return line.isValidUtf8() ? QString::fromUtf8(line) : fromWindows1252(line);
}

QString IniFile::storedSection(const QString& section) {
    return withoutLineBreaks(section);
}

QString IniFile::storedKey(const QString& key) {
    const QString k = withoutLineBreaks(key);
    qsizetype from = 0;
    qsizetype to = k.size();
    while (from < to && isBlank(k[from].unicode()))
        ++from;
    while (to > from && isBlank(k[to - 1].unicode()))
        --to;
    return k.mid(from, to - from);
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
            line.kind = Kind::Section;
            line.nameStart = i + 1;
            line.nameLength = close - i - 1;
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
    if (m_data.startsWith(Bom))
        m_bom = Bom.size();
    const char* data = m_data.constData();
    const qsizetype size = m_data.size();
    m_allUtf8 = QByteArrayView(data + m_bom, size - m_bom).isValidUtf8();
    m_lines.reserve(std::count(data + m_bom, data + size, '\n') + 1);
    bool eolKnown = false;
    qsizetype pos = m_bom;
    while (pos < size) {
        const void* found = std::memchr(data + pos, '\n', size_t(size - pos));
        qsizetype end = found ? static_cast<const char*>(found) - data : size;
        const qsizetype next = found ? end + 1 : size;
        quint8 eol = found ? 1 : 0;
        if (found && end > pos && data[end - 1] == '\r') {
            --end;
            eol = 2;
        }
        if (found && !eolKnown) {
            m_eol = eol;
            eolKnown = true;
        }
        Line line = parseLine(QByteArrayView(data + pos, end - pos));
        line.start = pos;
        line.length = end - pos;
        line.eol = eol;
        if (m_allUtf8)
            line.utf8 = 1;
        m_lines.push_back(std::move(line));
        pos = next;
    }
}

QByteArrayView IniFile::content(const Line& line) const {
    if (line.own)
        return QByteArrayView(line.text);
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

qsizetype IniFile::findSection(const QString& name) const {
    const bool ascii = isAscii(name);
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i) {
        const Line& line = m_lines[size_t(i)];
        if (line.kind == Kind::Section && nameMatches(line, name, ascii))
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < qsizetype(m_lines.size()) && m_lines[size_t(i)].kind != Kind::Section)
        ++i;
    return i;
}

qsizetype IniFile::findKey(qsizetype header, qsizetype end, const QString& key) const {
    const bool ascii = isAscii(key);
    for (qsizetype i = header + 1; i < end; ++i) {
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
    const qsizetype header = findSection(storedSection(section));
    if (header < 0)
        return std::nullopt;
    const qsizetype at = findKey(header, sectionEnd(header), storedKey(key));
    if (at < 0)
        return std::nullopt;
    return valueOf(m_lines[size_t(at)], maxLength);
}

void IniFile::terminate(Line& line) {
    if (line.eol == 0)
        line.eol = m_eol;
}

IniFile::Line IniFile::newLine(const QByteArray& text) const {
    Line line = parseLine(text);
    line.own = true;
    line.text = text;
    line.length = text.size();
    line.eol = m_eol;
    line.utf8 = 1;
    return line;
}

bool IniFile::setValue(const QString& section, const QString& key, const QString& value) {
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

    const qsizetype header = findSection(name);
    if (header < 0) {
        if (!m_lines.empty())
            terminate(m_lines.back());
        m_lines.push_back(newLine('[' + name.toUtf8() + ']'));
        m_lines.push_back(newLine(text));
        return true;
    }
    const qsizetype end = sectionEnd(header);
    const qsizetype at = findKey(header, end, k);
    if (at >= 0) {
        Line& line = m_lines[size_t(at)];
        const bool same = isUtf8(line) ? content(line).sliced(line.valueStart) == v.toUtf8()
                                       : valueOf(line, -1) == v;
        if (same)
            return false;
        const quint8 eol = line.eol;
        line = newLine(text);
        line.eol = eol;
        return true;
    }
    // A new key goes after the section's last non-blank line, before any blank lines that
    // separate it from the next section.
    qsizetype last = header;
    for (qsizetype i = end - 1; i > header; --i) {
        const QByteArrayView c = content(m_lines[size_t(i)]);
        if (!std::all_of(c.begin(), c.end(), [](char ch) { return isBlank(uchar(ch)); })) {
            last = i;
            break;
        }
    }
    terminate(m_lines[size_t(last)]);
    m_lines.insert(m_lines.begin() + last + 1, newLine(text));
    return true;
}

QByteArray IniFile::toBytes() const {
    static const char* const endings[] = {"", "\n", "\r\n"};
    QByteArray out;
    qsizetype size = m_bom;
    for (const Line& line : m_lines)
        size += line.length + line.eol;
    out.reserve(size);
    out.append(m_data.constData(), m_bom);
    for (const Line& line : m_lines) {
        out.append(content(line));
        out.append(endings[line.eol], line.eol);
    }
    return out;
}
