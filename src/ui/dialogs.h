// The program's message boxes.
#pragma once

#include <QMessageBox>

#include <functional>
#include <string>

class QWidget;

/// "Do you realy want to exit?" with OK and Cancel; true on OK.
bool askExit(QWidget* owner);

/// The question asked before the picture file at `path` is deleted.
std::string deleteQuestion(const std::string& path);

/// Asks deleteQuestion(path) with OK and Cancel; true on OK.
bool askDeleteFile(QWidget* owner, const std::string& path);

/// Shows a message box captioned "Quorvane" over `owner` and returns at once:
/// it keeps the rest of the program's windows out until answered, then
/// deletes itself and hands `answered` the button pressed (Escape and the
/// close box press Cancel where there is one).
QMessageBox* showMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                         QMessageBox::StandardButtons buttons,
                         QMessageBox::StandardButton defaultButton,
                         std::function<void(QMessageBox::StandardButton)> answered = {});

/// The standard error box for an error that no handler caught.
void showErrorBox(QWidget* owner, const std::string& text);

/// The same box, opened without waiting for it: it shows application-modal,
/// this returns at once and the box deletes itself when it is closed.
void openErrorBox(QWidget* owner, const std::string& text);

/// "The program is already running", a plain message with a single OK.
void showAlreadyRunning(const std::string& caption);

/// Says that the program does not start because it cannot make sure that no
/// other copy runs, with the reason `problem`; a single OK.
void showCannotStart(const std::string& caption, const std::string& problem);
