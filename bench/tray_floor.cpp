// The least a Qt Widgets tray program can be: one icon in the tray, nothing else. The floor
// that Quillory's start-up time and memory are measured against.
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter(&pixmap).fillRect(3, 2, 10, 12, Qt::white);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.show();
    return application.exec();
}
