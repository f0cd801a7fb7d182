// The INI layer beneath the profile routines: a data file kept as its original bytes, so that a
// change rewrites only its own line and every other line stays byte for byte as it was.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class IniFile {
  public:
    IniFile() = default;
    explicit IniFile(const QByteArray& bytes);

    // The whole value of the key in the first section of that name (names match without regard
    // to case), cut to maxLength characters when maxLength >= 0; nothing when missing.
    std::optional<QString> value(const QString& section, const QString& key,
                                 qsizetype maxLength = -1) const;

    // The keys of the first section of that name whose values are not empty.
    QStringList keysWithValues(const QString& section) const;

    // Stores the value, adding the key or the section when missing. False when nothing changed.
    bool setValue(const QString& section, const QString& key, const QString& value);

    QByteArray toBytes() const;

    // What a section, key or value becomes when stored: line breaks can't split a line.
    static QString storedSection(const QString& section);
    static QString storedKey(const QString& key);
    static QString storedValue(const QString& value);
    // A key that can't be written as a line of its own (empty, holds '=', looks like a section
    // line or a comment).
    static bool isStorableKey(const QString& key);

    // Lines that are not valid UTF-8 come from the earlier Windows version.
    static QString fromWindows1252(QByteArrayView bytes);

  private:
    enum class Kind : quint8 { Other, Section, Key };
    struct Line {
        qsizetype start = 0;  // into m_data, unless the line has own text
        qsizetype length = 0; // without the line ending
        qsizetype nameStart = 0;
        qsizetype nameLength = 0;
        qsizetype valueStart = 0; // just after the '=' of a key line
        qint32 own = -1;          // index of its text in m_texts, for a new or rewritten line
        quint8 eol = 0;           // 0 none, 1 "\n", 2 "\r\n", 3 a lone "\r" (last line only)
        Kind kind = Kind::Other;
        mutable qint8 utf8 = -1; // unknown, 0 or 1
    };

    static Line parseLine(QByteArrayView content);
    QByteArrayView content(const Line& line) const;
    bool isUtf8(const Line& line) const;
    bool nameMatches(const Line& line, const QString& name, bool nameIsAscii) const;
    qsizetype findSection(const QString& name) const;
    qsizetype sectionEnd(qsizetype section) const;
    qsizetype findKey(qsizetype section, const QString& key) const;
    QString valueOf(const Line& line, qsizetype maxLength) const;
    Line newLine(const QByteArray& text);
    void insertLine(qsizetype at, Line line);

    QByteArray m_data;
    qsizetype m_bom = 0;
    quint8 m_eol = 2;
    std::vector<Line> m_lines;
    std::vector<qsizetype> m_sections; // the line of each section header, in file order
    std::vector<QByteArray> m_texts;
    // Sections already looked up by exactly this name: a batch names the same few many times.
    mutable QHash<QString, qsizetype> m_found;
};
