// The least a Qt Widgets program in the notification area takes: an application, a tray
// icon and a window of the main window's size that stays hidden. bench_startup measures the
// program's idle memory against this one under the same tray host.
#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap picture(32, 32);
    picture.fill(QColor(40, 110, 200));
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();
    QWidget window;
    window.resize(800, 480);
    window.winId(); // a native window, as the program's main window has, never shown
    return QApplication::exec();
}
