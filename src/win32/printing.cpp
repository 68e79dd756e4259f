#include "printing.h"

#include "shared/texts.h"
#include "win32.h"

#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

namespace lumivar::win32 {

namespace {

// A print system that has not finished by then is taken as not answering.
constexpr DWORD kPrintDeadlineMs = 10000;
// How long a job promised to go on is still awaited once the windows have
// closed: the process stays, unseen, no longer than that.
constexpr DWORD kAfterCloseDeadlineMs = 120000;

COLORREF toColorRef(Rgb colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

// Logical pixels of the designed window to device pixels of the page.
struct PageTransform {
    double originX = 0.0;
    double originY = 0.0;
    double scaleX = 1.0;
    double scaleY = 1.0;

    [[nodiscard]] int x(double logical) const
    {
        return static_cast<int>(std::lround(originX + logical * scaleX));
    }
    [[nodiscard]] int y(double logical) const
    {
        return static_cast<int>(std::lround(originY + logical * scaleY));
    }
    [[nodiscard]] RECT rect(double left, double top, double right, double bottom) const
    {
        return {x(left), y(top), x(right), y(bottom)};
    }
    // The resolution a font is made at so that its points come out the size
    // they are on a 96 dpi screen.
    [[nodiscard]] int fontDpi() const { return static_cast<int>(std::lround(kDesignDpi * scaleY)); }
};

// The designed area fitted into the printable area, centred.
PageTransform fitOnPage(HDC printer)
{
    const double designWidth = double(kForm1ClientTwips.width) / kTwipsPerPixel;
    const double designHeight = double(kForm1ClientTwips.height) / kTwipsPerPixel;
    const double pageWidth = GetDeviceCaps(printer, HORZRES);
    const double pageHeight = GetDeviceCaps(printer, VERTRES);
    const double dpiX = std::max(1, GetDeviceCaps(printer, LOGPIXELSX));
    const double dpiY = std::max(1, GetDeviceCaps(printer, LOGPIXELSY));
    // Inches to a logical pixel, the same both ways: the proportions hold
    // on printers whose dots are not square.
    const double inches = std::min(pageWidth / dpiX / designWidth, pageHeight / dpiY / designHeight);
    PageTransform page;
    page.scaleX = inches * dpiX;
    page.scaleY = inches * dpiY;
    page.originX = (pageWidth - designWidth * page.scaleX) / 2.0;
    page.originY = (pageHeight - designHeight * page.scaleY) / 2.0;
    return page;
}

// The plane drawn on a printer at its own resolution: lines as lines, labels
// as text, curve points as filled squares of a logical pixel.
class GdiPlane final : public Surface {
public:
    GdiPlane(HDC dc, const PageTransform& page, double left, double top, const PlaneMapping& mapping)
        : m_dc(dc)
        , m_page(page)
        , m_left(left)
        , m_top(top)
        , m_mapping(mapping)
        , m_labelFont(createFont(kSansSerif825, page.fontDpi(), FontUse::Printer))
        , m_red(CreateSolidBrush(toColorRef(kCurveRed)))
    {
    }

    void clear() override
    {
        const RECT interior = m_page.rect(m_left, m_top, m_left + m_mapping.interiorWidth(),
                                          m_top + m_mapping.interiorHeight());
        FillRect(m_dc, &interior, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void setScale(PlanePoint upperLeft, PlanePoint lowerRight) override
    {
        m_mapping = PlaneMapping(PlaneScale::fromCorners(upperLeft, lowerRight), m_mapping.interiorWidth(),
                                 m_mapping.interiorHeight());
    }
    void drawLine(PlanePoint from, PlanePoint to, Rgb colour) override
    {
        LOGBRUSH brush{BS_SOLID, toColorRef(colour), 0};
        const auto width = static_cast<DWORD>(std::max(1L, std::lround(m_page.scaleY)));
        const GdiObject<HPEN> pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER,
                                               width, &brush, 0, nullptr));
        const Selection selection(m_dc, pen.get());
        const PixelPoint a = m_mapping.toPixel(from);
        const PixelPoint b = m_mapping.toPixel(to);
        MoveToEx(m_dc, m_page.x(m_left + a.column + 0.5), m_page.y(m_top + a.row + 0.5), nullptr);
        LineTo(m_dc, m_page.x(m_left + b.column + 0.5), m_page.y(m_top + b.row + 0.5));
    }
    void setPoint(PlanePoint at, Rgb /*colour*/) override
    {
        const PixelPoint centre = m_mapping.toPixel(at);
        const RECT square = m_page.rect(m_left + centre.column - 0.5, m_top + centre.row - 0.5,
                                        m_left + centre.column + 0.5, m_top + centre.row + 0.5);
        FillRect(m_dc, &square, m_red.get());
    }
    void setCurrentX(float x) override { m_current.x = x; }
    void setCurrentY(float y) override { m_current.y = y; }
    void printNumber(float value) override
    {
        const PixelPoint at = m_mapping.toPixel(m_current);
        const std::wstring text = widen(labelText(value));
        const Selection selection(m_dc, m_labelFont.get());
        SetTextColor(m_dc, RGB(0, 0, 0));
        TextOutW(m_dc, m_page.x(m_left + at.column), m_page.y(m_top + at.row), text.c_str(),
                 static_cast<int>(text.size()));
    }
    [[nodiscard]] float outerWidthTwips() const override { return 0.0F; }

private:
    HDC m_dc;
    PageTransform m_page;
    double m_left;
    double m_top;
    PlaneMapping m_mapping;
    Font m_labelFont;
    Brush m_red;
    PlanePoint m_current;
};

void frame(HDC dc, const RECT& outer, int thickness, COLORREF above, COLORREF below)
{
    const Brush dark(CreateSolidBrush(above));
    const Brush light(CreateSolidBrush(below));
    const RECT top{outer.left, outer.top, outer.right, outer.top + thickness};
    const RECT left{outer.left, outer.top, outer.left + thickness, outer.bottom};
    const RECT bottom{outer.left, outer.bottom - thickness, outer.right, outer.bottom};
    const RECT right{outer.right - thickness, outer.top, outer.right, outer.bottom};
    FillRect(dc, &top, dark.get());
    FillRect(dc, &left, dark.get());
    FillRect(dc, &bottom, light.get());
    FillRect(dc, &right, light.get());
}

void drawControl(HDC dc, const PageTransform& page, const ControlEntry& entry, const PrintedForm& form,
                 std::size_t index)
{
    const double left = double(entry.geometry.left) / kTwipsPerPixel;
    const double top = double(entry.geometry.top) / kTwipsPerPixel;
    const double right = left + double(entry.geometry.width) / kTwipsPerPixel;
    const double bottom = top + double(entry.geometry.height) / kTwipsPerPixel;
    RECT place = page.rect(left, top, right, bottom);
    const int edge = std::max(1, static_cast<int>(std::lround(page.scaleY)));
    const COLORREF shadow = RGB(128, 128, 128);
    const COLORREF white = RGB(255, 255, 255);
    const Font font = createFont(entry.font, page.fontDpi(), FontUse::Printer);
    const Selection fontSelection(dc, font.get());
    SetTextColor(dc, RGB(0, 0, 0));
    const std::wstring& text = form.texts[index];
    switch (entry.kind) {
    case ControlKind::DrawingBox: {
        frame(dc, place, kPlaneFrameLogical * edge, shadow, white);
        const int saved = SaveDC(dc);
        const RECT interior = page.rect(left + kPlaneFrameLogical, top + kPlaneFrameLogical,
                                        right - kPlaneFrameLogical, bottom - kPlaneFrameLogical);
        IntersectClipRect(dc, interior.left, interior.top, interior.right, interior.bottom);
        GdiPlane plane(dc, page, left + kPlaneFrameLogical, top + kPlaneFrameLogical, form.planeMapping);
        plane.clear();
        form.plane.replay(plane, kCurveRed);
        RestoreDC(dc, saved);
        break;
    }
    case ControlKind::PushButton: {
        frame(dc, place, edge, white, shadow);
        // Centred down as well: a caption that may wrap is measured first.
        RECT caption = place;
        constexpr UINT kFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption, kFormat | DT_CALCRECT);
        const LONG down = ((place.bottom - place.top) - (caption.bottom - caption.top)) / 2;
        place.top += std::max(0L, down);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place, kFormat);
        break;
    }
    case ControlKind::CheckBox: {
        const int box = page.y(top + 13) - page.y(top);
        const int boxTop = (place.top + place.bottom - box) / 2;
        const RECT square{place.left, boxTop, place.left + box, boxTop + box};
        FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        frame(dc, square, edge, shadow, white);
        if (form.checked[index]) {
            const GdiObject<HPEN> pen(CreatePen(PS_SOLID, edge, RGB(0, 0, 0)));
            const Selection penSelection(dc, pen.get());
            const int inset = box / 4;
            MoveToEx(dc, square.left + inset, square.top + box / 2, nullptr);
            LineTo(dc, square.left + box / 2 - edge, square.bottom - inset);
            LineTo(dc, square.right - inset, square.top + inset);
        }
        place.left = square.right + page.x(left + 4) - page.x(left);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        break;
    }
    case ControlKind::TextBox: {
        FillRect(dc, &place, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        frame(dc, place, kPlaneFrameLogical * edge, shadow, white);
        RECT inside = page.rect(left + 4, top, right - 4, bottom);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inside,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        break;
    }
    case ControlKind::Label:
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        break;
    }
}

void drawForm(HDC dc, const PrintedForm& form)
{
    const PageTransform page = fitOnPage(dc);
    const double width = double(kForm1ClientTwips.width) / kTwipsPerPixel;
    const double height = double(kForm1ClientTwips.height) / kTwipsPerPixel;
    const RECT area = page.rect(0, 0, width, height);
    const Brush face(CreateSolidBrush(RGB(240, 240, 240)));
    FillRect(dc, &area, face.get());
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        drawControl(dc, page, kForm1Controls[i], form, i);
    }
}

// What a failed call of the print system means, from the error it left.
PrintFailure failureFrom(DWORD error, const std::wstring& printer)
{
    PrintFailure failure{PrintProblem::Refused, narrow(printer), {}};
    switch (error) {
    case ERROR_INVALID_PRINTER_NAME:
    case ERROR_FILE_NOT_FOUND: // no default printer is set
        failure.problem = PrintProblem::NoPrinter;
        return failure;
    case RPC_S_SERVER_UNAVAILABLE:
    case RPC_S_CALL_FAILED:
    case ERROR_SERVICE_NOT_ACTIVE:
    case ERROR_SERVICE_DISABLED:
    case ERROR_INVALID_HANDLE: // the service dropped the job as it went away
        failure.problem = PrintProblem::ServiceStopped;
        return failure;
    case ERROR_ACCESS_DENIED:
        failure.problem = PrintProblem::AccessDenied;
        return failure;
    default:
        break;
    }
    // The system's own words for any other refusal.
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length > 0 && text != nullptr) {
        std::wstring words(text, length);
        while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r')) {
            words.pop_back();
        }
        failure.serviceReason = narrow(words);
    }
    LocalFree(text);
    if (failure.serviceReason.empty()) {
        failure.serviceReason = "errore " + std::to_string(error);
    }
    return failure;
}

