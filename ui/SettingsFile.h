// The one-record settings files beside the program: a word between double
// quotes, then CR LF.
#pragma once

#include "platform/Kernel32.h"

#include <QString>
#include <optional>

namespace SettingsFile {

// The first field of the file's first line: leading blanks skipped; a quoted
// field runs to the next double quote, an unquoted one to the first comma or
// the line's end. No value when the file cannot be opened, is empty or is not
// a regular file (a FIFO, a device or a folder in its place is not waited
// for). Only the first few hundred bytes are read, so a huge or binary file
// cannot stall start-up; what they hold that the writer never writes (NUL
// bytes, an unterminated quote, a line without end) gives a text that matches
// no word.
std::optional<QString> ReadFirstField(const QString& path);

// The path of a settings file beside the program.
inline QString InProgramFolder(const QString& name)
{
    return AppPath() + QLatin1Char('/') + name;
}

// The same rules on bytes already read; `whole` says whether they are all of
// the file.
QString FirstField(const char* bytes, std::size_t length, bool whole);

// Writes the one record for `word`, replacing the file whole: the new record
// goes to a temporary file beside it that is renamed over it only once every
// write and the flush to disk succeeded, so a full disk or a crash leaves the
// previous file as it was. A symbolic link keeps pointing at its regular file,
// which gets the record. False, with nothing changed, when the folder cannot
// be written or something other than a regular file (or a link to one) stands
// at the path: a FIFO or a device is never written through.
bool WriteRecord(const QString& path, const QString& word);

} // namespace SettingsFile
