#include "content/ContentFile.h"

#include "content/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pikora {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd); // also drops the flock
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads up to n bytes; fewer only at the end of the file.
std::size_t readFully(int fd, std::uint8_t* buffer, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(fd, buffer + done, n - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EReadError(std::string(texts::StreamRead));
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace

std::optional<std::vector<std::uint8_t>> readContentFile(const std::string& fileName,
                                                         std::uint64_t maxBytes)
{
    FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        throw EFOpenError(cannotOpenText(fileName));

    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw EFOpenError(cannotOpenText(fileName));

    int locked;
    do {
        locked = ::flock(file.get(), LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0)
        throw EFOpenError(cannotOpenText(fileName));

    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > maxBytes)
        return std::nullopt;

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    bytes.resize(readFully(file.get(), bytes.data(), bytes.size()));
    if (bytes.size() == size) {
        // The file may have grown since fstat: take the rest, within the limit.
        std::uint8_t chunk[4096];
        for (;;) {
            const std::size_t got = readFully(file.get(), chunk, sizeof chunk);
            if (got == 0)
                break;
            if (bytes.size() + got > maxBytes)
                return std::nullopt;
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
    }
    return bytes;
}

} // namespace pikora
