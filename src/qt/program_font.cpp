// The designed fonts, or the stand-ins installed with the program where the machine lacks them.
#include "program_font.h"

#include "utf8.h"

#include <QString>
#include <QStringList>

namespace lumivar {

namespace {

void installSubstitutes()
{
    for (const FontRequest& request : {kSansSerif825, kBookAntiqua975}) {
        QStringList standIns;
        for (const StandIn& standIn : standInsFor(request)) {
            if (standsInOn(standIn, false)) {
                standIns.append(fromUtf8(standIn.family));
            }
        }
        standIns.append(isSerif(request) ? QStringLiteral("Serif") : QStringLiteral("Sans Serif"));
        QFont::insertSubstitutions(fromUtf8(request.family), standIns);
    }
}

} // namespace

QFont programFont(FontRequest request)
{
    static const bool substitutesInstalled = (installSubstitutes(), true);
    (void)substitutesInstalled;

    QFont font(fromUtf8(request.family));
    font.setPointSizeF(request.pointSize);
    font.setWeight(QFont::Normal);
    font.setStyleHint(isSerif(request) ? QFont::Serif : QFont::SansSerif);
    return font;
}

} // namespace lumivar
