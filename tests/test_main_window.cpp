// Tests of the Linux main window.
#include "pixel_count.h"
#include "qt/help_window.h"
#include "qt/icon.h"
#include "qt/main_window.h"
#include "qt/plane_widget.h"
#include "qt/utf8.h"
#include "shared/texts.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <limits>

using namespace lumivar;

Q_DECLARE_METATYPE(ControlEntry)

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGrid = qRgb(10, 10, 10);

QList<Dialog*> helpWindows()
{
    QList<Dialog*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* help = qobject_cast<Dialog*>(widget); help != nullptr && help->isVisible()) {
            found.append(help);
        }
    }
    return found;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsFollowTheTable_data();
    void controlsFollowTheTable();
    void windowProperties();
    void iconIsATwoPixelWave();
    void tabOrderAndInitialFocus();
    void enterClicksTheFocusedButton_data();
    void enterClicksTheFocusedButton();
    void everyControlIsNamedForAssistiveTechnology();
    void startsEmptyAndWhite();
    void curvesOverlay();
    void manyWindowsPlotsAndResets();
    void printSendsTheWholeWindow();
    void printWithoutPrinterIsReported();
    void helpWindowsOpenAtTheSamePlace();
    void closingHelpLeavesThePlane();
    void closeBoxLeavesHelpOpen();
    void chiudiEndsEverything();

private:
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QPushButton* button(const char* name) { return m_form->findChild<QPushButton*>(QLatin1String(name)); }
    void type(int box, const QString& text)
    {
        auto* edit = m_form->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(box));
        edit->setText(text);
    }
    void tick(bool on) { m_form->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(on); }

    // The plane, found as the window names each control: by its designed name.
    [[nodiscard]] PlaneWidget& planeWidget() const
    {
        return *m_form->findChild<PlaneWidget*>(QStringLiteral("PicPianoCart"));
    }

    QPointer<Form1> m_form;
    QStringList m_messages;
};

void TestMainWindow::init()
{
    m_messages.clear();
    m_form = new Form1;
    m_form->setAttribute(Qt::WA_DeleteOnClose);
    m_form->setMessageSink([this](const QString& message) { m_messages.append(message); });
}

