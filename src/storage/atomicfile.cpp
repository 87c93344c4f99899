#include "storage/atomicfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr std::string_view TempMarker = ".tmp-";
constexpr std::size_t TempDigits = 16;
constexpr std::size_t BufferBytes = std::size_t(1) << 18;

std::string randomSuffix() {
    static thread_local std::mt19937_64 generator{[] {
        std::random_device device;
        return (std::uint64_t(device()) << 32) ^ device();
    }()};
    static constexpr char Digits[] = "0123456789abcdef";
    std::uint64_t value = generator();
    std::string digits(TempDigits, '0');
    for (std::size_t i = 0; i < TempDigits; ++i, value >>= 4)
        digits[i] = Digits[value & 0xF];
    return digits;
}

std::string systemMessage(int error) {
    return std::strerror(error);
}

#ifdef _WIN32
int openExclusive(const std::filesystem::path& p) {
    return _wopen(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}
long writeSome(int fd, const std::uint8_t* data, std::size_t size) {
    const unsigned n = size > (1u << 30) ? 1u << 30 : static_cast<unsigned>(size);
    return _write(fd, data, n);
}
int syncFile(int fd) {
    return _commit(fd);
}
int closeFile(int fd) {
    return _close(fd);
}
#else
int openExclusive(const std::filesystem::path& p) {
    return ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long writeSome(int fd, const std::uint8_t* data, std::size_t size) {
    return static_cast<long>(::write(fd, data, size));
}
int syncFile(int fd) {
    return ::fsync(fd);
}
int closeFile(int fd) {
    return ::close(fd);
}
#endif

// Makes a rename inside the folder reach the disk. Best effort: the file is
// already in place, and a folder that cannot be opened (or Windows, which has
// no such step) changes nothing.
void syncFolder(const std::filesystem::path& folder) {
#ifndef _WIN32
    const std::string name = folder.empty() ? std::string(".") : folder.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

bool isAtomicTemporaryName(std::string_view fileName) {
    if (fileName.size() <= TempMarker.size() + TempDigits)
        return false;
    const std::size_t marker = fileName.size() - TempDigits - TempMarker.size();
    if (fileName.substr(marker, TempMarker.size()) != TempMarker)
        return false;
    if (fileName.find('/') != std::string_view::npos ||
        fileName.find('\\') != std::string_view::npos)
        return false;
    for (const char c : fileName.substr(marker + TempMarker.size()))
        if (!isHexDigit(c))
            return false;
    return true;
}

namespace storage {

AtomicFile::AtomicFile(const std::filesystem::path& target, bool durable)
    : m_target(target), m_durable(durable) {
    int error = 0;
    for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
        m_temp = target;
        m_temp += std::string(TempMarker) + randomSuffix();
        m_fd = openExclusive(m_temp); // exclusive: never reuses anyone's file
        error = errno;
        if (m_fd < 0 && error != EEXIST)
            break;
    }
    if (m_fd < 0)
        throw StorageError("cannot create " + target.string() + ": " + systemMessage(error));
    m_buffer.resize(BufferBytes);
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() noexcept {
    if (m_fd >= 0) {
        closeFile(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_temp, ignored);
        m_temp.clear();
    }
}

void AtomicFile::fail(const char* what, int error) noexcept {
    if (m_error.empty()) {
        try {
            m_error = std::string(what) + " " + m_target.string() + ": " + systemMessage(error);
        } catch (...) {
        }
    }
    discard();
}

bool AtomicFile::flushBuffer() noexcept {
    std::size_t done = 0;
    while (done < m_used) {
        const long n = writeSome(m_fd, m_buffer.data() + done, m_used - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing without an error is a full disk by another name.
            fail("cannot write", n < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    m_used = 0;
    return true;
}

bool AtomicFile::tryWrite(const void* data, std::size_t size) noexcept {
    if (m_fd < 0)
        return false;
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        if (m_used == m_buffer.size() && !flushBuffer())
            return false;
        const std::size_t n = std::min(size, m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, p, n);
        m_used += n;
        p += n;
        size -= n;
    }
    return true;
}

void AtomicFile::write(const void* data, std::size_t size) {
    if (!tryWrite(data, size))
        throw StorageError(m_error.empty() ? "cannot write " + m_target.string() : m_error);
}

void AtomicFile::commit() {
    if (m_fd < 0)
        throw StorageError(m_error.empty() ? "cannot write " + m_target.string() : m_error);
    if (!flushBuffer())
        throw StorageError(m_error);
    // A file system that cannot flush to the disk at all (EINVAL) still takes the file.
    if (m_durable && syncFile(m_fd) != 0 && errno != EINVAL) {
        fail("cannot write", errno);
        throw StorageError(m_error);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (closeFile(fd) != 0) {
        fail("cannot write", errno);
        throw StorageError(m_error);
    }
    std::error_code ec;
    std::filesystem::rename(m_temp, m_target, ec);
    if (ec) {
        m_error = "cannot replace " + m_target.string() + ": " + ec.message();
        discard();
        throw StorageError(m_error);
    }
    m_temp.clear();
    if (m_durable)
        syncFolder(m_target.parent_path());
}

} // namespace storage

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    storage::AtomicFile file(target);
    file.write(bytes.data(), bytes.size());
    file.commit();
}
