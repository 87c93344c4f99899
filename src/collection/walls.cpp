#include "collection/walls.h"

#include "collection/state.h"
#include "collection/thumbpath.h"
#include "platform/listfile.h"
#include "platform/paths.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::string ListFileName() {
    return DataFolder + "list.txt";
}

namespace {

std::string utf16ToUtf8(const std::string& bytes, std::size_t offset, bool bigEndian) {
    std::u16string units;
    units.reserve((bytes.size() - offset) / 2);
    for (std::size_t i = offset; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
    }
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()))
        .toUtf8()
        .toStdString();
}

std::string decodeText(const std::string& bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return bytes.substr(3);
    if (bytes.starts_with("\xFF\xFE"))
        return utf16ToUtf8(bytes, 2, false);
    if (bytes.starts_with("\xFE\xFF"))
        return utf16ToUtf8(bytes, 2, true);
    return platform::decodeListTextWithoutBom(bytes);
}

bool isFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(platform::toFsPath(path), ec);
}

void ensureDataFolder() {
    std::error_code ec;
    fs::create_directory(platform::toFsPath(DataFolder), ec);
}

std::vector<std::string> wallPaths() {
    std::vector<std::string> paths;
    paths.reserve(Walls.size());
    for (const auto& w : Walls)
        paths.push_back(w.Path);
    return paths;
}

} // namespace

std::vector<std::string> ParseListText(const std::string& bytes) {
    const std::string text = decodeText(bytes);
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    return lines;
}

void LoadWall() {
    const std::string name = ListFileName();
    if (!isFile(name))
        return;
    std::ifstream in(platform::toFsPath(name), std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "Quorvane: cannot read %s; starting with an empty collection\n",
                     name.c_str());
        return;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        std::fprintf(stderr, "Quorvane: cannot read %s; starting with an empty collection\n",
                     name.c_str());
        return;
    }
    for (auto& line : ParseListText(bytes)) {
        if (line.empty() || !isFile(line))
            continue;
        Walls.push_back(TWall{std::move(line), nullptr, false});
    }
}

void WriteWallList(const std::vector<std::string>& paths) {
    ensureDataFolder();
    const QString name = QFile::decodeName(QByteArray::fromStdString(ListFileName()));
    QSaveFile file(name);
    const std::string bytes = platform::encodeListText(paths);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw ListFileError("Cannot create file \"" + ListFileName() + "\". " + reason);
    }
}

void DeleteWall(int numWall) {
    if (numWall < 0 || numWall >= WallCount())
        return;
    const std::string thumb = FindThumbnailHDD(Walls[numWall].Path);
    if (!thumb.empty()) {
        std::error_code ec;
        fs::remove(platform::toFsPath(thumb), ec);
    }
    Walls[numWall].Preview.reset();
    Walls.erase(Walls.begin() + numWall);
    WriteWallList(wallPaths());
}

void ReplaceWalls(const std::vector<std::string>& paths) {
    std::vector<TWall> fresh;
    fresh.reserve(paths.size());
    for (const auto& p : paths)
        fresh.push_back(TWall{p, nullptr, false});
    // The new collection goes in at once, so nothing sees it half built.
    Walls = std::move(fresh);
    WriteWallList(paths);
}