void TestMainWindow::cleanup()
{
    delete m_form.data();
    for (Dialog* help : helpWindows()) {
        help->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestMainWindow::controlsFollowTheTable_data()
{
    QTest::addColumn<ControlEntry>("entry");
    for (const ControlEntry& entry : kForm1Controls) {
        QTest::newRow(entry.name.data()) << entry;
    }
}

void TestMainWindow::controlsFollowTheTable()
{
    QFETCH(ControlEntry, entry);
    auto* control = m_form->findChild<QWidget*>(fromUtf8(entry.name));
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget(), &m_form->client());
    QCOMPARE(control->geometry(), toPixels(entry.geometry));
    QCOMPARE(control->font().family(), fromUtf8(entry.font.family));
    QCOMPARE(control->font().pointSizeF(), entry.font.pointSize);
    QCOMPARE(control->font().weight(), QFont::Normal);
    QVERIFY(control->isEnabled());

    const QString caption = fromUtf8(entry.caption);
    switch (entry.kind) {
    case ControlKind::DrawingBox:
        QVERIFY(qobject_cast<PlaneWidget*>(control) != nullptr);
        break;
    case ControlKind::CheckBox:
        QCOMPARE(qobject_cast<QCheckBox*>(control)->text(), caption);
        QVERIFY(!qobject_cast<QCheckBox*>(control)->isChecked());
        break;
    case ControlKind::PushButton: {
        auto* push = qobject_cast<QPushButton*>(control);
        QCOMPARE(push->text(), caption);
        QVERIFY(!push->isDefault() && !push->autoDefault());
        break;
    }
    case ControlKind::TextBox: {
        auto* edit = qobject_cast<QLineEdit*>(control);
        QVERIFY(edit->text().isEmpty());
        QCOMPARE(edit->maxLength(), std::numeric_limits<int>::max());
        break;
    }
    case ControlKind::Label: {
        auto* label = qobject_cast<QLabel*>(control);
        QCOMPARE(label->text(), caption);
        QVERIFY(label->alignment() & Qt::AlignHCenter);
        break;
    }
    }
}

void TestMainWindow::windowProperties()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Lumivar 1.0"));
    QCOMPARE(m_form->size(), QSize(760, 736));
    QCOMPARE(m_form->font().pointSizeF(), 12.0);
    QVERIFY(!m_form->windowIcon().isNull());
    QCOMPARE(m_form->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    // The label keeps both of its spaces.
    QCOMPARE(m_form->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             QStringLiteral("Valore di partenza  del periodo"));

    // Nothing is laid out again on resize.
    m_form->show();
    m_form->resize(1000, 900);
    QCOMPARE(m_form->findChild<QWidget*>(QStringLiteral("Command5"))->geometry(), QRect(8, 680, 161, 20));
    QCOMPARE(planeWidget().outerWidthTwips(), 11175.0F);

    // Smaller than its design, the window scrolls over it; at its size again,
    // the scroll bars go.
    auto* scroller = m_form->findChild<QScrollArea*>();
    for (const auto& [size, scrolls] :
         {std::pair{QSize(700, 500), true}, std::pair{QSize(760, 736), false}}) {
        m_form->resize(size);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(scroller->horizontalScrollBar()->isVisible(), scrolls);
        QCOMPARE(scroller->verticalScrollBar()->isVisible(), scrolls);
        QCOMPARE(m_form->findChild<QWidget*>(QStringLiteral("Command5"))->geometry(), QRect(8, 680, 161, 20));
    }
}

void TestMainWindow::iconIsATwoPixelWave()
{
    const QImage icon = programIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(icon.size(), QSize(32, 32));
    // Across every row the line is two pixels at least, where no edge cuts it.
    for (int row = 0; row < icon.height(); ++row) {
        int run = 0;
        for (int column = 0; column <= icon.width(); ++column) {
            if (column < icon.width() && icon.pixel(column, row) == kRed) {
                ++run;
                continue;
            }
            const bool cut = column == icon.width() || column == run;
            QVERIFY2(run != 1 || cut,
                     qPrintable(QStringLiteral("row %1, column %2").arg(row).arg(column - 1)));
            run = 0;
        }
    }

    // The Windows icon is the same picture, in 16 colours.
    QFile ico(QStringLiteral(LUMIVAR_SOURCE_DIR "/resources/lumivar.ico"));
    QVERIFY(ico.open(QIODevice::ReadOnly));
    const QByteArray bytes = ico.readAll();
    constexpr int kColourCount = 8;   // in the directory entry
    constexpr int kBitsPerPixel = 36; // in the bitmap header after it
    QVERIFY(bytes.size() > kBitsPerPixel);
    QCOMPARE(int(quint8(bytes[kColourCount])), 16);
    QCOMPARE(int(quint8(bytes[kBitsPerPixel])), 4);
    QCOMPARE(QImage::fromData(bytes, "ICO").convertToFormat(QImage::Format_RGB32), icon);
}

void TestMainWindow::tabOrderAndInitialFocus()
{
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QCOMPARE(QApplication::focusWidget(), &planeWidget());

    const QStringList expected{"Check1", "Command1", "Command2", "Command4", "Text1",       "Command3",
                               "Text2",  "Text3",    "Text4",    "Command5", "PicPianoCart"};
    for (const QString& name : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), name);
    }
}

void TestMainWindow::enterClicksTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter);
}

void TestMainWindow::enterClicksTheFocusedButton()
{
    QFETCH(int, key);
    QSignalSpy clicked(button("Command2"), &QPushButton::clicked);
    QTest::keyClick(button("Command2"), Qt::Key(key));
    QCOMPARE(clicked.size(), 1);
    QVERIFY(countColour(planeWidget().image(), kGrid) > 0);
}

