#include "CappedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

std::optional<std::string> ReadFileCapped(const std::string& path, std::size_t cap)
{
    // O_NONBLOCK keeps a fifo put in a lease file's place from holding us up;
    // the type check below then turns it away.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    const std::size_t expected = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    bytes.resize(expected < cap ? expected + 1 : cap);
    std::size_t got = 0;
    // A file in /proc or /sys reports size 0 and may hold more: keep reading
    // until the end or the cap.
    while (got < cap) {
        if (got == bytes.size())
            bytes.resize(bytes.size() * 2 + 4096 < cap ? bytes.size() * 2 + 4096 : cap);
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}
