#include "SettingsFile.h"

#include "platform/AnsiCodePage.h"

#include <QFile>
#include <QSaveFile>

namespace {
// Far more than any stored word; the rest of a file is never looked at.
constexpr qint64 ReadLimit = 512;
} // namespace

QString SettingsFile::FirstField(const char* bytes, std::size_t length, bool whole)
{
    std::size_t end = 0;
    while (end < length && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    const bool lineEnds = end < length || whole;
    std::size_t i = 0;
    while (i < end && (bytes[i] == ' ' || bytes[i] == '\t'))
        ++i;
    if (!lineEnds) // a first line longer than anything the writer makes
        return FromAnsi(bytes, end);
    if (i < end && bytes[i] == '"') {
        std::size_t close = i + 1;
        while (close < end && bytes[close] != '"')
            ++close;
        if (close == end) // no closing quote: keep the quote, so it matches nothing
            return FromAnsi(bytes + i, end - i);
        return FromAnsi(bytes + i + 1, close - i - 1);
    }
    std::size_t comma = i;
    while (comma < end && bytes[comma] != ',')
        ++comma;
    return FromAnsi(bytes + i, comma - i);
}

std::optional<QString> SettingsFile::ReadFirstField(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    char buffer[ReadLimit];
    const qint64 n = file.read(buffer, ReadLimit);
    if (n <= 0)
        return std::nullopt;
    const bool whole = n < ReadLimit || file.atEnd();
    return FirstField(buffer, static_cast<std::size_t>(n), whole);
}

bool SettingsFile::WriteRecord(const QString& path, const QString& word)
{
    QByteArray record;
    record.reserve(word.size() + 4);
    record += '"';
    for (QChar c : word)
        record += ToAnsi(c);
    record += "\"\r\n";
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(record) != record.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
