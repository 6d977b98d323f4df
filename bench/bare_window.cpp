// A bare Qt window of the main window's size: what start-up costs before Quorvel adds anything.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(717, 698);
    window.show();
    return application.exec();
}
