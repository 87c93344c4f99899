#include "ui/dialogs.h"

#include "platform/paths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

namespace {

QWidget* ownerOf(QWidget* fallback) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : fallback;
}

/// A box modal to the whole program that deletes itself once closed, shown
/// at once; `answered` gets the button pressed (none when the box was closed
/// otherwise) in `context`'s lifetime.
QMessageBox* openBox(QWidget* parent, const QObject* context, QMessageBox::Icon icon,
                     const QString& caption, const QString& text,
                     QMessageBox::StandardButtons buttons,
                     QMessageBox::StandardButton defaultButton,
                     std::function<void(QMessageBox::StandardButton)> answered) {
    auto* box = new QMessageBox(icon, caption, text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    if (answered)
        QObject::connect(box, &QMessageBox::finished, context ? context : box,
                         [box, answered = std::move(answered)] {
                             answered(box->standardButton(box->clickedButton()));
                         });
    box->show();
    return box;
}

QMessageBox* askOkCancel(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                         Answer answer) {
    return openBox(ownerOf(owner), owner, icon, QStringLiteral("Quorvane"), text,
                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok,
                   [answer = std::move(answer)](QMessageBox::StandardButton pressed) {
                       if (answer)
                           answer(pressed == QMessageBox::Ok);
                   });
}

} // namespace

QMessageBox* askExit(QWidget* owner, Answer answer) {
    return askOkCancel(owner, QMessageBox::Question,
                       QCoreApplication::translate("Dialogs", "Do you realy want to exit?"),
                       std::move(answer));
}

QMessageBox* showMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                         QMessageBox::StandardButtons buttons,
                         QMessageBox::StandardButton defaultButton,
                         std::function<void(QMessageBox::StandardButton)> answered) {
    return openBox(owner, owner, icon, QStringLiteral("Quorvane"), text, buttons, defaultButton,
                   std::move(answered));
}

std::string deleteQuestion(const std::string& path) {
    const std::string name = platform::fromFsPath(platform::toFsPath(path).filename());
    return QCoreApplication::translate("Dialogs",
                                       "Are you sure you want to delete %1?\r\n\r\nWarning: this "
                                       "action will delete this file from disk, and cannot be "
                                       "undone!")
        .arg(QString::fromStdString(name))
        .toStdString();
}

QMessageBox* askDeleteFile(QWidget* owner, const std::string& path, Answer answer) {
    return askOkCancel(owner, QMessageBox::Information, QString::fromUtf8(deleteQuestion(path)),
                       std::move(answer));
}

QMessageBox* showErrorBox(QWidget* owner, const std::string& text) {
    return openBox(ownerOf(owner), owner, QMessageBox::Critical,
                   QApplication::applicationDisplayName(), QString::fromUtf8(text), QMessageBox::Ok,
                   QMessageBox::NoButton, {});
}

QMessageBox* showAlreadyRunning(const std::string& caption) {
    return openBox(nullptr, nullptr, QMessageBox::NoIcon, QString::fromUtf8(caption),
                   QCoreApplication::translate("Dialogs", "The program is already running"),
                   QMessageBox::Ok, QMessageBox::NoButton, {});
}

QMessageBox* showCannotStart(const std::string& caption, const std::string& problem) {
    // The reason comes from the system and stays as it is.
    const QString text =
        QCoreApplication::translate("Dialogs", "The program does not start: it cannot make "
                                               "sure that no other copy of it runs.") +
        QStringLiteral("\n\n") + QString::fromStdString(problem);
    return openBox(nullptr, nullptr, QMessageBox::Critical, QString::fromUtf8(caption), text,
                   QMessageBox::Ok, QMessageBox::NoButton, {});
}