void TestMainWindow::everyControlIsNamedForAssistiveTechnology()
{
    const QStringList boxes{QStringLiteral("Valore di partenza del periodo"), QStringLiteral("frequenza"),
                            QStringLiteral("Oscillazione massima in magnitudine"),
                            QStringLiteral("Valore medio magnitudine")};
    // Named once the window is on the screen.
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    for (const ControlEntry& entry : kForm1Controls) {
        auto* control = m_form->findChild<QWidget*>(fromUtf8(entry.name));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible != nullptr);
        const QString name = accessible->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty(), entry.name.data());
        if (entry.kind == ControlKind::TextBox) {
            // Each box is named after the label under it.
            QCOMPARE(name, boxes[fromUtf8(entry.name).right(1).toInt() - 1]);
            QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
        }
        if (entry.kind == ControlKind::PushButton || entry.kind == ControlKind::CheckBox) {
            QCOMPARE(name, fromUtf8(entry.caption));
            QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
        }
    }
    QAccessibleInterface* plane = QAccessible::queryAccessibleInterface(&planeWidget());
    QVERIFY(plane->text(QAccessible::Description).contains(QStringLiteral("curva di luce")));
}

void TestMainWindow::startsEmptyAndWhite()
{
    const QImage& image = planeWidget().image();
    QCOMPARE(image.size(), QSize(741, 541));
    QCOMPARE(countColour(image, qRgb(255, 255, 255)), 741 * 541);
}

void TestMainWindow::curvesOverlay()
{
    tick(true);
    type(2, QStringLiteral("1"));
    type(3, QStringLiteral("5"));
    click("Command1");
    const QImage first = planeWidget().image().copy();
    const int firstRed = countColour(first, kRed);
    QVERIFY(firstRed > 500);

    type(3, QStringLiteral("-9"));
    type(4, QStringLiteral("2,5")); // read as 2
    click("Command1");
    const QImage both = planeWidget().image();
    int kept = 0;
    for (int row = 0; row < first.height(); ++row) {
        for (int column = 0; column < first.width(); ++column) {
            kept += first.pixel(column, row) == kRed && both.pixel(column, row) == kRed ? 1 : 0;
        }
    }
    // Only the redrawn grid may cover the first curve.
    for (int row = 0; row < first.height(); ++row) {
        for (int column = 0; column < first.width(); ++column) {
            if (first.pixel(column, row) == kRed) {
                QVERIFY(both.pixel(column, row) == kRed || both.pixel(column, row) == kGrid
                        || both.pixel(column, row) == qRgb(0, 0, 0));
            }
        }
    }
    QVERIFY(kept > firstRed / 2);
    QVERIFY(countColour(both, kRed) > firstRed + 500);
    // The second curve: y = -9 sin(x) + 2 at x = pi/2 is -7.
    const auto at = planeWidget().mapping().pixelOf({1.5707964F, -7.0F});
    bool nearby = false;
    for (int dy = -1; dy <= 1; ++dy) {
        nearby = nearby || both.pixel(at->column, at->row + dy) == kRed;
    }
    QVERIFY(nearby);

    click("Command2");
    QCOMPARE(countColour(planeWidget().image(), kRed), 0);
    QVERIFY(m_messages.isEmpty());
}