std::variant<std::wstring, PrintFailure> defaultPrinter()
{
    DWORD size = 0;
    if (GetDefaultPrinterW(nullptr, &size) == FALSE && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return failureFrom(GetLastError(), {});
    }
    std::wstring name(size, L'\0');
    if (size == 0 || GetDefaultPrinterW(name.data(), &size) == FALSE) {
        return failureFrom(size == 0 ? ERROR_FILE_NOT_FOUND : GetLastError(), {});
    }
    name.resize(name.find(L'\0') == std::wstring::npos ? name.size() : name.find(L'\0'));
    return name;
}

std::optional<PrintFailure> printOnDefaultPrinter(const PrintedForm& form)
{
    const auto found = defaultPrinter();
    if (const auto* failure = std::get_if<PrintFailure>(&found)) {
        return *failure;
    }
    const auto& printer = std::get<std::wstring>(found);
    const OwnedDc dc(CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, nullptr));
    if (!dc) {
        return failureFrom(GetLastError(), printer);
    }
    const std::wstring title = widen(kProgramTitle);
    DOCINFOW document{};
    document.cbSize = sizeof(document);
    document.lpszDocName = title.c_str();
    if (StartDocW(dc.get(), &document) <= 0) {
        // A print-to-file printer whose file the user did not choose.
        if (GetLastError() == ERROR_CANCELLED) {
            return std::nullopt;
        }
        return failureFrom(GetLastError(), printer);
    }
    if (StartPage(dc.get()) <= 0) {
        const DWORD error = GetLastError();
        AbortDoc(dc.get());
        return failureFrom(error, printer);
    }
    drawForm(dc.get(), form);
    if (EndPage(dc.get()) <= 0) {
        const DWORD error = GetLastError();
        AbortDoc(dc.get());
        return failureFrom(error, printer);
    }
    if (EndDoc(dc.get()) <= 0) {
        return failureFrom(GetLastError(), printer);
    }
    return std::nullopt;
}

