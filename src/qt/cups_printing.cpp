// Printing through CUPS, built as a module of its own and loaded at the first print.
#include "cups_printing.h"
#include "print_failure.h"

#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QTemporaryDir>

#include <cups/cups.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace lumivar {

namespace {

// A print server that does not answer within this time is taken as gone,
// for connecting and for every answer it owes.
constexpr int kPrintServerTimeoutSeconds = 4;
constexpr int kMillisecondsPerSecond = 1000;

struct ConnectionCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, ConnectionCloser>;

struct DestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};

struct DestInfoDeleter {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};

struct Options {
    int count = 0;
    cups_option_t* values = nullptr;
    Options() = default;
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;
    ~Options() { cupsFreeOptions(count, values); }
    void set(const char* name, const char* value) { count = cupsAddOption(name, value, count, &values); }
    void remove(const char* name) { count = cupsRemoveOption(name, count, &values); }
};

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

Connection connectToServer()
{
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                kPrintServerTimeoutSeconds * kMillisecondsPerSecond, nullptr);
    if (http != nullptr) {
        // Returning 0 gives up the wait: a server that hangs is not waited for.
        httpSetTimeout(
            http, kPrintServerTimeoutSeconds, [](http_t*, void*) { return 0; }, nullptr);
    }
    return Connection(http);
}

// Whether the last request failed because the server went silent or away,
// rather than because it answered no.
bool serverLost(http_t* http)
{
    const ipp_status_t status = cupsLastError();
    return httpError(http) != 0 || status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE
           || status == IPP_STATUS_ERROR_INTERNAL;
}

// What a failed request means: a server that went silent or away, or else
// the problem that its answer tells.
PrintProblem unlessLost(http_t* http, PrintProblem answered)
{
    return serverLost(http) ? PrintProblem::ServiceSilent : answered;
}

struct PaperSize {
    int width = 0; // hundredths of a millimetre, as CUPS counts
    int length = 0;
};

// A paper's size from any of its names: a standard (PWG) one, a legacy one
// ("A4") or a PPD one ("Letter").
std::optional<PaperSize> paperNamed(const char* name)
{
    if (name == nullptr || *name == '\0' || std::strcmp(name, "auto") == 0) {
        return std::nullopt;
    }
    const pwg_media_t* paper = pwgMediaForPWG(name);
    if (paper == nullptr) {
        paper = pwgMediaForLegacy(name);
    }
    if (paper == nullptr) {
        paper = pwgMediaForPPD(name);
    }
    return paper != nullptr ? std::optional(PaperSize{paper->width, paper->length}) : std::nullopt;
}

// The paper of about this size as the printer lists it: its exact size and
// its printable margins, the widest where it lists the size more than once;
// without margins when it does not list it. The printer's list is read
// entry by entry: libcups's own search by size may answer with the largest
// custom size a printer allows.
cups_size_t printersPaper(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, PaperSize wanted)
{
    constexpr int kSameSize = 100; // a millimetre: printer descriptions round their sizes
    const auto margins = [](const cups_size_t& size) {
        return size.left + size.right + size.top + size.bottom;
    };
    std::optional<cups_size_t> found;
    const int count = cupsGetDestMediaCount(http, dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
    for (int i = 0; i < count; ++i) {
        cups_size_t size{};
        if (cupsGetDestMediaByIndex(http, dest, info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size) != 0
            && std::abs(size.width - wanted.width) <= kSameSize
            && std::abs(size.length - wanted.length) <= kSameSize
            && (!found || margins(size) > margins(*found))) {
            found = size;
        }
    }
    if (!found) {
        found = cups_size_t{};
        found->width = wanted.width;
        found->length = wanted.length;
    }
    return *found;
}

// The paper the job will print on, and the name the job gives it: the
// user's choice for the destination (its media or PageSize option, an
// instance's included), in the user's own word; else the queue's default,
// with no name, for the server applies its default by itself.
std::optional<cups_size_t> jobPaper(http_t* http, cups_dest_t* dest, cups_dinfo_t* info)
{
    for (const char* option : {"media", "PageSize"}) {
        const char* name = cupsGetOption(option, dest->num_options, dest->options);
        if (const auto chosen = paperNamed(name)) {
            cups_size_t paper = printersPaper(http, dest, info, *chosen);
            std::snprintf(paper.media, sizeof paper.media, "%s", name);
            return paper;
        }
    }
    std::optional<PaperSize> standing;
    if (ipp_attribute_t* media = cupsFindDestDefault(http, dest, info, "media")) {
        standing = paperNamed(ippGetString(media, 0, nullptr));
    }
    if (ipp_attribute_t* collection = cupsFindDestDefault(http, dest, info, "media-col");
        !standing && collection != nullptr) {
        ipp_t* media = ippGetCollection(collection, 0);
        ipp_attribute_t* dimensions = ippFindAttribute(media, "media-size", IPP_TAG_BEGIN_COLLECTION);
        ipp_t* sizes = dimensions != nullptr ? ippGetCollection(dimensions, 0) : nullptr;
        ipp_attribute_t* width =
            sizes != nullptr ? ippFindAttribute(sizes, "x-dimension", IPP_TAG_INTEGER) : nullptr;
        ipp_attribute_t* length =
            sizes != nullptr ? ippFindAttribute(sizes, "y-dimension", IPP_TAG_INTEGER) : nullptr;
        if (width != nullptr && length != nullptr) {
            standing = PaperSize{ippGetInteger(width, 0), ippGetInteger(length, 0)};
        }
    }
    if (!standing) {
        return std::nullopt;
    }
    cups_size_t paper = printersPaper(http, dest, info, *standing);
    paper.media[0] = '\0';
    return paper;
}

QPageLayout pageLayout(const cups_size_t& paper)
{
    constexpr double kMillimetresPerCupsUnit = 0.01;
    // Exactly the printer's size: a near standard one would be fitted to it again.
    const QPageSize page(QSizeF(paper.width, paper.length) * kMillimetresPerCupsUnit, QPageSize::Millimeter,
                         {}, QPageSize::ExactMatch);
    const QMarginsF margins =
        QMarginsF(paper.left, paper.top, paper.right, paper.bottom) * kMillimetresPerCupsUnit;
    return {page, QPageLayout::Portrait, margins, QPageLayout::Millimeter};
}

// One Print-Job request carries the job and its page together, so a server
// lost on the way leaves no job without its page.
std::optional<PrintFailure> submitJob(http_t* http, const cups_dest_t& dest, const Options& options,
                                      const QString& pdf, const QString& jobTitle)
{
    const QString name = QString::fromLocal8Bit(dest.name);
    std::array<char, HTTP_MAX_URI> uri{};
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri.data(), static_cast<int>(uri.size()), "ipp", nullptr,
                     "localhost", ippPort(), "/printers/%s", dest.name);
    const QByteArray resource = QByteArrayLiteral("/printers/") + QByteArray(dest.name);
    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.data());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 jobTitle.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, "application/pdf");
    cupsEncodeOptions2(request, options.count, options.values, IPP_TAG_OPERATION);
    cupsEncodeOptions2(request, options.count, options.values, IPP_TAG_JOB);
    // The request is consumed by the call.
    const Ipp response(cupsDoFileRequest(http, request, resource.constData(), pdf.toLocal8Bit().constData()));
    if (cupsLastError() <= IPP_STATUS_OK_CONFLICTING) {
        return std::nullopt;
    }
    if (!response && serverLost(http)) {
        return printFailure(PrintProblem::ServiceSilent);
    }
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS) {
        return printFailure(PrintProblem::NotAccepting, name);
    }
    return printFailure(PrintProblem::Refused, name, QString::fromUtf8(cupsLastErrorString()));
}

