// "Stampa" on Windows: the job handed to the spooler on a thread, one at a time.
#include "printing.h"

#include "identity.h"
#include "printed_form.h"
#include "shared/texts.h"
#include "win32.h"

#include <winspool.h>

#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <variant>

namespace lumivar::win32 {

namespace {

// A print system that has not finished by then is taken as not answering.
constexpr DWORD kPrintDeadlineMs = 10000;
// How long a job promised to go on is still awaited once the windows have
// closed: the process stays, unseen, no longer than that.
constexpr DWORD kAfterCloseDeadlineMs = 120000;

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
        failure.serviceReason = std::string(kErrorNumberWord) + " " + std::to_string(error);
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

// Waits until `done` is signalled or the deadline passes, the thread's
// windows meanwhile getting their messages: only painting, or all.
void waitDispatching(HANDLE done, DWORD deadline, bool paintOnly)
{
    const DWORD wake = paintOnly ? QS_PAINT : QS_ALLINPUT;
    const UINT take = PM_REMOVE | (paintOnly ? PM_QS_PAINT : 0U);
    for (auto left = static_cast<LONG>(deadline - GetTickCount()); left > 0;
         left = static_cast<LONG>(deadline - GetTickCount())) {
        if (MsgWaitForMultipleObjects(1, &done, FALSE, static_cast<DWORD>(left), wake) == WAIT_OBJECT_0) {
            return;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, take) != FALSE) {
            DispatchMessageW(&message);
        }
    }
}

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
    waitDispatching(job->done.get(), GetTickCount() + kPrintDeadlineMs, true);
    const std::scoped_lock lock(job->lock);
    if (job->finished) {
        return job->outcome;
    }
    // Not a failure: the job goes on, and its end is told.
    job->late = true;
    return PrintFailure{PrintProblem::ServiceSlow, {}, {}};
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
    waitDispatching(m_job->done.get(), GetTickCount() + kAfterCloseDeadlineMs, false);
    const std::scoped_lock lock(m_job->lock);
    if (!m_job->finished) {
        logEvent(EVENTLOG_ERROR_TYPE, printFailureMessage({PrintProblem::ServiceSilent, {}, {}}));
    } else if (m_job->outcome) {
        logEvent(EVENTLOG_ERROR_TYPE, printFailureMessage(*m_job->outcome));
    }
}

} // namespace lumivar::win32
