#include "icon.h"

#include <QPixmap>
#include <QString>

namespace lumivar {

QIcon programIcon()
{
    // Larger sizes are the 32 x 32 picture with its pixels repeated, so the
    // wave stays sharp on high-density screens instead of being smoothed.
    const QPixmap picture(QStringLiteral(":/lumivar/lumivar.xpm"));
    QIcon icon(picture);
    for (const int size : {48, 64, 96, 128}) {
        icon.addPixmap(picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    return icon;
}

} // namespace lumivar
