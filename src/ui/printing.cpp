#include "printing.h"

#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStyle>
#include <QStyleFactory>
#include <QTransform>
#include <QWidget>

#if LUMIVAR_HAVE_CUPS
#include <QPageLayout>
#include <QTemporaryDir>

#include <cups/cups.h>

#endif

#include <memory>

namespace lumivar {

namespace {

QString noPrinterMessage()
{
    return QStringLiteral("Nessuna stampante predefinita disponibile.\n"
                          "Configurare una stampante e riprovare: il disegno non è stato modificato.");
}

#if LUMIVAR_HAVE_CUPS

struct DestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};

QString cupsError()
{
    return QString::fromLocal8Bit(cupsLastErrorString());
}

// The page the destination prints on by default: the user's media option
// for it, or else the printer's own default, with its printable margins.
std::optional<QPageLayout> defaultPageLayout(cups_dest_t* dest)
{
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (info == nullptr) {
        return std::nullopt;
    }
    cups_size_t size{};
    const bool found = cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) != 0;
    cupsFreeDestInfo(info);
    if (!found || size.width <= 0 || size.length <= 0) {
        return std::nullopt;
    }
    constexpr double kMillimetresPerCupsUnit = 0.01;
    const QPageSize page(QSizeF(size.width, size.length) * kMillimetresPerCupsUnit, QPageSize::Millimeter);
    const QMarginsF margins =
        QMarginsF(size.left, size.top, size.right, size.bottom) * kMillimetresPerCupsUnit;
    return QPageLayout(page, QPageLayout::Portrait, margins, QPageLayout::Millimeter);
}

// Qt's own CUPS back end drops the answer of the print server, so a refused
// job would look printed. The page goes to a PDF file that is submitted here,
// where the server's answer can be read.
std::optional<QString> printThroughCups(QWidget& window, const QString& jobTitle)
{
    const std::unique_ptr<cups_dest_t, DestDeleter> dest(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    if (!dest) {
        if (cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE) {
            return QStringLiteral("Il servizio di stampa non risponde (%1).\n"
                                  "Il disegno non è stato modificato.")
                .arg(cupsError());
        }
        return noPrinterMessage();
    }
    const QString name = QString::fromLocal8Bit(dest->name);
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    if (accepting != nullptr && QLatin1String(accepting) == QLatin1String("false")) {
        return QStringLiteral("La stampante \"%1\" non accetta lavori di stampa.\n"
                              "Il disegno non è stato modificato.")
            .arg(name);
    }
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    if (state != nullptr && QByteArray(state).toInt() == IPP_PSTATE_STOPPED) {
        return QStringLiteral("La stampante \"%1\" è ferma.\n"
                              "Riattivarla e riprovare: il disegno non è stato modificato.")
            .arg(name);
    }

    QTemporaryDir folder;
    if (!folder.isValid()) {
        return QStringLiteral("Impossibile preparare la pagina da stampare: %1.").arg(folder.errorString());
    }
    const QString pdf = folder.filePath(QStringLiteral("lumivar.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setDocName(jobTitle);
    if (const auto layout = defaultPageLayout(dest.get())) {
        printer.setPageLayout(*layout);
    }
    if (!renderPage(printer, window)) {
        return QStringLiteral("Impossibile preparare la pagina da stampare.");
    }
    // The destination's options, the user's own defaults for it included,
    // go with the job as lp(1) sends them.
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, dest->name, pdf.toLocal8Bit().constData(),
                                   jobTitle.toUtf8().constData(), dest->num_options, dest->options);
    if (job == 0) {
        return QStringLiteral("La stampante \"%1\" ha rifiutato la stampa: %2.\n"
                              "Il disegno non è stato modificato.")
            .arg(name, cupsError());
    }
    return std::nullopt;
}

#endif

} // namespace

QRect fittedOnPage(QSize window, const QRect& page)
{
    const QSize size = window.scaled(page.size(), Qt::KeepAspectRatio);
    return {page.x() + (page.width() - size.width()) / 2, page.y() + (page.height() - size.height()) / 2,
            size.width(), size.height()};
}

namespace {

// Sets the style of a window and all its controls; nullptr gives them the
// application's style back.
void styleTree(QWidget& window, QStyle* style)
{
    window.setStyle(style);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        child->setStyle(style);
    }
}

} // namespace

bool renderPage(QPrinter& printer, QWidget& window)
{
    // Rendered straight onto a printer, a widget is rasterised at the
    // screen's resolution; recorded as a picture it stays lines and text.
    QPicture picture;
    QPainter recorder(&picture);
    // Styles paint buttons and frames from pixmaps cached at the screen's
    // resolution when the painter only moves or scales; under a skew far
    // below a pixel they paint them as shapes.
    constexpr qreal kUnseenSkew = 1e-9;
    recorder.setTransform(QTransform::fromTranslate(0, 0).shear(kUnseenSkew, 0));
    // Translucent shading, which some styles draw with, makes print servers
    // turn the whole page into one picture; the classic style is solid.
    const std::unique_ptr<QStyle> solid(QStyleFactory::create(QStringLiteral("Windows")));
    if (solid) {
        styleTree(window, solid.get());
    }
    window.render(&recorder);
    recorder.end();
    if (solid) {
        styleTree(window, nullptr);
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    painter.setViewport(fittedOnPage(window.size(), painter.viewport()));
    painter.setWindow(window.rect());
    // A picture plays back scaled from its own resolution to the device's;
    // the window above already maps it onto the page.
    painter.scale(qreal(picture.logicalDpiX()) / printer.logicalDpiX(),
                  qreal(picture.logicalDpiY()) / printer.logicalDpiY());
    // A lossy image format would fringe the curve points.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawPicture(0, 0, picture);
    return painter.end();
}

std::optional<QString> printWindow(QWidget& window, const QString& jobTitle)
{
#if LUMIVAR_HAVE_CUPS
    return printThroughCups(window, jobTitle);
#else
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return noPrinterMessage();
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobTitle);
    if (!renderPage(printer, window) || printer.printerState() == QPrinter::Error) {
        return QStringLiteral("La stampante \"%1\" non ha accettato la stampa.\n"
                              "Il disegno non è stato modificato.")
            .arg(info.printerName());
    }
    return std::nullopt;
#endif
}

} // namespace lumivar
