// The least a Qt Widgets program in the notification area takes: an application, a tray
// icon and a window of the main window's size that stays hidden. bench_startup measures the
// program's idle memory against this one under the same tray host. With --shown the window
// shows a line of text for a moment and is hidden again: the least such a program keeps once
// it has drawn text (the fonts, their libraries and their caches stay loaded).
#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap picture(32, 32);
    picture.fill(QColor(40, 110, 200));
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();
    QWidget window;
    window.resize(800, 480);
    window.winId(); // a native window, as the program's main window has
    if (argc > 1 && std::strcmp(argv[1], "--shown") == 0) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Please, add pictures")));
        window.show();
        QTimer::singleShot(1000, &window, &QWidget::hide);
    }
    return QApplication::exec();
}