// Qt's own CUPS back end drops the answer of the print server, so a refused
// job would look printed. The page goes to a PDF file that is submitted here,
// where the server's answer can be read.
std::optional<PrintFailure> printThroughCups(const PageRenderer& render, const QString& jobTitle)
{
    const Connection http = connectToServer();
    if (!http) {
        return printFailure(PrintProblem::ServiceSilent);
    }
    const std::unique_ptr<cups_dest_t, DestDeleter> dest(cupsGetNamedDest(http.get(), nullptr, nullptr));
    if (!dest) {
        return printFailure(unlessLost(http.get(), PrintProblem::NoPrinter));
    }
    const QString name = QString::fromLocal8Bit(dest->name);
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    if (accepting != nullptr && QLatin1String(accepting) == QLatin1String("false")) {
        return printFailure(PrintProblem::NotAccepting, name);
    }
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    if (state != nullptr && QByteArray(state).toInt() == IPP_PSTATE_STOPPED) {
        return printFailure(PrintProblem::PrinterStopped, name);
    }
    const std::unique_ptr<cups_dinfo_t, DestInfoDeleter> info(cupsCopyDestInfo(http.get(), dest.get()));
    if (!info) {
        return printFailure(unlessLost(http.get(), PrintProblem::PageNotPrepared));
    }
    const auto paper = jobPaper(http.get(), dest.get(), info.get());
    if (!paper) {
        return printFailure(unlessLost(http.get(), PrintProblem::PageNotPrepared));
    }

    QTemporaryDir folder;
    if (!folder.isValid()) {
        return printFailure(PrintProblem::PageNotPrepared);
    }
    const QString pdf = folder.filePath(QStringLiteral("lumivar.pdf"));
    if (!render(pageLayout(*paper), pdf)) {
        return printFailure(PrintProblem::PageNotPrepared);
    }
    // The destination's options, the user's own defaults for it included,
    // go with the job as lp(1) sends them; the paper is named once, as the
    // one the page was laid out on, so that the two cannot differ.
    Options options;
    for (int i = 0; i < dest->num_options; ++i) {
        options.set(dest->options[i].name, dest->options[i].value);
    }
    options.remove("PageSize");
    options.remove("media");
    if (paper->media[0] != '\0') {
        options.set("media", paper->media);
    }
    return submitJob(http.get(), *dest, options, pdf, jobTitle);
}

} // namespace

} // namespace lumivar

extern "C" Q_DECL_EXPORT void lumivarPrintThroughCups(const lumivar::PageRenderer* render,
                                                      const QString* jobTitle,
                                                      std::optional<lumivar::PrintFailure>* outcome)
{
    *outcome = lumivar::printThroughCups(*render, *jobTitle);
}
