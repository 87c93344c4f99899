// The whole program in-process on the offscreen platform: a private home
// (see TempHome), the application object started in it, and its windows'
// controls found by their names.
#pragma once

#include "app/application.h"
#include "support/recording_wallpaper.h"
#include "support/temphome.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

class AppTest : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        recording_wallpaper::reset();
    }
    void TearDown() override {
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    /// Creates and starts the application (its start-up runs here).
    Application& startApp() {
        m_app = std::make_unique<Application>("Quorvane", "Quorvane");
        m_app->start();
        return *m_app;
    }

    MainWindow& mainWindow() const { return *m_app->mainWindow(); }
    ProgramState& s() const { return m_app->state(); }
    Collection& c() const { return m_app->collection(); }

    /// A control of the main window by its name.
    template <typename T = QWidget> T* control(const char* name) const {
        return mainWindow().findChild<T*>(QLatin1String(name));
    }
    QString label(const char* name) const { return control<QLabel>(name)->text(); }

    /// Runs the event loop until no thumbnail job runs and the chain is idle.
    bool waitIdle(int timeoutMs = 120000) {
        return QTest::qWaitFor([this] { return m_app->thumbnails().idle(); }, timeoutMs);
    }

    /// Answers the next modal message box with `button` once it shows;
    /// `whileOpen` runs first, while the box is open. It looks every 10 ms
    /// without blocking, so it finds the box in whatever event loop shows it.
    static void answerNextBox(QMessageBox::StandardButton button, QString* text = nullptr,
                              std::function<void()> whileOpen = {}) {
        auto* poll = new QTimer(qApp);
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [=, tries = 0]() mutable {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                if (++tries > 1000)
                    poll->deleteLater();
                return;
            }
            poll->stop();
            poll->deleteLater();
            if (text)
                *text = box->text();
            if (whileOpen)
                whileOpen();
            box->button(button)->click();
        });
        poll->start();
    }

    std::unique_ptr<Application> m_app;
};
