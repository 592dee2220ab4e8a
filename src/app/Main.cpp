#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zarvex"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Zarvex"));
    window.resize(609, 465);
    window.show();
    return app.exec();
}
