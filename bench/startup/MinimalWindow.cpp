// The floor of the start-up benchmark: the least a Qt Widgets program does
// to put a window on the screen, an application object and one shown main
// window with a title.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal Qt window"));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
