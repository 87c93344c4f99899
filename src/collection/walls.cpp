#include "collection/walls.h"

#include "collection/datafolder.h"
#include "collection/state.h"
#include "collection/thumbpath.h"
#include "imaging/fileio.h"
#include "platform/listfile.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QString>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::string ListFileName(const ProgramState& state) {
    return state.DataFolder + "list.txt";
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

void LoadWall(ProgramState& state) {
    const std::string name = ListFileName(state);
    if (!platform::isRegularFile(name))
        return;
    const std::string unreadable = "cannot read " + name + "; starting with an empty collection";
    std::ifstream in(platform::toFsPath(name), std::ios::binary);
    if (!in)
        return platform::Warn(unreadable);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return platform::Warn(unreadable);
    for (auto& line : ParseListText(bytes)) {
        if (line.empty())
            continue;
        if (platform::isRegularFile(line))
            state.Walls.push_back(state.MakeWall(std::move(line)));
        else if (!FolderAvailable(line))
            state.UnavailableWalls.push_back(std::move(line));
        // A picture gone from a folder that is there is left out for good.
    }
}

bool FolderAvailable(const std::string& path) {
    const fs::path folder = platform::toFsPath(path).parent_path();
    std::error_code ec;
    return folder.empty() || fs::is_directory(folder, ec);
}

void WriteWallList(const ProgramState& state, const std::vector<std::string>& paths) {
    EnsureDataFolder(state);
    std::vector<std::string> lines = paths;
    lines.insert(lines.end(), state.UnavailableWalls.begin(), state.UnavailableWalls.end());
    try {
        WriteFileAtomically(platform::toFsPath(ListFileName(state)),
                            platform::encodeListText(lines));
    } catch (const std::exception& e) {
        throw ListFileError(e.what());
    }
}

void DeleteWall(ProgramState& state, int numWall) {
    if (!state.IsWallIndex(numWall))
        return;
    const std::string thumb = FindThumbnailHDD(state.DataFolder, state.Walls[numWall].Path);
    if (!thumb.empty()) {
        std::error_code ec;
        fs::remove(platform::toFsPath(thumb), ec);
    }
    state.Walls[numWall].Preview.reset();
    state.Walls.erase(state.Walls.begin() + numWall);
    WriteWallList(state, WallPaths(state));
}

void ReplaceWalls(ProgramState& state, const std::vector<std::string>& paths) {
    std::vector<TWall> fresh;
    fresh.reserve(paths.size());
    for (const auto& p : paths)
        fresh.push_back(state.MakeWall(p));
    // The new collection goes in at once, so nothing sees it half built.
    state.Walls = std::move(fresh);
    WriteWallList(state, paths);
}

std::vector<std::string> WallPaths(const ProgramState& state) {
    std::vector<std::string> paths;
    paths.reserve(state.Walls.size());
    for (const auto& w : state.Walls)
        paths.push_back(w.Path);
    return paths;
}
