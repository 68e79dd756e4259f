#include "help_window.h"

#include "fonts.h"
#include "icon.h"
#include "window_hints.h"

#include <QEvent>
#include <QLabel>

namespace lumivar {

QString helpText()
{
    return QStringLiteral(
        "Questo programma simula un'ipotetica variazione periodica della luce di una stella qualsiasi. "
        "Per farlo mostra un grafico il cui asse orizzontale porta valori numerici che si possono leggere, "
        "di volta in volta, come unità di tempo quali ore, giorni o mesi, e il cui asse verticale porta "
        "valori di magnitudine stellare. "
        "La casella \"Valore di partenza del periodo\" sposta la curva di luce in senso orizzontale, "
        "ovvero la fa iniziare nell'istante che si desidera. "
        "La casella \"frequenza\" stabilisce il tempo che la curva di luce impiega a compiere un periodo: "
        "più alto è il valore, più breve è il periodo. "
        "La casella \"Oscillazione massima in magnitudine\" stabilisce la massima variazione di magnitudine "
        "della stella, tra il suo massimo e il suo minimo di luce. "
        "La casella \"Valore medio magnitudine\" sposta il grafico in senso verticale, così che si collochi "
        "nell'intervallo di magnitudini entro il quale varia la stella variabile che si vuole studiare. "
        "Per ricostruire la curva di luce di una stella variabile gli astronomi si servono di pesanti "
        "analisi matematiche, che tengono occupati i calcolatori anche per giorni interi. "
        "Questo semplice programma si propone soltanto di permettere un'analisi veloce e approssimativa "
        "del periodo di una stella variabile. "
        "Lumivar è stato scritto dai suoi autori unicamente a scopo divulgativo, per chi si avvicina "
        "all'astronomia delle stelle variabili.");
}

// An ordinary top-level window, not a dialog: a dialog without a parent is
// transient for the whole application, and window managers keep it above
// the main window. Fixed frame, a close box and nothing else.
Dialog::Dialog(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Aiuto"));
    setWindowIcon(programIcon());
    const QRect client = toPixels(kDialogClientTwips);
    setGeometry(client);
    setFixedSize(client.size());

    auto* label = new QLabel(helpText(), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(programFont(kSansSerif12));
    label->setGeometry(toPixels(kDialogLabelTwips));
    label->setAccessibleName(QStringLiteral("Testo di aiuto"));
}

void Dialog::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Some window managers let a window be minimised whatever it asks; a
    // minimised help window is listed in the task bar, or nothing would
    // bring it back.
    if (event->type() == QEvent::WindowStateChange && isVisible()) {
        keepOutOfTaskbar(*this, !isMinimized());
    }
}

} // namespace lumivar
