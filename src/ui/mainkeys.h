// The keys of the main window and what each one does.
#pragma once

#include <optional>

/// What a key of the main window asks for. Modifiers do not matter, except
/// Shift on Delete (which also deletes the picture file, after asking).
enum class MainKey {
    Apply,         ///< Enter: apply the current entry
    Hide,          ///< Esc: hide the window
    RandomApply,   ///< Space
    PreviousApply, ///< Page Up, Up arrow
    NextApply,     ///< Page Down, Down arrow
    Last,          ///< End
    First,         ///< Home
    Previous,      ///< Left arrow
    Next,          ///< Right arrow
    Delete,        ///< Delete: remove the current entry
    About,         ///< F1
};

/// The action of a Qt key (Qt::Key), or none for keys the window ignores.
std::optional<MainKey> mainKeyFor(int qtKey);
