// The texts that tell the user what an add, the thumbnail walk or an apply
// could not do: shown in a window's message box or, when no window of the
// program shows, in one desktop notification.
#pragma once

#include <QString>

#include <string>
#include <vector>

/// How many names a notice lists before "and N more".
constexpr std::size_t NoticeNames = 3;

/// The file names of the first NoticeNames paths, joined with commas, then
/// "and N more" for the rest.
QString firstNames(const std::vector<std::string>& paths);

/// What was handed over and not added: neither a picture file nor a folder.
QString skippedNotice(const std::vector<std::string>& skipped);

/// Pictures that left the collection because they cannot be read.
QString unreadableNotice(const std::vector<std::string>& removed);

/// Pictures that could not be made the wallpaper.
QString applyFailedNotice(const std::vector<std::string>& failed);

/// Pictures left out because their names hold line breaks.
QString unlistableNotice(std::size_t count);
