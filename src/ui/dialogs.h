// The program's message boxes.
#pragma once

#include <string>

class QWidget;

/// "Do you realy want to exit?" with OK and Cancel; true on OK.
bool AskExit(QWidget* owner);

/// The question asked before the picture file at `path` is deleted.
std::string DeleteQuestion(const std::string& path);

/// Asks DeleteQuestion(path) with OK and Cancel; true on OK.
bool AskDeleteFile(QWidget* owner, const std::string& path);

/// The standard error box for an error that no handler caught.
void ShowErrorBox(QWidget* owner, const std::string& text);

/// "The program is already running", a plain message with a single OK.
void ShowAlreadyRunning(const std::string& caption);

/// Says that the program does not start because it cannot make sure that no
/// other copy runs, with the reason `problem`; a single OK.
void ShowCannotStart(const std::string& caption, const std::string& problem);
