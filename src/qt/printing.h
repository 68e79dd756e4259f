// "Stampa" on Linux, and where a window lies on a page.
#pragma once

#include "shared/texts.h"

#include <QPicture>
#include <QRect>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QWidget;

namespace lumivar {

// Where a window of this size lies on a page: as large as fits, aspect
// ratio kept, centred.
[[nodiscard]] QRect fittedOnPage(QSize window, const QRect& page);

// The window as a picture of lines and text: its controls draw themselves
// into it, so that a printer draws them again at its own resolution.
[[nodiscard]] QPicture recordWindow(QWidget& window);

// Draws a recorded window of this size on the device's first page, fitted
// into its printable area. False when the device could not be opened.
bool drawPage(QPagedPaintDevice& device, const QPicture& window, QSize windowSize);

// Records the window and draws it on the page.
bool renderPage(QPagedPaintDevice& device, QWidget& window);

// Sends the window to the default printer on one page, on the paper the
// printer will print it on. Returns what went wrong, or nothing once the
// printer has accepted the job. The windows keep being painted while the
// print server is asked; user input waits.
[[nodiscard]] std::optional<PrintFailure> printOnDefaultPrinter(QWidget& window, const QString& jobTitle);

} // namespace lumivar
