// The baseline of the startup benchmark: a minimal Qt program that shows
// one empty window, saves its picture like `tralu --screenshot` does, and
// ends.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(710, 616);
    window.show();
    QTimer::singleShot(0, &window, [&] {
        QApplication::processEvents();
        window.grab().save(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/dev/null"),
                           "PNG");
        window.close();
    });
    return QApplication::exec();
}
