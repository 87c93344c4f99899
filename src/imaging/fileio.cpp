#include "imaging/fileio.h"

#include "imaging/bitmap.h"

#include <cerrno>
#include <random>
#include <string>
#include <system_error>

namespace imaging_detail {

FileHandle OpenForRead(const std::filesystem::path& fileName) {
#ifdef _WIN32
    FileHandle file(_wfopen(fileName.c_str(), L"rb"));
#else
    FileHandle file(std::fopen(fileName.c_str(), "rb"));
#endif
    if (!file)
        throw ImageError("cannot open " + fileName.string());
    std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 16);
    return file;
}

AtomicFile::AtomicFile(const std::filesystem::path& target) : target_(target) {
    std::random_device random;
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        const std::string suffix = ".tmp" + std::to_string(random() % 1000000000u);
        temp_ = target;
        temp_ += suffix;
#ifdef _WIN32
        file_ = _wfopen(temp_.c_str(), L"wbx");
#else
        file_ = std::fopen(temp_.c_str(), "wbx"); // exclusive: never reuses someone's file
#endif
        if (!file_ && errno != EEXIST)
            break;
    }
    if (!file_)
        throw ImageError("cannot create " + target.string() + ": " +
                         std::generic_category().message(errno));
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 18);
}

AtomicFile::~AtomicFile() {
    if (file_) {
        std::fclose(file_);
        std::error_code ignored;
        std::filesystem::remove(temp_, ignored);
    }
}

void AtomicFile::write(const void* data, std::size_t size) {
    if (size && std::fwrite(data, 1, size, file_) != size)
        throw ImageError("cannot write " + target_.string() + ": " +
                         std::generic_category().message(errno));
}

void AtomicFile::commit() {
    const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    const int error = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    std::error_code ec;
    if (!flushed || !closed) {
        std::filesystem::remove(temp_, ec);
        throw ImageError("cannot write " + target_.string() + ": " +
                         std::generic_category().message(error));
    }
    std::filesystem::rename(temp_, target_, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp_, ignored);
        throw ImageError("cannot replace " + target_.string() + ": " + ec.message());
    }
}

} // namespace imaging_detail
