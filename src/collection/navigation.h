// The current entry, the commands that move through the collection and
// applying a picture as the desktop wallpaper.
#pragma once

#include <cstdint>
#include <string>

/// Makes numWall current (any index out of range lands on 0) and shows it.
/// Does nothing on an empty collection.
void JumpToWall(std::int32_t numWall);

/// The commands that move through the collection.
enum class WallCommand { First, Previous, Random, Next, Last };

/// Selects the command's entry with JumpToWall and, with `apply`, makes it
/// the wallpaper. Every source (keys, buttons, tray menu, wheel, timer,
/// hotkeys) runs its commands through here.
void RunWallCommand(WallCommand command, bool apply);

/// Makes entry numWall's picture the desktop wallpaper: decodes it, writes
/// the wallpaper file and hands it to the desktop. Every failure is silent
/// and leaves the desktop as it was.
void SetWall(std::int32_t numWall);

/// Windows virtual-key codes of the keys the main window acts on.
enum VirtualKey : std::uint16_t {
    VK_RETURN_ = 13,
    VK_ESCAPE_ = 27,
    VK_SPACE_ = 32,
    VK_PRIOR_ = 33,
    VK_NEXT_ = 34,
    VK_END_ = 35,
    VK_HOME_ = 36,
    VK_LEFT_ = 37,
    VK_UP_ = 38,
    VK_RIGHT_ = 39,
    VK_DOWN_ = 40,
    VK_DELETE_ = 46,
    VK_F1_ = 112,
};

/// The main window's keyboard commands; `shift` matters only for Delete.
void edtInputKeyDown(std::uint16_t Key, bool shift);

/// Removes the current entry; with `deleteFile` asks first and deletes the
/// picture file too. Then shows and applies the successor, or the empty view.
void DeleteCurrentWall(bool deleteFile);

/// The text of the question asked before a picture file is deleted.
std::string DeleteQuestion(const std::string& path);
