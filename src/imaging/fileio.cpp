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

AtomicFile::AtomicFile(const std::filesystem::path& target) : m_target(target) {
    std::random_device random;
    for (int attempt = 0; attempt < 16 && !m_file; ++attempt) {
        const std::string suffix = ".tmp" + std::to_string(random() % 1000000000u);
        m_temp = target;
        m_temp += suffix;
#ifdef _WIN32
        m_file = _wfopen(m_temp.c_str(), L"wbx");
#else
        m_file = std::fopen(m_temp.c_str(), "wbx"); // exclusive: never reuses someone's file
#endif
        if (!m_file && errno != EEXIST)
            break;
    }
    if (!m_file)
        throw ImageError("cannot create " + target.string() + ": " +
                         std::generic_category().message(errno));
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 18);
}

AtomicFile::~AtomicFile() {
    if (m_file) {
        std::fclose(m_file);
        std::error_code ignored;
        std::filesystem::remove(m_temp, ignored);
    }
}

void AtomicFile::write(const void* data, std::size_t size) {
    if (size && std::fwrite(data, 1, size, m_file) != size)
        throw ImageError("cannot write " + m_target.string() + ": " +
                         std::generic_category().message(errno));
}

void AtomicFile::commit() {
    const bool flushed = std::fflush(m_file) == 0 && !std::ferror(m_file);
    const int error = errno;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    std::error_code ec;
    if (!flushed || !closed) {
        std::filesystem::remove(m_temp, ec);
        throw ImageError("cannot write " + m_target.string() + ": " +
                         std::generic_category().message(error));
    }
    std::filesystem::rename(m_temp, m_target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(m_temp, ignored);
        throw ImageError("cannot replace " + m_target.string() + ": " + ec.message());
    }
}

} // namespace imaging_detail

void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    imaging_detail::AtomicFile file(target);
    file.write(bytes.data(), bytes.size());
    file.commit();
}
