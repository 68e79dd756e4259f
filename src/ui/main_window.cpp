#include "main_window.h"

#include "fonts.h"
#include "help_window.h"
#include "icon.h"
#include "printing.h"
#include "shared/texts.h"
#include "utf8.h"
#include "window_hints.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

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
    control->setAccessibleName(entry.accessibleName.empty() ? caption : fromUtf8(entry.accessibleName));
    control->setAccessibleDescription(fromUtf8(entry.accessibleDescription));
    return control;
}

void showMessageBox(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Warning, fromUtf8(kProgramTitle), message, QMessageBox::Ok, parent);
    // Ctrl+C copies the message, as the desktop the program was designed for
    // does, to paste it into a request for help.
    const auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated, &box,
                     [message] { QGuiApplication::clipboard()->setText(message); });
    box.exec();
}

} // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent)
    , m_messageSink([this](const QString& message) { showMessageBox(this, message); })
    , m_print([](QWidget& window) { return lumivar::printWindow(window, fromUtf8(kProgramTitle)); })
{
    setWindowTitle(fromUtf8(kProgramTitle));
    setWindowIcon(programIcon());
    setFont(programFont(kSansSerif12));
    createClient();
    resize(m_client->size());
    connectCommands();
    load();
}

void Form1::createClient()
{
    // Nothing is laid out again on resize: a window smaller than its design,
    // on a short or scaled screen, scrolls over it instead.
    auto* scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller);
    m_client = new QWidget;
    m_client->setFixedSize(toPixels(kForm1ClientTwips).size());
    QWidget* previous = nullptr;
    for (const ControlEntry& entry : kForm1Controls) {
        QWidget* control = createControl(entry, m_client);
        if (control->focusPolicy() == Qt::NoFocus) {
            continue;
        }
        if (previous != nullptr) {
            setTabOrder(previous, control);
        }
        previous = control;
    }
    scroller->setWidget(m_client);
    m_plane = findChild<PlaneWidget*>(QStringLiteral("PicPianoCart"));
    m_curve = findChild<QCheckBox*>(QStringLiteral("Check1"));
    for (std::size_t i = 0; i < m_parameterBoxes.size(); ++i) {
        m_parameterBoxes[i] = findChild<QLineEdit*>(QStringLiteral("Text%1").arg(i + 1));
    }
    m_plane->setFocus();
}

void Form1::connectCommands()
{
    using Handler = void (Form1::*)();
    const std::array<std::pair<const char*, Handler>, 5> commands{{
        {"Command1", &Form1::plotCurves},
        {"Command2", &Form1::reset},
        {"Command3", &Form1::printWindow},
        {"Command4", &Form1::closeProgram},
        {"Command5", &Form1::openHelp},
    }};
    for (const auto& [name, handler] : commands) {
        connect(findChild<QPushButton*>(QLatin1String(name)), &QPushButton::clicked, this, handler);
    }
}

void Form1::DisegnaAssi()
{
    lumivar::DisegnaAssi(*m_plane, m_cursor);
}

void Form1::load()
{
    m_plane->clear();
    m_plane->setScale(kPlaneUpperLeft, kPlaneLowerRight);
}

void Form1::plotCurves()
{
    // Each box's text is converted once, from UTF-8 kept alive for the plot.
    std::array<QByteArray, 4> texts;
    CurveInput input;
    input.curveTicked = m_curve->isChecked();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = input.curveTicked ? m_parameterBoxes[i]->text().toUtf8() : QByteArray();
        input.texts[i] = std::string_view(texts[i].constData(), static_cast<std::size_t>(texts[i].size()));
    }
    const PlotOutcome outcome = lumivar::plotCurves(*m_plane, m_cursor, input);
    if (outcome.fault != PlotFault::None) {
        report(fromUtf8(plotFaultMessage(outcome.fault, outcome.faultAbscissa)));
    }
}

void Form1::reset()
{
    m_plane->clear();
    DisegnaAssi();
}

void Form1::printWindow()
{
    if (const auto problem = m_print(*m_client)) {
        report(*problem);
    }
}

void Form1::closeProgram()
{
    // Every window goes, help windows included; nothing else runs after this.
    QApplication::closeAllWindows();
    QApplication::quit();
}

void Form1::openHelp()
{
    auto* help = new Dialog;
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->show();
    keepOutOfTaskbar(*help);
}

void Form1::report(const QString& message)
{
    m_messageSink(message);
}

} // namespace lumivar
