// "Stampa" on Linux: the window drawn on the default printer's page, through the CUPS module.
#include "printing.h"

#include "print_failure.h"
#include "shared/texts.h"
#include "utf8.h"

#include <QEventLoop>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStyle>
#include <QStyleFactory>
#include <QTransform>
#include <QWidget>

#if LUMIVAR_HAVE_CUPS
#include "cups_printing.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QPageLayout>
#include <QPdfWriter>
#endif

#include <memory>
#include <thread>

namespace lumivar {

namespace {

#if LUMIVAR_HAVE_CUPS

// The CUPS half of printing, loaded the first time the user prints.
PrintThroughCups* cupsPrinting()
{
    static PrintThroughCups* const print = [] {
        for (const QString& folder :
             {QCoreApplication::applicationDirPath(),
              QCoreApplication::applicationDirPath() + QStringLiteral(LUMIVAR_MODULE_FROM_BINARY)}) {
            QLibrary module(folder + QStringLiteral("/" LUMIVAR_CUPS_MODULE));
            if (auto* found = reinterpret_cast<PrintThroughCups*>(module.resolve(kPrintThroughCupsSymbol))) {
                return found;
            }
        }
        return static_cast<PrintThroughCups*>(nullptr);
    }();
    return print;
}

#endif

// Runs the work on a thread of its own while the windows go on being
// painted; the user's input waits until it is done, as for any command.
template <typename Work> auto withoutFreezing(Work work)
{
    decltype(work()) result;
    QEventLoop loop;
    std::thread worker([&] {
        result = work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    return result;
}

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

QPicture recordWindow(QWidget& window)
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
    return picture;
}

bool drawPage(QPagedPaintDevice& device, const QPicture& window, QSize windowSize)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setViewport(fittedOnPage(windowSize, painter.viewport()));
    painter.setWindow(QRect(QPoint(0, 0), windowSize));
    // A picture plays back scaled from its own resolution to the device's;
    // the window above already maps it onto the page.
    painter.scale(qreal(window.logicalDpiX()) / device.logicalDpiX(),
                  qreal(window.logicalDpiY()) / device.logicalDpiY());
    // A lossy image format would fringe the curve points.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawPicture(0, 0, window);
    return painter.end();
}

bool renderPage(QPagedPaintDevice& device, QWidget& window)
{
    return drawPage(device, recordWindow(window), window.size());
}

std::optional<PrintFailure> printOnDefaultPrinter(QWidget& window, const QString& jobTitle)
{
#if LUMIVAR_HAVE_CUPS
    PrintThroughCups* const print = cupsPrinting();
    if (print == nullptr) {
        return printFailure(PrintProblem::PageNotPrepared, {},
                            fromUtf8(kPrintModuleMissing) + QStringLiteral(" " LUMIVAR_CUPS_MODULE));
    }
    const QPicture picture = recordWindow(window);
    const QSize size = window.size();
    const PageRenderer render = [&](const QPageLayout& layout, const QString& pdf) {
        QPdfWriter writer(pdf);
        writer.setTitle(jobTitle);
        writer.setPageLayout(layout);
        return drawPage(writer, picture, size);
    };
    return withoutFreezing([&] {
        std::optional<PrintFailure> outcome;
        print(&render, &jobTitle, &outcome);
        return outcome;
    });
#else
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return printFailure(PrintProblem::NoPrinter);
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobTitle);
    if (!renderPage(printer, window) || printer.printerState() == QPrinter::Error) {
        return printFailure(PrintProblem::Refused, info.printerName());
    }
    return std::nullopt;
#endif
}

} // namespace lumivar
