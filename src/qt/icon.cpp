// The program's icon, from the XPM that both windows carry.
#include "icon.h"

#include <QPixmap>

namespace xpm {
// Compiled in: read by Qt's own XPM reader, with no image plugin probed.
#include "lumivar.xpm"
} // namespace xpm

namespace lumivar {

QIcon programIcon()
{
    // Larger sizes are the 32 x 32 picture with its pixels repeated, so the
    // wave stays sharp on high-density screens instead of being smoothed.
    static const QIcon icon = [] {
        const QPixmap picture(xpm::lumivar);
        QIcon made(picture);
        for (const int size : {48, 64, 96, 128}) {
            made.addPixmap(picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
        return made;
    }();
    return icon;
}

} // namespace lumivar