void TestMainWindow::manyWindowsPlotsAndResets()
{
    m_form->show();
    for (int i = 0; i < 200; ++i) {
        click("Command5");
    }
    QCOMPARE(helpWindows().size(), 200);
    for (Dialog* help : helpWindows()) {
        help->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(helpWindows().size(), 0);

    tick(true);
    type(2, QStringLiteral("1.3"));
    type(3, QStringLiteral("7"));
    for (int i = 0; i < 100; ++i) {
        click("Command1");
        click("Command2");
    }
    click("Command1");
    QVERIFY(countColour(planeWidget().image(), kRed) > 500);
    QVERIFY(m_messages.isEmpty());
}

void TestMainWindow::printSendsTheWholeWindow()
{
    QImage printed;
    m_form->setPrintFunction([&printed](QWidget& window) {
        printed = window.grab().toImage();
        return std::optional<PrintFailure>();
    });
    tick(true);
    type(2, QStringLiteral("1"));
    type(3, QStringLiteral("5"));
    click("Command1");
    click("Command3");
    QCOMPARE(printed.size(), QSize(760, 736));
    QVERIFY(countColour(printed, kRed) > 500);
    QVERIFY(m_messages.isEmpty());

    const PrintFailure refused{PrintProblem::Refused, "ufficio", {}};
    m_form->setPrintFunction([&refused](QWidget&) { return std::optional(refused); });
    const QImage plane = planeWidget().image().copy();
    click("Command3");
    QCOMPARE(m_messages, QStringList{fromUtf8(printFailureMessage(refused))});
    QCOMPARE(planeWidget().image(), plane);
}

void TestMainWindow::printWithoutPrinterIsReported()
{
    // The print server named here does not exist.
    click("Command3");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.front().contains(QStringLiteral("stampa")));
    QVERIFY(m_form->isEnabled());
}

void TestMainWindow::helpWindowsOpenAtTheSamePlace()
{
    m_form->show();
    click("Command5");
    click("Command5");
    const QList<Dialog*> windows = helpWindows();
    QCOMPARE(windows.size(), 2);
    for (Dialog* help : windows) {
        QCOMPARE(help->geometry(), QRect(184, 250, 800, 310));
        QCOMPARE(help->windowTitle(), QStringLiteral("Aiuto"));
        QCOMPARE(help->minimumSize(), help->maximumSize());
        QVERIFY(help->parentWidget() == nullptr);
        QVERIFY(help->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!help->isModal());
        QVERIFY(!help->windowIcon().isNull());
        auto* label = help->findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(label->geometry(), QRect(8, 8, 769, 273));
        QVERIFY(label->wordWrap());
        QCOMPARE(label->font().pointSizeF(), 12.0);
        QCOMPARE(label->text(), fromUtf8(kHelpText));
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(), "the help text fits its label");
    }
    QVERIFY(m_form->isVisible() && m_form->isEnabled());
}

void TestMainWindow::closingHelpLeavesThePlane()
{
    m_form->show();
    click("Command2");
    const QImage plane = planeWidget().image().copy();
    click("Command5");
    QPointer<Dialog> help = helpWindows().value(0);
    QVERIFY(help);
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(help.isNull());
    QVERIFY(m_form->isVisible());
    QCOMPARE(planeWidget().image(), plane);
}

void TestMainWindow::closeBoxLeavesHelpOpen()
{
    m_form->show();
    click("Command5");
    QPointer<Dialog> help = helpWindows().value(0);
    bool helpOutlivedTheForm = false;
    QTimer::singleShot(0, m_form, [this] { m_form->close(); });
    QTimer::singleShot(200, help, [&helpOutlivedTheForm, help] {
        helpOutlivedTheForm = help->isVisible();
        help->close(); // the last window: the program ends
    });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(helpOutlivedTheForm);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_form.isNull());
    QVERIFY(help.isNull());
}

void TestMainWindow::chiudiEndsEverything()
{
    m_form->show();
    click("Command5");
    click("Command5");
    const QList<QPointer<Dialog>> windows{helpWindows().value(0), helpWindows().value(1)};
    QTimer::singleShot(0, m_form, [this] { click("Command4"); });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); }); // would mean Chiudi did nothing
    QCOMPARE(QApplication::exec(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_form.isNull());
    for (const auto& help : windows) {
        QVERIFY(help.isNull());
    }
}

int main(int argc, char* argv[])
{
    // No print server answers here, whatever the machine has.
    qputenv("CUPS_SERVER", "/nonexistent/lumivar-test.sock");
    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_main_window.moc"
