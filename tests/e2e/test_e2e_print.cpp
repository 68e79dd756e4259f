// "Stampa" against a real print server: a private CUPS with a cups-pdf
// printer, whose PDF output is rendered and looked at.
#include "x_session.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

#include <algorithm>
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
    // Clicks "Stampa" and tells whether a message box came up (and closes it).
    bool printShowsMessage();
    // Waits for a new PDF from the printer and renders its first page.
    QImage nextPrintout();
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

bool TestEndToEndPrint::printShowsMessage()
{
    m_program->clickControl("Command3");
    if (!m_session->waitForWindows(kTitle, 2, 5000)) {
        return false;
    }
    m_session->key(QStringLiteral("Return"));
    return m_session->waitForWindows(kTitle, 1, 5000);
}

QImage TestEndToEndPrint::nextPrintout()
{
    for (int attempt = 0; attempt < 300; ++attempt) {
        // cups-pdf names files after the job, and job numbers start again
        // with a new server: what is new is what was written since the start.
        for (const QFileInfo& file : m_output.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
            if (file.lastModified() < m_started) {
                continue;
            }
            const QString pdf = file.filePath();
            // cups-pdf writes the file in steps: wait until it stops growing.
            qint64 size = -1;
            while (size != QFileInfo(pdf).size() || size == 0) {
                size = QFileInfo(pdf).size();
                QThread::msleep(1000);
            }
            const QString png = m_folder.filePath(QStringLiteral("page"));
            QProcess render;
            render.start(QStringLiteral("pdftoppm"),
                         {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                          QStringLiteral("-singlefile"), pdf, png});
            render.waitForFinished(30000);
            QFile::remove(pdf);
            return QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
        }
        QThread::msleep(100);
    }
    return {};
}

void TestEndToEndPrint::drawCurve()
{
    m_program->clickControl("Command2");
    m_program->clickControl("Check1");
    m_program->typeInto(2, QStringLiteral("1"));
    m_program->typeInto(3, QStringLiteral("9"));
    m_program->clickControl("Command1");
}

void TestEndToEndPrint::noPrinterIsReported()
{
    QVERIFY(printShowsMessage());
    QVERIFY(m_program->isRunning());
}

void TestEndToEndPrint::printsTheWindowWithItsCurve()
{
    const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
    QVERIFY(admin(QStringLiteral("lpadmin"),
                  {QStringLiteral("-p"), kPrinter, QStringLiteral("-E"), QStringLiteral("-v"),
                   QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), ppd}));
    QVERIFY(admin(QStringLiteral("lpadmin"), {QStringLiteral("-d"), kPrinter}));

    drawCurve();
    QVERIFY(!printShowsMessage());
    const QImage page = nextPrintout();
    QVERIFY2(!page.isNull(), "a PDF must arrive from the printer");
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
    QVERIFY(redArea.width() > page.width() / 2);
    QVERIFY(std::abs(redArea.center().x() - page.width() / 2) < page.width() / 8);
}

void TestEndToEndPrint::rejectingPrinterIsReported()
{
    QVERIFY(admin(QStringLiteral("cupsreject"), {kPrinter}));
    QVERIFY(printShowsMessage());
    QVERIFY(m_program->isRunning());
    QVERIFY(admin(QStringLiteral("cupsaccept"), {kPrinter}));
    QVERIFY(!printShowsMessage());
    QVERIFY(!nextPrintout().isNull());
}

void TestEndToEndPrint::stoppedPrinterIsReported()
{
    QVERIFY(admin(QStringLiteral("cupsdisable"), {kPrinter}));
    QVERIFY(printShowsMessage());
    QVERIFY(admin(QStringLiteral("cupsenable"), {kPrinter}));
    QVERIFY(!printShowsMessage());
    QVERIFY(!nextPrintout().isNull());
}

void TestEndToEndPrint::serverGoneIsReported()
{
    const QImage plane = m_program->planeInterior();
    QVERIFY(printServer(QStringLiteral("stop")));
    QVERIFY(printShowsMessage());
    QVERIFY(m_program->isRunning());
    QCOMPARE(m_program->planeInterior(), plane);

    QVERIFY(printServer(QStringLiteral("start")));
    QVERIFY(!printShowsMessage());
    QVERIFY(!nextPrintout().isNull());
}

QTEST_GUILESS_MAIN(TestEndToEndPrint)
#include "test_e2e_print.moc"
