#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("Liravo"));
    placeholder.resize(430, 200);
    placeholder.show();
    return app.exec();
}
