// "Stampa" against a real print server: a private CUPS with a cups-pdf
// printer, whose PDF output is rendered and looked at.
#include "x_session.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QString kTitle = QStringLiteral("Lumivar 1.0");
const QString kPrinter = QStringLiteral("lumivar-pdf");

// Rendering blends the one-pixel curve with the white around it: reddish is enough.
bool isRed(QRgb pixel)
{
    return qRed(pixel) - std::max(qGreen(pixel), qBlue(pixel)) > 60;
}

} // namespace

class TestEndToEndPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void noPrinterIsReported();
    void printsTheWindowWithItsCurve();
    void rejectingPrinterIsReported();
    void stoppedPrinterIsReported();
    void serverGoneIsReported();

private:
    bool printServer(const QString& command);
    bool admin(const QString& program, const QStringList& arguments);
    // What came of a click on "Stampa": a message box, which was closed, or
    // a printout, rendered; neither when nothing came by the deadline.
    struct PrintResult {
        bool message = false;
        QImage page;
        QString paper; // as pdfinfo names its size
        QString fonts; // as pdffonts lists them
    };
    PrintResult print();
    // A complete PDF that the printer wrote since the start, if there is one.
    [[nodiscard]] QString finishedPrintout() const;
    QImage render(const QString& pdf);
    void drawCurve();

    QTemporaryDir m_folder;
    QString m_serverDir;
    std::unique_ptr<XSession> m_session;
    std::unique_ptr<Lumivar> m_program;
    QDir m_output;
    QDateTime m_started;
};

bool TestEndToEndPrint::printServer(const QString& command)
{
    QProcess script;
    script.start(QStringLiteral(LUMIVAR_PRINT_SERVER_SCRIPT), {command, m_serverDir});
    return script.waitForFinished(30000) && script.exitCode() == 0;
}

bool TestEndToEndPrint::admin(const QString& program, const QStringList& arguments)
{
    return m_session->run(program, arguments).has_value();
}

void TestEndToEndPrint::initTestCase()
{
    if (geteuid() != 0) {
        QSKIP("The private print server needs root to run cups-pdf; ./test.sh runs as root.");
    }
    QVERIFY(m_folder.isValid());
    // The filters run as lp and must be able to walk down to the spool.
    QFile::setPermissions(m_folder.path(),
                          QFile::permissions(m_folder.path()) | QFile::ExeGroup | QFile::ExeOther);
    m_serverDir = m_folder.filePath(QStringLiteral("cups"));
    QVERIFY2(printServer(QStringLiteral("start")), "cupsd must start");

    m_session = std::make_unique<XSession>();
    QVERIFY(m_session->isReady());
    m_session->setEnvironment(QStringLiteral("CUPS_SERVER"), m_serverDir + QStringLiteral("/cups.sock"));
    m_program = std::make_unique<Lumivar>(*m_session);
    QVERIFY(m_program->mainWindow().has_value());

    m_output = QDir(QDir::homePath() + QStringLiteral("/PDF"));
    m_started = QDateTime::currentDateTime().addSecs(-1);
}

void TestEndToEndPrint::cleanupTestCase()
{
    m_program.reset();
    m_session.reset();
    if (!m_serverDir.isEmpty()) {
        printServer(QStringLiteral("stop"));
    }
}

QString TestEndToEndPrint::finishedPrintout() const
{
    // cups-pdf names files after the job, and job numbers start again with
    // a new server: what is new is what was written since the start. It
    // writes a file in steps; the trailer comes last.
    for (const QFileInfo& file : m_output.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
        QFile pdf(file.filePath());
        if (file.lastModified() >= m_started && file.size() > 16 && pdf.open(QIODevice::ReadOnly)
            && pdf.seek(file.size() - 16) && pdf.readAll().contains("%%EOF")) {
            return file.filePath();
        }
    }
    return {};
}

QImage TestEndToEndPrint::render(const QString& pdf)
{
    const QString png = m_folder.filePath(QStringLiteral("page"));
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf, png});
    render.waitForFinished(30000);
    QFile::remove(pdf);
    return QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

TestEndToEndPrint::PrintResult TestEndToEndPrint::print()
{
    m_program->clickControl("Command3");
    QString pdf;
    waitUntil([&] {
        pdf = finishedPrintout();
        return !pdf.isEmpty() || m_session->windows(kTitle).size() == 2;
    });
    PrintResult result;
    if (!pdf.isEmpty()) {
        const auto info = m_session->run(QStringLiteral("pdfinfo"), {pdf});
        result.fonts = m_session->run(QStringLiteral("pdffonts"), {pdf}).value_or(QString());
        result.paper =
            info
                ? info->section(QStringLiteral("Page size:"), 1).section(QLatin1Char('\n'), 0, 0).simplified()
                : QString();
        result.page = render(pdf);
    } else {
        result.message = m_program->dismissMessage();
    }
    return result;
}

