// The byte form of the list file on this system.
#pragma once

#include <string>
#include <vector>

namespace platform {

/// Encodes the paths, each followed by CR LF. Windows: the ANSI code page
/// when every path fits, otherwise UTF-8 with a byte-order mark. Linux:
/// the path bytes as they are, no byte-order mark.
std::string encodeListText(const std::vector<std::string>& paths);

/// Decodes text that carries no byte-order mark into program paths
/// (Windows: from the ANSI code page; Linux: the bytes unchanged, without a
/// copy when they are handed over).
std::string decodeListTextWithoutBom(std::string bytes);

} // namespace platform
