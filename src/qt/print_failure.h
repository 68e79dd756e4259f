// A print failure as the shared texts word it, from Qt's strings: for the
// printing code and for the CUPS module alike.
#pragma once

#include "shared/texts.h"

#include <QString>

namespace lumivar {

[[nodiscard]] inline PrintFailure printFailure(PrintProblem problem, const QString& printer = {},
                                               const QString& serviceReason = {})
{
    return {problem, printer.toStdString(), serviceReason.toStdString()};
}

} // namespace lumivar
