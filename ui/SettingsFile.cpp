#include "SettingsFile.h"

#include "platform/AnsiCodePage.h"

#include <QFile>

#include <cerrno>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Far more than any stored word; the rest of a file is never looked at.
constexpr std::size_t ReadLimit = 512;

// Closes the descriptor when the scope ends, whatever way it ends.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Closes now and says whether everything written reached the file.
    bool Close()
    {
        const int result = ::close(fd);
        fd = -1;
        return result == 0;
    }
};

bool WriteAll(int fd, const char* bytes, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, bytes, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

// Where the record is to go: the path itself, or for a symbolic link the
// regular file it leads to. Nothing when something else stands there (a
// FIFO, a device, a folder, a link that leads nowhere): that is left alone.
// `mode` gets the permissions of the file being replaced, if any.
std::optional<QByteArray> Destination(const QByteArray& path, std::optional<mode_t>& mode)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT ? std::optional<QByteArray>(path) : std::nullopt;
    QByteArray target = path;
    if (S_ISLNK(st.st_mode)) {
        char* real = ::realpath(path.constData(), nullptr);
        if (!real)
            return std::nullopt;
        target = QByteArray(real);
        std::free(real);
        if (::stat(target.constData(), &st) != 0)
            return std::nullopt;
    }
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    mode = st.st_mode & 07777;
    return target;
}
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
    // Opened without waiting, so that a FIFO or a device standing in the
    // file's place cannot hold start-up; only a regular file is read.
    Descriptor file{
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    char buffer[ReadLimit + 1]; // one byte more tells whether the file goes on
    std::size_t n = 0;
    while (n < sizeof buffer) {
        const ssize_t got = ::read(file.fd, buffer + n, sizeof buffer - n);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        n += static_cast<std::size_t>(got);
    }
    if (n == 0)
        return std::nullopt;
    const bool whole = n <= ReadLimit;
    return FirstField(buffer, std::min(n, ReadLimit), whole);
}

bool SettingsFile::WriteRecord(const QString& path, const QString& word)
{
    QByteArray record;
    record.reserve(word.size() + 4);
    record += '"';
    for (QChar c : word)
        record += ToAnsi(c);
    record += "\"\r\n";

    std::optional<mode_t> mode;
    const std::optional<QByteArray> target = Destination(QFile::encodeName(path), mode);
    if (!target)
        return false;

    // The record goes to a new file beside the old one, which is replaced only
    // once every byte has been written and flushed to the disk: a full disk or
    // a crash leaves the previous file as it was.
    QByteArray temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
        temporary = *target + ".tmp" + QByteArray::number(::getpid()) + '.' + QByteArray::number(attempt);
        file.fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (file.fd < 0 && errno != EEXIST)
            return false;
    }
    if (file.fd < 0)
        return false;
    const bool written = (!mode || ::fchmod(file.fd, *mode) == 0)
                         && WriteAll(file.fd, record.constData(), static_cast<std::size_t>(record.size()))
                         && ::fsync(file.fd) == 0;
    if (!file.Close() || !written || ::rename(temporary.constData(), target->constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const qsizetype slash = target->lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target->left(slash) : QByteArray(slash == 0 ? "/" : ".");
    Descriptor directory{::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (directory.fd >= 0)
        ::fsync(directory.fd);
    return true;
}
