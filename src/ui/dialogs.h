// The program's message boxes. Each opens without waiting for its answer:
// it shows modal to the whole program, deletes itself once closed and hands
// its answer to a callback.
#pragma once

#include <QMessageBox>

#include <functional>
#include <string>

class QWidget;

/// A yes-or-no answer: true for OK, false for Cancel, Escape and the close box.
using Answer = std::function<void(bool)>;

/// Asks "Do you realy want to exit?" with OK (the default) and Cancel over
/// the active window (`owner` when none is) and returns the box at once.
/// `answer` runs in `owner`'s context: never once `owner` is gone.
QMessageBox* askExit(QWidget* owner, Answer answer);

/// The question asked before the picture file at `path` is deleted.
std::string deleteQuestion(const std::string& path);

/// Asks deleteQuestion(path) with OK (the default) and Cancel, as askExit does.
QMessageBox* askDeleteFile(QWidget* owner, const std::string& path, Answer answer);

/// Shows a message box captioned "Quorvane" over `owner` and returns at once:
/// it keeps the rest of the program's windows out until answered, then
/// deletes itself and hands `answered` the button pressed (Escape and the
/// close box press Cancel where there is one). `answered` runs in `owner`'s
/// context: never once `owner` is gone.
QMessageBox* showMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                         QMessageBox::StandardButtons buttons,
                         QMessageBox::StandardButton defaultButton,
                         std::function<void(QMessageBox::StandardButton)> answered = {});

/// The standard error box for an error that no handler caught, captioned
/// with the application's name, over the active window (`owner` when none
/// is); returns at once.
QMessageBox* showErrorBox(QWidget* owner, const std::string& text);

/// "The program is already running", a plain message with a single OK;
/// returns at once, the box's `finished` tells when it was answered.
QMessageBox* showAlreadyRunning(const std::string& caption);

/// Says that the program does not start because it cannot make sure that no
/// other copy runs, with the reason `problem`; a single OK. Returns at once,
/// as showAlreadyRunning does.
QMessageBox* showCannotStart(const std::string& caption, const std::string& problem);
