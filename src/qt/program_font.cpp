#include "program_font.h"

#include "utf8.h"

#include <QString>
#include <QStringList>

namespace lumivar {

namespace {

void installSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    QFont::insertSubstitutions(QStringLiteral("Book Antiqua"),
                               {QStringLiteral("Palatino Linotype"), QStringLiteral("TeX Gyre Pagella"),
                                QStringLiteral("P052"), QStringLiteral("URW Palladio L"),
                                QStringLiteral("DejaVu Serif"), QStringLiteral("Serif")});
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
