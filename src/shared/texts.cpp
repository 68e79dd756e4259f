// The program's messages put together from their parts.
#include "texts.h"

#include "plot/compat.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace lumivar {

namespace {

std::string_view faultName(PlotFault fault)
{
    switch (fault) {
    case PlotFault::Overflow:
        return "overflow: un valore è troppo grande";
    case PlotFault::DivisionByZero:
        return "divisione per zero";
    case PlotFault::InvalidOperation:
        return "operazione non valida";
    case PlotFault::None:
        break;
    }
    return {};
}

// Six significant digits with the Italian decimal comma.
std::string italianNumber(double value)
{
    std::array<char, 32> text{};
    const int length = std::snprintf(text.data(), text.size(), "%.6g", value);
    std::string number(text.data(), static_cast<std::size_t>(length > 0 ? length : 0));
    compat::ranges::replace(number, '.', ',');
    return number;
}

} // namespace

std::string plotFaultMessage(PlotFault fault, float abscissa)
{
    return "Errore di calcolo (" + std::string(faultName(fault)) + ") per x = " + italianNumber(abscissa)
           + ".\nIl disegno della curva è stato interrotto; i punti già tracciati restano sul piano.";
}

std::string printFailureMessage(const PrintFailure& failure)
{
    const std::string named = "La stampante \"" + failure.printer + "\" ";
    const std::string unchanged = "il disegno non è stato modificato.";
    const std::string unchangedSentence = "Il disegno non è stato modificato.";
    std::string message;
    switch (failure.problem) {
    case PrintProblem::NoPrinter:
        message =
            "Nessuna stampante predefinita disponibile.\nConfigurare una stampante e riprovare: " + unchanged;
        break;
    case PrintProblem::ServiceSilent:
        message = "Il servizio di stampa non risponde.\nRiprovare più tardi: " + unchanged;
        break;
    case PrintProblem::NotAccepting:
        message = named + "non accetta lavori di stampa.\n" + unchangedSentence;
        break;
    case PrintProblem::PrinterStopped:
        message = named + "è ferma.\nRiattivarla e riprovare: " + unchanged;
        break;
    case PrintProblem::Refused:
        message = named + "ha rifiutato la stampa.\n" + unchangedSentence;
        break;
    case PrintProblem::PageNotPrepared:
        message = "Impossibile preparare la pagina da stampare.\n" + unchangedSentence;
        break;
    case PrintProblem::ServiceStopped:
        message = "Il servizio di stampa (spooler) non è in esecuzione.\nAvviarlo, o chiedere a chi "
                  "amministra il computer, e riprovare: "
                  + unchanged;
        break;
    case PrintProblem::AccessDenied:
        message = named + "non permette a questo utente di stampare.\n" + unchangedSentence;
        break;
    case PrintProblem::ServiceSlow:
        message = "Il servizio di stampa non ha ancora preso la stampa.\nPartirà appena il servizio "
                  "risponde; se non potrà essere stampata, un messaggio lo dirà.";
        break;
    case PrintProblem::StillPrinting:
        message = "La stampa precedente non è ancora stata consegnata al servizio di stampa.\nAttendere "
                  "che lo sia, poi riprovare.";
        break;
    }
    std::string_view serviceReason = failure.serviceReason;
    while (!serviceReason.empty() && (serviceReason.back() == '.' || serviceReason.back() == ' ')) {
        serviceReason.remove_suffix(1);
    }
    if (!serviceReason.empty()) {
        message += "\n(Risposta del servizio di stampa: " + std::string(serviceReason) + ".)";
    }
    return message;
}

} // namespace lumivar
