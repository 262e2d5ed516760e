// The floors of the start-up benchmark: the least a Qt Widgets program does
// to put a window on the screen, an application object and one shown main
// window with a title; with --text, the same window showing one line of
// text, which makes the toolkit read the desktop's fonts first.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal Qt window"));
    if (QApplication::arguments().contains(QStringLiteral("--text")))
        window.setCentralWidget(new QLabel(QStringLiteral("Script:"), &window));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
