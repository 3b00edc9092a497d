#include <QFile>
#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QFile out(app.arguments().value(2));
    return out.open(QIODevice::WriteOnly) ? 0 : 1;
}
