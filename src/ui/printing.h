#pragma once

#include <QRect>
#include <QString>

#include <optional>

class QPrinter;
class QWidget;

namespace lumivar {

// Where a window of this size lies on a page: as large as fits, aspect
// ratio kept, centred.
[[nodiscard]] QRect fittedOnPage(QSize window, const QRect& page);

// Draws the window on the printer's first page, fitted. Its controls are
// drawn by themselves at the printer's resolution, so their texts stay
// text. False when the printer could not be opened for drawing.
bool renderPage(QPrinter& printer, QWidget& window);

// Sends the window to the default printer on one page. Returns an Italian
// account of what went wrong, or nothing once the printer has accepted the job.
[[nodiscard]] std::optional<QString> printWindow(QWidget& window, const QString& jobTitle);

} // namespace lumivar
