// quorvane-img: the picture toolkit from the command line.
//   quorvane-img decode IN OUT.bmp   decode, then write as BMP (the apply path)
//   quorvane-img thumb IN OUT.jpg    decode, average onto 197 x 123, write as JPEG
//                                    (the thumbnail path)
//   quorvane-img info IN             print WIDTH HEIGHT BITS
//   quorvane-img formats             print each format this build decodes with its
//                                    extensions, one line each: NAME .EXT ...
// Exit status: 0 done, 1 the picture could not be decoded, 2 the output could not be
// written, 64 wrong arguments.
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"

#include <cstdio>
#include <exception>
#include <string_view>

namespace {

constexpr int ThumbWidth = 197;
constexpr int ThumbHeight = 123;

int usage() {
    std::fputs("usage: quorvane-img decode IN OUT.bmp\n"
               "       quorvane-img thumb IN OUT.jpg\n"
               "       quorvane-img info IN\n"
               "       quorvane-img formats\n",
               stderr);
    return 64;
}

// The format table, as the folder scan and the file dialog use it.
int printFormats() {
    for (const PictureFormatInfo& format : pictureFormats()) {
        std::printf("%.*s", static_cast<int>(format.name.size()), format.name.data());
        for (std::string_view ext : format.extensions)
            std::printf(" %.*s", static_cast<int>(ext.size()), ext.data());
        std::printf("\n");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "formats")
        return printFormats();
    if (argc < 3)
        return usage();
    const std::string_view command = argv[1];
    const bool withOutput = command == "decode" || command == "thumb";
    if (!(withOutput && argc == 4) && !(command == "info" && argc == 3))
        return usage();

    if (command == "thumb") {
        // As the thumbnail worker does: averaged onto the thumbnail as it is decoded.
        Bitmap thumb;
        thumb.setPixelFormat(PixelFormat::Bits24);
        thumb.setSizeForOverwrite(ThumbWidth, ThumbHeight);
        if (file2BitmapAveraged(thumb, argv[2]) != DecodeStatus::Ok) {
            std::fprintf(stderr, "quorvane-img: cannot decode %s\n", argv[2]);
            return 1;
        }
        try {
            bitmap2Jpeg(thumb, argv[3]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "quorvane-img: %s\n", e.what());
            return 2;
        }
        return 0;
    }
    Bitmap picture;
    if (!file2Bitmap(picture, argv[2])) {
        std::fprintf(stderr, "quorvane-img: cannot decode %s\n", argv[2]);
        return 1;
    }
    if (command == "info") {
        std::printf("%d %d %d\n", picture.width(), picture.height(), picture.bitsPerPixel());
        return 0;
    }
    try {
        picture.saveToFile(argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvane-img: %s\n", e.what());
        return 2;
    }
    return 0;
}
