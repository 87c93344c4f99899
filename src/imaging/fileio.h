// File access shared by the readers and writers of the picture toolkit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

/// Replaces the file at `target` with `bytes`: a temporary file beside it,
/// every write, the flush and the close checked, then renamed over it. On any
/// failure the old file stays as it was, the temporary goes, and the
/// std::runtime_error thrown names the target and the system's reason ("No
/// space left on device"). For every file that holds the user's data.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

namespace imaging_detail {

// Closes a FILE when it goes out of scope.
struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f)
            std::fclose(f);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for buffered binary reading; throws ImageError when it cannot be opened.
FileHandle OpenForRead(const std::filesystem::path& fileName);

// Writes a file that replaces its target only when complete: the bytes go to a temporary
// file in the same folder, which commit() renames over the target. Without commit() the
// temporary file is removed and the target stays as it was.
class AtomicFile {
public:
    explicit AtomicFile(const std::filesystem::path& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    std::FILE* stream() const { return m_file; }
    void write(const void* data, std::size_t size);
    void commit();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::FILE* m_file = nullptr;
};

} // namespace imaging_detail
