// The program's own Italian texts.
#pragma once

#include "plot/light_curve.h"

#include <cstdint>
#include <string>
#include <string_view>

// The program's own Italian texts, in UTF-8, for every front-end.
namespace lumivar {

// The help text: what the program simulates and what each box does.
inline constexpr std::string_view kHelpText =

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
    "all'astronomia delle stelle variabili.";

// "Aiuto" could not open its window: on the desktop, for want of resources;
// in a browser, most often because it blocks pop-ups.
inline constexpr std::string_view kHelpNotOpenedMessage =
    "Impossibile aprire la finestra di aiuto.\nChiudere qualche finestra e riprovare.";
inline constexpr std::string_view kHelpBlockedMessage =
    "Impossibile aprire la finestra di aiuto.\nSe il browser blocca le finestre a comparsa, consentirle per "
    "questo programma; altrimenti chiudere qualche finestra e riprovare.";

// The program's main window could not be made.
inline constexpr std::string_view kWindowNotOpenedMessage = "Impossibile aprire la finestra del programma.";

// Started with no screen to show the window on.
inline constexpr std::string_view kNoDisplayMessage = "Lumivar ha bisogno di una sessione grafica: nessuno "
                                                      "schermo raggiungibile (DISPLAY e WAYLAND_DISPLAY non "
                                                      "sono impostate).";

// DISPLAY or WAYLAND_DISPLAY is set, but no display server answers there.
inline constexpr std::string_view kDisplayNotAnsweringMessage =
    "Lumivar ha bisogno di una sessione grafica: lo schermo indicato da DISPLAY o WAYLAND_DISPLAY non "
    "risponde.";

// Only a Wayland compositor answers, and Qt's support for it is missing.
inline constexpr std::string_view kNoWaylandSupportMessage =
    "Lumivar ha bisogno di una sessione grafica: c'è solo Wayland, e il supporto di Qt per Wayland "
    "(pacchetto qt6-wayland) non è installato.";

// A fault the program did not foresee: it ends rather than go on in a state
// nobody knows.
inline constexpr std::string_view kCannotGoOnMessage =
    "Si è verificato un errore imprevisto: Lumivar non può continuare e verrà chiuso.";

// The printing module is not installed beside the program; its name follows.
inline constexpr std::string_view kPrintModuleMissing = "modulo di stampa assente:";

// The close box of a window that draws its own title bar, to a screen reader.
inline constexpr std::string_view kCloseBoxName = "Chiudi la finestra";

// What a browser tab shows once the program has ended in it, where the page
// may not close its own tab.
inline constexpr std::string_view kEndedInTabMessage = "Lumivar è terminato: si può chiudere questa scheda.";

// A plot that stopped on an arithmetic fault at this abscissa.
[[nodiscard]] std::string plotFaultMessage(PlotFault fault, float abscissa);

// What can keep a page from being printed.
enum class PrintProblem : std::uint8_t {
    NoPrinter,       // no default printer
    ServiceSilent,   // the print service does not answer, or went away
    NotAccepting,    // the printer refuses new jobs
    PrinterStopped,  // the printer is stopped
    Refused,         // the printer answered no to the job
    PageNotPrepared, // the page could not be drawn
    ServiceStopped,  // the print service is not running
    AccessDenied,    // the user may not print there
    // Not failures: the job goes on, or an earlier one still does.
    ServiceSlow,   // the print service has not taken the job yet
    StillPrinting, // the last job is still being handed over
};

// A print that did not happen, or has not yet: the problem, the printer it concerns and the
// print service's own words, where it gave any.
struct PrintFailure {
    PrintProblem problem = PrintProblem::PageNotPrepared;
    std::string printer;
    std::string serviceReason;
};

// Names a print service's error by its number, where it has no words for it.
inline constexpr std::string_view kErrorNumberWord = "errore";

// The message for a print that did not happen. The print service's own
// words, where they help, follow as a detail: they may be in another
// language, and are quoted as given, less a closing full stop of their own.
[[nodiscard]] std::string printFailureMessage(const PrintFailure& failure);

} // namespace lumivar
