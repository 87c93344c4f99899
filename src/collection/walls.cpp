#include "collection/walls.h"

#include "collection/datafolder.h"
#include "collection/folderwalk.h"
#include "collection/state.h"
#include "collection/thumbpath.h"
#include "platform/listfile.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "storage/atomicfile.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

std::string listFileName(const ProgramState& state) {
    return state.dataFolder + "list.txt";
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

// Takes the bytes' memory where it can.
std::string decodeText(std::string& bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::move(bytes.erase(0, 3));
    if (bytes.starts_with("\xFF\xFE"))
        return utf16ToUtf8(bytes, 2, false);
    if (bytes.starts_with("\xFE\xFF"))
        return utf16ToUtf8(bytes, 2, true);
    return platform::decodeListTextWithoutBom(std::move(bytes));
}

} // namespace

std::vector<std::string> parseListText(std::string bytes) {
    const std::string text = decodeText(bytes);
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    const std::size_t n = text.size();
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.emplace_back(text, start, i - start);
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    // A last line without a line end still counts.
    if (start < n)
        lines.emplace_back(text, start, n - start);
    return lines;
}

namespace {

// Folders that hold at least this many listed pictures are read once instead
// of looking up each picture on its own.
constexpr std::size_t ListedFolderMinimum = 32;

// For each line, whether it is known to name a regular file: the folders that
// hold many of the lines are read once, and a name found there as a regular
// file (or a link to one) needs no look-up of its own. Anything else is left
// to a look-up of its own, so that what the file system alone can tell (a
// name matched without regard to case, say) is still told.
std::vector<bool> knownFiles(const std::vector<std::string>& lines) {
    std::vector<bool> known(lines.size(), false);
    std::unordered_map<std::string_view, std::vector<std::size_t>> byFolder;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::string_view folder = folderOf(line);
        // Only plain names in folders given by their full path.
        const std::string_view name = line.substr(std::min(folder.size() + 1, line.size()));
        if (folder.empty() || name.empty() || name == "." || name == "..")
            continue;
        byFolder[folder].push_back(i);
    }
    for (const auto& [folder, indexes] : byFolder) {
        const std::string dir(folder);
        if (indexes.size() < ListedFolderMinimum || !platform::toFsPath(dir).is_absolute())
            continue;
        // A folder that cannot be read lists nothing: its lines are looked up one by one.
        const std::unordered_set<std::string> files = regularFileNames(dir);
        for (std::size_t i : indexes)
            if (files.contains(lines[i].substr(folder.size() + 1)))
                known[i] = true;
    }
    return known;
}

// The line as a full path: a relative one names a file in the list file's
// folder, never in the program's current folder. Empty when it cannot be
// told: a line with a root yet no full path, or no full folder to take it in.
std::string fullPathOfLine(std::string line, const std::string& listFolder) {
    const fs::path path = platform::toFsPath(line);
    if (path.is_absolute())
        return line;
    if (path.has_root_name() || path.has_root_directory() || listFolder.empty())
        return {};
    return listFolder + platform::pathSeparator() + line;
}

} // namespace

WallList readWallList(const ProgramState& state) {
    WallList list;
    const std::string name = listFileName(state);
    if (!platform::isRegularFile(name))
        return list;
    const auto unreadable = [&name] {
        platform::warn("cannot read " + name + "; starting with an empty collection");
        return WallList{};
    };
    std::vector<std::string> lines;
    {
        // Read with the C library's streams: the C++ ones set up their locale
        // machinery, a good part of the standard library, for this one read.
        const std::unique_ptr<std::FILE, decltype(&std::fclose)> in(
            std::fopen(platform::toFsPath(name).c_str(), "rb"), &std::fclose);
        if (!in || std::fseek(in.get(), 0, SEEK_END) != 0)
            return unreadable();
        const long size = std::ftell(in.get());
        if (size < 0 || std::fseek(in.get(), 0, SEEK_SET) != 0)
            return unreadable();
        std::string bytes(static_cast<std::size_t>(size), '\0');
        // A file that shrank meanwhile gives what it still holds.
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in.get()));
        if (std::ferror(in.get()))
            return unreadable();
        lines = parseListText(std::move(bytes));
    }
    std::string listFolder(folderOf(name));
    if (!platform::toFsPath(listFolder).is_absolute())
        listFolder.clear();
    for (std::string& line : lines)
        if (!line.empty())
            line = fullPathOfLine(std::move(line), listFolder);
    const std::vector<bool> known = knownFiles(lines);
    list.paths.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string& line = lines[i];
        if (line.empty())
            continue;
        if (known[i] || platform::isRegularFile(line))
            list.paths.push_back(std::move(line));
        else if (!folderAvailable(line))
            list.unavailable.push_back(std::move(line));
        // A picture gone from a folder that is there is left out for good.
    }
    return list;
}

bool folderAvailable(const std::string& path) {
    const fs::path folder = platform::toFsPath(path).parent_path();
    std::error_code ec;
    return folder.empty() || fs::is_directory(folder, ec);
}

bool isListablePath(std::string_view path) {
    return !path.empty() && path.find_first_of("\r\n") == std::string_view::npos;
}

void writeWallList(const ProgramState& state, const std::vector<std::string>& paths,
                   const std::vector<std::string>& unavailable) {
    ensureDataFolder(state);
    std::vector<std::string> lines;
    lines.reserve(paths.size() + unavailable.size());
    // A line break inside a path would write it as two lines that name other files.
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(lines), isListablePath);
    std::copy_if(unavailable.begin(), unavailable.end(), std::back_inserter(lines), isListablePath);
    try {
        writeFileAtomically(platform::toFsPath(listFileName(state)),
                            platform::encodeListText(lines));
    } catch (const std::exception& e) {
        throw ListFileError(e.what());
    }
}

void removeCachedThumbnail(const ProgramState& state, const std::string& path) {
    const std::string thumb = findThumbnailOnDisk(state.dataFolder, path);
    if (thumb.empty())
        return;
    std::error_code ec;
    fs::remove(platform::toFsPath(thumb), ec);
}
