// The Linux main window, Form1: its controls built from the shared table, scrolling, fitting and
// commands.
#include "main_window.h"

#include "help_window.h"
#include "icon.h"
#include "message_box.h"
#include "printing.h"
#include "program_font.h"
#include "shared/texts.h"
#include "shared/window_fit.h"
#include "utf8.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWindow>

#include <limits>
#include <utility>

namespace lumivar {

namespace {

// A push button that Enter clicks as well as the space bar, as push buttons
// with the focus do on the desktop the window was designed for, even when no
// button is the default.
class CommandButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

QWidget* createControl(const ControlEntry& entry, QWidget* parent)
{
    QWidget* control = nullptr;
    const QString caption = fromUtf8(entry.caption);
    switch (entry.kind) {
    case ControlKind::DrawingBox:
        control = new PlaneWidget(parent);
        break;
    case ControlKind::CheckBox:
        control = new QCheckBox(caption, parent);
        break;
    case ControlKind::PushButton: {
        auto* button = new CommandButton(caption, parent);
        button->setAutoDefault(false);
        button->setDefault(false);
        control = button;
        break;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(caption, parent);
        edit->setMaxLength(std::numeric_limits<int>::max()); // the boxes have no limit
        control = edit;
        break;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        control = label;
        break;
    }
    }
    control->setObjectName(fromUtf8(entry.name));
    control->setGeometry(toPixels(entry.geometry));
    control->setFont(programFont(entry.font));
    return control;
}

} // namespace

class Form1::Platform final : public Form1Platform {
public:
    explicit Platform(Form1& form) : m_form(form) {}

    Surface& planeSurface() override { return *m_form.m_plane; }
    [[nodiscard]] bool curveTicked() const override
    {
        return m_form.control<QCheckBox>(Form1Control::Check1)->isChecked();
    }
    [[nodiscard]] std::string boxText(Form1Control box) const override
    {
        return m_form.control<QLineEdit>(box)->text().toStdString();
    }
    void showMessage(std::string_view message) override { m_form.m_messageSink(fromUtf8(message)); }
    [[nodiscard]] std::optional<PrintFailure> printWindow() override
    {
        return m_form.m_print(*m_form.m_client);
    }
    [[nodiscard]] bool openHelpWindow() override
    {
        openDialog(m_form);
        return true;
    }
    void endProgram() override
    {
        // Every window goes, help windows included; nothing else runs after this.
        QApplication::closeAllWindows();
        QApplication::quit();
    }

private:
    Form1& m_form;
};

Form1::Form1(QWidget* parent)
    : QWidget(parent)
    , m_platform(std::make_unique<Platform>(*this))
    , m_rules(*m_platform)
    , m_messageSink([this](const QString& message) { showMessageBox(this, message); })
    , m_print([](QWidget& window) { return printOnDefaultPrinter(window, fromUtf8(kProgramTitle)); })
{
    setWindowTitle(fromUtf8(kProgramTitle));
    setWindowIcon(programIcon());
    setFont(programFont(kSansSerif12));
    createClient();
    resize(m_client->size());
    connectCommands();
    m_rules.load();
}

Form1::~Form1() = default;

void Form1::createClient()
{
    // Nothing is laid out again on resize: a window smaller than its design,
    // on a short or scaled screen, scrolls over it instead.
    m_scroller = new QScrollArea(this);
    m_scroller->setFrameShape(QFrame::NoFrame);
    m_scroller->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroller);
    m_client = new QWidget;
    m_client->setFixedSize(toPixels(kForm1ClientTwips).size());
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        QWidget* control = createControl(kForm1Controls[i], m_client);
        m_controls[i] = control;
        if (control->focusPolicy() == Qt::NoFocus) {
            continue;
        }
        if (previous != nullptr) {
            setTabOrder(previous, control);
        }
        previous = control;
    }
    m_scroller->setWidget(m_client);
    m_plane = control<PlaneWidget>(Form1Control::PicPianoCart);
    m_plane->setFocus();
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window manager's frame is known once it has framed the window,
    // which it has when the window is first exposed.
    if (!m_fitted && windowHandle() != nullptr) {
        windowHandle()->installEventFilter(this);
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && !m_fitted
        && windowHandle()->isExposed()) {
        m_fitted = true;
        windowHandle()->removeEventFilter(this);
        fitToScreen();
        nameControls();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closed by its frame, the main window leaves the help windows open, on
    // their own: the program ends with the last of them.
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->transientParent() == windowHandle()) {
            window->setTransientParent(nullptr);
        }
    }
    QWidget::closeEvent(event);
}

void Form1::nameControls()
{
    // Once the window is on the screen: the first name given loads Qt's
    // accessibility, which nothing needs before there is a window to read.
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        const ControlEntry& entry = kForm1Controls[i];
        m_controls[i]->setAccessibleName(
            fromUtf8(entry.accessibleName.empty() ? entry.caption : entry.accessibleName));
        m_controls[i]->setAccessibleDescription(fromUtf8(entry.accessibleDescription));
    }
}

namespace {

// What a window manager that says nothing of its bars or frames is assumed
// to take: a title bar's height, at the top (a panel or the frame's own).
constexpr int kUnannouncedBarPx = 32;

} // namespace

void Form1::fitToScreen()
{
    // Wayland tells neither the work area nor, through XWayland under some
    // compositors, the frame.
    QRect available = screen()->availableGeometry();
    if (available == screen()->geometry()) {
        available.setTop(available.top() + kUnannouncedBarPx);
    }
    QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull()) {
        frame.setTop(kUnannouncedBarPx);
    }
    m_usable = available.marginsRemoved(frame).size();
    const QSize design = m_client->size();
    const QPoint placed = frameGeometry().topLeft();
    const ScreenRect fitted =
        fitWindowToScreen({design.width(), design.height()}, {m_usable.width(), m_usable.height()},
                          {available.x(), available.y(), available.width(), available.height()},
                          {frame.left() + frame.right(), frame.top() + frame.bottom()},
                          {placed.x(), placed.y()}, m_scroller->verticalScrollBar()->sizeHint().width());
    if (size() != QSize(fitted.width, fitted.height)) {
        resize(fitted.width, fitted.height);
    }
    if (QPoint(fitted.left, fitted.top) != placed) {
        move(fitted.left, fitted.top);
    }
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A compositor may leave the window a little shorter than it asked: the
    // vertical bar comes, and would take from the design's width the room
    // of a horizontal one too. A window as wide as the design grows by the
    // bar instead, once for each height, where the screen has the room; one
    // made narrower scrolls both ways, as its user chose.
    const QSize design = m_client->size();
    const int widened = design.width() + m_scroller->verticalScrollBar()->sizeHint().width();
    if (m_fitted && height() < design.height() && height() != m_widenedAt && width() >= design.width()
        && width() < widened && widened <= m_usable.width()) {
        m_widenedAt = height();
        resize(widened, height());
    }
}

void Form1::connectCommands()
{
    for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
        if (kForm1Controls[i].kind == ControlKind::PushButton) {
            const auto which = static_cast<Form1Control>(i);
            connect(static_cast<QPushButton*>(m_controls[i]), &QPushButton::clicked, this,
                    [this, which] { m_rules.click(which); });
        }
    }
}

} // namespace lumivar