struct HandleDeleter {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleDeleter>;

} // namespace

// What the printing thread shares with the window's: whichever leaves last
// frees it.
struct PrintJob {
    explicit PrintJob(PrintedForm printed) : form(std::move(printed)) {}

    PrintedForm form;
    Handle done;
    std::mutex lock;
    bool finished = false;
    // Set when the window stopped waiting: the outcome is then posted.
    bool late = false;
    // Set when a late outcome has been told in a window.
    bool told = false;
    std::optional<PrintFailure> outcome;
    HWND window = nullptr;
    UINT lateMessage = 0;
};

namespace {

// Where Windows keeps programs' events: what became of a print once no
// window was left to say it in.
void logEvent(WORD type, const std::string& text)
{
    HANDLE source = RegisterEventSourceW(nullptr, widen(kProgramName).c_str());
    if (source == nullptr) {
        return;
    }
    const std::wstring wide = widen(text);
    const wchar_t* strings[] = {wide.c_str()};
    ReportEventW(source, type, 0, 1, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

} // namespace

std::optional<PrintFailure> Printing::print(PrintedForm form, HWND window, UINT lateMessage)
{
    if (m_job) {
        const std::scoped_lock lock(m_job->lock);
        if (!m_job->finished) {
            return PrintFailure{PrintProblem::StillPrinting, {}, {}};
        }
    }
    // The print system may take its time (a printer that asks for a file
    // name waits for the user), or not answer at all: it is asked on a
    // thread of its own, and whatever it does with this job is told.
    auto job = std::make_shared<PrintJob>(std::move(form));
    job->done = Handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!job->done) {
        return PrintFailure{PrintProblem::PageNotPrepared, {}, {}};
    }
    job->window = window;
    job->lateMessage = lateMessage;
    try {
        std::thread([job] {
            auto outcome = printOnDefaultPrinter(job->form);
            const std::scoped_lock lock(job->lock);
            job->outcome = std::move(outcome);
            job->finished = true;
            SetEvent(job->done.get());
            if (job->late) {
                PostMessageW(job->window, job->lateMessage, 0, 0);
            }
        }).detach();
    } catch (const std::system_error&) {
        return PrintFailure{PrintProblem::PageNotPrepared, {}, {}};
    }
    m_job = job;
    // Meanwhile the windows are painted; clicks wait, as for any command.
    const DWORD deadline = GetTickCount() + kPrintDeadlineMs;
    for (;;) {
        const auto left = static_cast<LONG>(deadline - GetTickCount());
        {
            const std::scoped_lock lock(job->lock);
            if (job->finished) {
                return job->outcome;
            }
            if (left <= 0) {
                // Not a failure: the job goes on, and its end is told.
                job->late = true;
                return PrintFailure{PrintProblem::ServiceSlow, {}, {}};
            }
        }
        HANDLE done = job->done.get();
        MsgWaitForMultipleObjects(1, &done, FALSE, static_cast<DWORD>(left), QS_PAINT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT) != FALSE) {
            DispatchMessageW(&message);
        }
    }
}

