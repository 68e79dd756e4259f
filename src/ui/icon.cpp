#include "icon.h"

#include <QString>

namespace lumivar {

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/lumivar/lumivar.xpm"));
}

} // namespace lumivar
