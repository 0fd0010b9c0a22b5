#include "raster/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "raster/Exceptions.h"

namespace brodix {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(msg::kReadError);
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (m_position >= m_bytes.size())
        return 0;
    const std::size_t available = m_bytes.size() - static_cast<std::size_t>(m_position);
    const std::size_t n = count < available ? count : available;
    if (n != 0)
        std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return;
    // A position past the end leaves a zero-filled gap, as a file would.
    if (m_position > m_bytes.max_size() - count)
        throw EWriteError(msg::kWriteError);
    const std::size_t end = static_cast<std::size_t>(m_position) + count;
    if (end > m_bytes.size())
        m_bytes.resize(end);
    std::memcpy(m_bytes.data() + m_position, buffer, count);
    m_position = end;
}

std::unique_ptr<TFileStream> TFileStream::OpenRead(const std::string& fileName) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come; the
    // check below refuses it once the open has returned.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        throw EFOpenError(FormatMessage(msg::kFOpenError, fileName));
    struct stat info {};
    // A folder, a pipe or a device opens on this system but is no picture file: refuse it as
    // unopenable rather than read an endless or meaningless byte source.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        throw EFOpenError(FormatMessage(msg::kFOpenError, fileName));
    }
    return std::unique_ptr<TFileStream>(
        new TFileStream(fd, static_cast<std::uint64_t>(info.st_size), false));
}

TFileStream::TFileStream(int fd, std::uint64_t size, bool writable)
    : m_fd(fd), m_size(size), m_writable(writable) {}

TFileStream::~TFileStream() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min<std::size_t>(count - done, 1u << 30);
        const ssize_t n = ::read(m_fd, out + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        // An I/O error reads as the end of the file: callers that need the bytes raise
        // EReadError, and those that accept a short file keep what arrived.
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    m_position += done;
    return done;
}

void TFileStream::Write(const void* buffer, std::size_t count) {
    if (!m_writable)
        throw EWriteError(msg::kWriteError);
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min<std::size_t>(count - done, 1u << 30);
        const ssize_t n = ::write(m_fd, in + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EWriteError(msg::kWriteError, "write", n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
        m_position += static_cast<std::uint64_t>(n);
        if (m_position > m_size)
            m_size = m_position;
    }
}

void TFileStream::SetPosition(std::uint64_t position) {
    if (position > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) ||
        ::lseek(m_fd, static_cast<off_t>(position), SEEK_SET) < 0) {
        throw EReadError(msg::kReadError);
    }
    m_position = position;
}

namespace {

// Reads from fd until bytes holds size bytes or the file ends; a failed read ends it too.
void ReadUpTo(int fd, std::vector<std::uint8_t>& bytes, std::size_t size) {
    std::size_t done = bytes.size();
    bytes.resize(size);
    while (done < size) {
        const ssize_t n =
            ::read(fd, bytes.data() + done, std::min<std::size_t>(size - done, 1u << 20));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadOnceOnlyFile(
    const std::string& fileName, std::size_t headBytes,
    const std::function<std::uint64_t(std::span<const std::uint8_t> head)>& limitFor) {
    // Opened without waiting: a named pipe that no one writes then reads as empty.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    const bool once = ::fstat(fd, &info) == 0 &&
                      (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || S_ISCHR(info.st_mode));
    if (!once || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    ReadUpTo(fd, bytes, headBytes);
    const std::uint64_t limit = bytes.size() < headBytes ? 0 : limitFor(bytes);
    if (limit > bytes.size())
        ReadUpTo(fd, bytes,
                 static_cast<std::size_t>(std::min<std::uint64_t>(limit, SIZE_MAX - 1) + 1));
    ::close(fd);
    return bytes;
}

}  // namespace brodix