std::optional<PrintFailure> Printing::takeLateOutcome()
{
    if (!m_job) {
        return std::nullopt;
    }
    const std::scoped_lock lock(m_job->lock);
    if (!m_job->finished) {
        return std::nullopt;
    }
    m_job->told = true;
    return m_job->outcome;
}

void Printing::finish()
{
    if (!m_job) {
        return;
    }
    {
        const std::scoped_lock lock(m_job->lock);
        if (!m_job->late || m_job->told) {
            return;
        }
    }
    // The print thread may still need the system to hear this thread.
    const DWORD deadline = GetTickCount() + kAfterCloseDeadlineMs;
    HANDLE done = m_job->done.get();
    for (auto left = static_cast<LONG>(deadline - GetTickCount()); left > 0;
         left = static_cast<LONG>(deadline - GetTickCount())) {
        if (MsgWaitForMultipleObjects(1, &done, FALSE, static_cast<DWORD>(left), QS_ALLINPUT) == WAIT_OBJECT_0) {
            break;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            DispatchMessageW(&message);
        }
    }
    const std::scoped_lock lock(m_job->lock);
    if (!m_job->finished) {
        logEvent(EVENTLOG_ERROR_TYPE, printFailureMessage({PrintProblem::ServiceSilent, {}, {}}));
    } else if (m_job->outcome) {
        logEvent(EVENTLOG_ERROR_TYPE, printFailureMessage(*m_job->outcome));
    }
}

} // namespace lumivar::win32
