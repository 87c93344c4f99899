// File access shared by the readers and writers of the picture toolkit.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

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
FileHandle openForRead(const std::filesystem::path& fileName);

} // namespace imaging_detail