void TestEndToEndPrint::drawCurve()
{
    m_program->clickControl("Command2");
    m_program->clickControl("Check1");
    m_program->typeInto(2, QStringLiteral("1"));
    m_program->typeInto(3, QStringLiteral("9"));
    m_program->clickControl("Command1");
    AWAIT_PLANE(seen, *m_program, [](const QImage& plane) {
        const int red = countColour(plane, qRgb(255, 0, 0));
        return red > 1000 ? QString() : QStringLiteral("the curve, over 1000 red pixels (saw %1)").arg(red);
    });
}

void TestEndToEndPrint::noPrinterIsReported()
{
    QVERIFY(print().message);
    QVERIFY(m_program->isRunning());
}

void TestEndToEndPrint::printsTheWindowWithItsCurve()
{
    const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
    QVERIFY(admin(QStringLiteral("lpadmin"),
                  {QStringLiteral("-p"), kPrinter, QStringLiteral("-E"), QStringLiteral("-v"),
                   QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), ppd}));
    QVERIFY(admin(QStringLiteral("lpadmin"), {QStringLiteral("-d"), kPrinter}));
    // Not the A4 of Qt's own default: the page is the printer's.
    QVERIFY(admin(QStringLiteral("lpadmin"),
                  {QStringLiteral("-p"), kPrinter, QStringLiteral("-o"), QStringLiteral("PageSize=Letter")}));

    drawCurve();
    const PrintResult printed = print();
    QVERIFY2(!printed.message, "no message box");
    const QImage& page = printed.page;
    QVERIFY2(!page.isNull(), "a PDF must arrive from the printer");
    QCOMPARE(printed.paper, QStringLiteral("612 x 792 pts (letter)"));
    // Captions and labels arrive as text, in fonts, not as a picture of it;
    // the server's conversion keeps the glyphs though not what they spell.
    QVERIFY2(printed.fonts.count(QLatin1Char('\n')) > 2, qPrintable(printed.fonts));
    int red = 0;
    QRect redArea;
    for (int row = 0; row < page.height(); ++row) {
        for (int column = 0; column < page.width(); ++column) {
            if (isRed(page.pixel(column, row))) {
                ++red;
                redArea |= QRect(column, row, 1, 1);
            }
        }
    }
    QVERIFY(red > 200);
    // The curve spans most of the plane's width, centred on the page.
    // Laid out on the printer's Letter page, which has no margins, the window
    // fills its width; the curve covers 18 of the plane's 19 units of it.
    // Laid out on A4 and then fitted to Letter, it would come out smaller.
    const double expected = page.width() * (741.0 / 760.0) * (18.0 / 19.0);
    QVERIFY2(std::abs(redArea.width() - expected) < page.width() / 100.0,
             qPrintable(QStringLiteral("curve %1 px wide, expected %2").arg(redArea.width()).arg(expected)));
    QVERIFY(std::abs(redArea.center().x() - page.width() / 2) < page.width() / 8);
}

void TestEndToEndPrint::rejectingPrinterIsReported()
{
    QVERIFY(admin(QStringLiteral("cupsreject"), {kPrinter}));
    QVERIFY(print().message);
    QVERIFY(m_program->isRunning());
    QVERIFY(admin(QStringLiteral("cupsaccept"), {kPrinter}));
    QVERIFY(!print().page.isNull());
}

void TestEndToEndPrint::stoppedPrinterIsReported()
{
    QVERIFY(admin(QStringLiteral("cupsdisable"), {kPrinter}));
    QVERIFY(print().message);
    QVERIFY(admin(QStringLiteral("cupsenable"), {kPrinter}));
    QVERIFY(!print().page.isNull());
}

void TestEndToEndPrint::serverGoneIsReported()
{
    QVERIFY(m_program->waitUntilIdle());
    const QImage plane = m_program->planeInterior();
    QVERIFY(printServer(QStringLiteral("stop")));
    QVERIFY(print().message);
    QVERIFY(m_program->isRunning());
    QVERIFY(m_program->waitUntilIdle());
    QCOMPARE(m_program->planeInterior(), plane);

    QVERIFY(printServer(QStringLiteral("start")));
    QVERIFY(!print().page.isNull());
}

QTEST_GUILESS_MAIN(TestEndToEndPrint)
#include "test_e2e_print.moc"
