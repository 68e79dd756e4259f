#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace lumivar {

// Sends an image to the default printer on one page, scaled to fit the
// printable area with its aspect ratio kept and centred. Returns an Italian
// account of what went wrong, or nothing once the printer has accepted the job.
[[nodiscard]] std::optional<QString> printImage(const QImage& image, const QString& jobTitle);

} // namespace lumivar
