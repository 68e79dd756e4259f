// The CUPS printing module's interface, as the program loads it.
#pragma once

#include "shared/texts.h"

#include <QString>

#include <functional>
#include <optional>

class QPageLayout;

namespace lumivar {

// Draws the page, laid out as given, into a PDF file; false on failure.
using PageRenderer = std::function<bool(const QPageLayout& layout, const QString& pdf)>;

// Printing through CUPS, in a module of its own: libcups and what it loads
// (TLS, Kerberos, service discovery) would otherwise cost every start-up.
// Asks the default destination for its paper, has the page rendered on it
// and submits it; the outcome is nothing once the server accepted the job.
using PrintThroughCups = void(const PageRenderer* render, const QString* jobTitle,
                              std::optional<PrintFailure>* outcome);
inline constexpr const char* kPrintThroughCupsSymbol = "lumivarPrintThroughCups";

} // namespace lumivar
