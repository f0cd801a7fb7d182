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
    // Bytes in UTF-8 or Windows-1252, line by line, or UTF-16 after its byte-order mark.
    explicit IniFile(const QByteArray& bytes);

    // Why the bytes can't be taken as a data file (UTF-16 that doesn't decode exactly, which a
    // write would change); empty when they can.
    const QString& failure() const { return m_failure; }

    // The whole value of the key in the first section of that name (section names match without
    // regard to case or outer blanks, keys without regard to case), cut to maxLength characters
    // when maxLength >= 0; nothing when missing.
    std::optional<QString> value(const QString& section, const QString& key,
                                 qsizetype maxLength = -1) const;

    // The keys whose values are not empty, in every section of that name.
    QStringList keysWithValues(const QString& section) const;

    // Stores the value, adding the key or the section when missing, in the first occurrence of
    // the key; everywhere, also in each other occurrence in every section of that name. False
    // when nothing changed.
    bool setValue(const QString& section, const QString& key, const QString& value,
                  bool everywhere = false);

    // In the encoding the file came in.
    QByteArray toBytes() const;
    // An empty file, to be written in UTF-16 as this one is (or in UTF-8).
    IniFile emptyLike() const;

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
    bool isSection(qsizetype section, const QString& name, bool nameIsAscii) const;
    qsizetype findSection(const QString& name) const;
    qsizetype sectionEnd(qsizetype section) const;
    qsizetype findKey(qsizetype section, const QString& key) const;
    QString valueOf(const Line& line, qsizetype maxLength) const;
    bool rewrite(qsizetype at, const QByteArray& text, const QString& value);
    Line newLine(const QByteArray& text);
    void insertLine(qsizetype at, Line line);

    QByteArray m_data; // a UTF-16 file's text in UTF-8, so that it is parsed as any other
    qsizetype m_bom = 0;
    enum class Utf16 : quint8 { No, LittleEndian, BigEndian } m_utf16 = Utf16::No;
    QString m_failure;
    quint8 m_eol = 2;
    std::vector<Line> m_lines;
    std::vector<qsizetype> m_sections; // the line of each section header, in file order
    std::vector<QByteArray> m_texts;
    // Sections already looked up by exactly this name: a batch names the same few many times.
    mutable QHash<QString, qsizetype> m_found;
};
