// Writes the program's XPM icon as the PNG that desktop icon themes want.
#include <QGuiApplication>
#include <QImage>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        return 2;
    }
    const QImage icon(QString::fromLocal8Bit(argv[1]));
    return !icon.isNull() && icon.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
