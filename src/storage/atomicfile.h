// The checked atomic file writer: every file that holds the user's data (the
// list, the settings, the wallpaper file, the thumbnails, the autostart entry)
// replaces its old version only when it has been written whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

/// A write that failed; the text names the target and the system's reason.
class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True for the name of a temporary file that an atomic write makes
// beside its target and removes again: "<target file name>.tmp-" followed by 16 lower-case
// hexadecimal digits, for example "Wallpaper.bmp.tmp-3f09a1c2d4e5b6f7". Only a file name
// (no folder) is matched. A program that was killed during such a write leaves one behind;
// its start-up may remove every file of its folders whose name matches.
bool isAtomicTemporaryName(std::string_view fileName);

/// Replaces the file at `target` with `bytes`: a temporary file beside it,
/// every write, the flush and the close checked, then renamed over it. On any
/// failure the old file stays as it was, the temporary goes, and the
/// StorageError thrown names the target and the system's reason ("No
/// space left on device"). For every file that holds the user's data.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

namespace storage {

// Writes a file that replaces its target only when complete. The bytes go through a buffer
// to a temporary file created exclusively in the target's folder (see
// isAtomicTemporaryName); commit() writes out the buffer, flushes the file to the disk when
// the write is durable, closes it and renames it over the target, checking every step. Any
// failure, and a destruction without commit(), removes the temporary file and leaves the
// target as it was; the StorageError thrown names the target and the system's reason ("No
// space left on device").
class AtomicFile {
public:
    // durable: the data reaches the disk before the rename (fsync), so that a crash right
    // after cannot leave an empty file in the target's place. Caches that are made again
    // when damaged can skip it.
    explicit AtomicFile(const std::filesystem::path& target, bool durable = true);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const void* data, std::size_t size);
    // The same without throwing, for callbacks of C libraries: false after any failure,
    // with the reason in errorText().
    bool tryWrite(const void* data, std::size_t size) noexcept;
    const std::string& errorText() const { return m_error; }
    void commit();

    const std::filesystem::path& temporaryPath() const { return m_temp; }

private:
    bool flushBuffer() noexcept;
    void fail(const char* what, int error) noexcept;
    void discard() noexcept;

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    int m_fd = -1;
    bool m_durable = true;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_used = 0;
    std::string m_error;
};

} // namespace storage
