#include "imaging/fileio.h"

#include "imaging/bitmap.h"

#include <cstdio>

namespace imaging_detail {

FileHandle openForRead(const std::filesystem::path& fileName) {
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

} // namespace imaging_detail
