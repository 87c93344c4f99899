// Answering the modal dialogs that the code under test opens and waits on.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

/// Runs `action` with the modal widget of type T once it shows (a dialog
/// opened by the code under test); the test fails when none shows.
template <typename T> void whenModal(std::function<void(T*)> action) {
    QTimer::singleShot(0, [action] {
        for (int i = 0; i < 500; ++i) {
            if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
                w && w->isVisible()) {
                action(w);
                return;
            }
            QTest::qWait(10);
        }
        ADD_FAILURE() << "no modal dialog showed";
    });
}

/// The message box that the code under test showed without waiting on it
/// (the topmost modal window), or null when none shows.
inline QMessageBox* shownMessageBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box && box->isVisible() ? box : nullptr;
}

/// Lets the program run until no modal window shows any more (a modal window
/// opens without waiting); false when one still shows after `ms`.
inline bool untilModalsClosed(int ms = 10000) {
    return QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }, ms);
}
