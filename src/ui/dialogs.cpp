#include "ui/dialogs.h"

#include "platform/paths.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

namespace {

QWidget* ownerOf(QWidget* fallback) {
    QWidget* active = QApplication::activeWindow();
    return active ? active : fallback;
}

bool askOkCancel(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Quorvane"), text, QMessageBox::Ok | QMessageBox::Cancel,
                    ownerOf(owner));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

QMessageBox* newErrorBox(QWidget* owner, const std::string& text) {
    auto* box = new QMessageBox(QMessageBox::Critical, QApplication::applicationDisplayName(),
                                QString::fromUtf8(text), QMessageBox::Ok, ownerOf(owner));
    box->setTextFormat(Qt::PlainText);
    return box;
}

} // namespace

bool askExit(QWidget* owner) {
    return askOkCancel(owner, QMessageBox::Question, QStringLiteral("Do you realy want to exit?"));
}

QMessageBox* showMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                         QMessageBox::StandardButtons buttons,
                         QMessageBox::StandardButton defaultButton,
                         std::function<void(QMessageBox::StandardButton)> answered) {
    auto* box = new QMessageBox(icon, QStringLiteral("Quorvane"), text, buttons, owner);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(defaultButton);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, answered = std::move(answered)] {
        if (answered)
            answered(box->standardButton(box->clickedButton()));
    });
    box->show();
    return box;
}

std::string deleteQuestion(const std::string& path) {
    const std::string name = platform::fromFsPath(platform::toFsPath(path).filename());
    return "Are you sure you want to delete " + name +
           "?\r\n\r\nWarning: this action will delete this file from disk, and cannot be "
           "undone!";
}

bool askDeleteFile(QWidget* owner, const std::string& path) {
    return askOkCancel(owner, QMessageBox::Information, QString::fromUtf8(deleteQuestion(path)));
}

void showErrorBox(QWidget* owner, const std::string& text) {
    const std::unique_ptr<QMessageBox> box(newErrorBox(owner, text));
    box->exec();
}

void openErrorBox(QWidget* owner, const std::string& text) {
    showMessage(ownerOf(owner), QMessageBox::Critical, QString::fromUtf8(text), QMessageBox::Ok,
                QMessageBox::Ok);
}

void showAlreadyRunning(const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(caption),
                    QStringLiteral("The program is already running"), QMessageBox::Ok);
    box.exec();
}

void showCannotStart(const std::string& caption, const std::string& problem) {
    const std::string text =
        "The program does not start: it cannot make sure that no other copy of it runs.\n\n" +
        problem;
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(caption), QString::fromUtf8(text),
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
