// "Stampa" against a real print server: a private CUPS whose printers write
// each job into a folder of the test's own, where it is rendered and looked at.
#include "x_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
constexpr int kPageDpi = 100;
constexpr double kPointsPerInch = 72.0;
const QSize kDesignedClient(760, 736);

// Rendering blends the one-pixel curve with the white around it: reddish is enough.
bool isRed(QRgb pixel)
{
    return qRed(pixel) - std::max(qGreen(pixel), qBlue(pixel)) > 60;
}

// Where the page is not white: the printed window, whose background is grey.
QRect inkedArea(const QImage& page, int* redPixels)
{
    QRect area;
    *redPixels = 0;
    for (int row = 0; row < page.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(row));
        for (int column = 0; column < page.width(); ++column) {
            if (std::min({qRed(line[column]), qGreen(line[column]), qBlue(line[column])}) < 245) {
                area |= QRect(column, row, 1, 1);
            }
            *redPixels += isRed(line[column]) ? 1 : 0;
        }
    }
    return area;
}

} // namespace

class TestEndToEndPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void noPrinterIsReported();
    void windowIsWholeOnThePrintersPaper_data();
    void windowIsWholeOnThePrintersPaper();
    void refusalsAreReported();
    void serverFailuresAreReported_data();
    void serverFailuresAreReported();

private:
    bool printServer(const QString& command);
    bool admin(const QString& program, const QStringList& arguments);
    void addPrinter(const QString& name, const QString& ppd, const QStringList& options);
    // Starts the program and plots a curve.
    void startProgram();
    // What came of a click on "Stampa": the text of a message box, which was
    // closed, or a printout, rendered; neither when nothing came by the deadline.
    struct PrintResult {
        QString message;
        QImage page;
        QString paper; // as pdfinfo names its size
        QString fonts; // as pdffonts lists them
    };
    // The window is first given the client size, after any restart.
    PrintResult print(QSize client = kDesignedClient);
    [[nodiscard]] QString finishedJob() const;
    [[nodiscard]] QString queuedJobs() const;
    void resizeWindow(QSize client);

    QTemporaryDir m_folder;
    QString m_serverDir;
    std::unique_ptr<XSession> m_session;
    std::unique_ptr<Lumivar> m_program;
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

void TestEndToEndPrint::addPrinter(const QString& name, const QString& ppd, const QStringList& options)
{
    QStringList arguments{QStringLiteral("-p"),
                          name,
                          QStringLiteral("-E"),
                          QStringLiteral("-v"),
                          QStringLiteral("lumivar-test:/"),
                          QStringLiteral("-P"),
                          ppd};
    for (const QString& option : options) {
        arguments << QStringLiteral("-o") << option;
    }
    QVERIFY(admin(QStringLiteral("lpadmin"), arguments));
    QVERIFY(admin(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name}));
}

void TestEndToEndPrint::initTestCase()
{
    if (geteuid() != 0) {
        QSKIP("The private print server runs its backend as root; ./test.sh runs as root.");
    }
    QVERIFY(m_folder.isValid());
    // The filters run as lp and must be able to walk down to the spool.
    QFile::setPermissions(m_folder.path(),
                          QFile::permissions(m_folder.path()) | QFile::ExeGroup | QFile::ExeOther);
    m_serverDir = m_folder.filePath(QStringLiteral("cups"));
    QVERIFY2(printServer(QStringLiteral("start")), "cupsd must start");

    m_session = std::make_unique<XSession>();
    QVERIFY2(m_session->isReady(), qPrintable(m_session->startFailure()));
    m_session->setEnvironment(QStringLiteral("CUPS_SERVER"), m_serverDir + QStringLiteral("/cups.sock"));
    // The user's own printer options live here, not in the machine's home.
    QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("home/.cups")));
    m_session->setEnvironment(QStringLiteral("HOME"), m_folder.filePath(QStringLiteral("home")));
    startProgram();
}

void TestEndToEndPrint::startProgram()
{
    if (m_program) {
        VERIFY_ENDED(m_program->end());
    }
    m_program.reset();
    if (Lumivar::isWindowsProgram()) {
        // wine keeps what it learnt of a printer's paper in its prefix: each
        // start gets a fresh copy of the booted one.
        QVERIFY(m_session->useWinePrefixCopy(m_folder.filePath(QStringLiteral("wine"))));
    }
    m_program = std::make_unique<Lumivar>(*m_session);
    QVERIFY(m_program->mainWindow().has_value());

    m_program->clickControl(lumivar::Form1Control::Command2);
    m_program->clickControl(lumivar::Form1Control::Check1);
    m_program->typeInto(2, QStringLiteral("1"));
    m_program->typeInto(3, QStringLiteral("9"));
    m_program->clickControl(lumivar::Form1Control::Command1);
    AWAIT_PLANE(seen, *m_program, [](const QImage& plane) {
        const int red = countColour(plane, qRgb(255, 0, 0));
        return red > 1000 ? QString() : QStringLiteral("the curve, over 1000 red pixels (saw %1)").arg(red);
    });
}

void TestEndToEndPrint::cleanupTestCase()
{
    if (m_program) {
        VERIFY_ENDED(m_program->end());
    }
    m_program.reset();
    m_session.reset();
    if (!m_serverDir.isEmpty()) {
        printServer(QStringLiteral("stop"));
    }
}

QString TestEndToEndPrint::finishedJob() const
{
    const QFileInfoList jobs =
        QDir(m_serverDir + QStringLiteral("/output")).entryInfoList({QStringLiteral("job-*")}, QDir::Files);
    return jobs.isEmpty() ? QString() : jobs.first().filePath();
}

QString TestEndToEndPrint::queuedJobs() const
{
    return m_session->run(QStringLiteral("lpstat"), {QStringLiteral("-o")}).value_or(QStringLiteral("?"));
}

TestEndToEndPrint::PrintResult TestEndToEndPrint::print(QSize client)
{
    // wine reads the print server's printers once, as a program starts.
    if (Lumivar::isWindowsProgram()) {
        startProgram();
    }
    resizeWindow(client);
    m_program->clickControl(lumivar::Form1Control::Command3);
    QString job;
    waitUntil([&] {
        job = finishedJob();
        return !job.isEmpty() || m_session->windows(QStringLiteral("Lumivar 1.0")).size() == 2;
    });
    PrintResult result;
    if (job.isEmpty()) {
        result.message = m_program->dismissMessage().value_or(QString());
        return result;
    }
    // The printer's PostScript, made a PDF as a PDF printer would.
    const QString pdf = m_folder.filePath(QStringLiteral("page.pdf"));
    QFile::remove(pdf);
    m_session->run(QStringLiteral("ps2pdf"), {job, pdf}, kDeadlineMs);
    QFile::remove(job);
    const auto info = m_session->run(QStringLiteral("pdfinfo"), {pdf});
    result.paper =
        info ? info->section(QStringLiteral("Page size:"), 1).section(QLatin1Char('\n'), 0, 0).simplified()
             : QString();
    result.fonts = m_session->run(QStringLiteral("pdffonts"), {pdf}).value_or(QString());
    const QString png = m_folder.filePath(QStringLiteral("page"));
    m_session->run(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QString::number(kPageDpi), QStringLiteral("-png"),
                    QStringLiteral("-singlefile"), pdf, png},
                   kDeadlineMs);
    result.page = QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    return result;
}

void TestEndToEndPrint::resizeWindow(QSize client)
{
    const QString window = m_program->mainWindowId();
    if (const auto area = m_session->geometry(window); area && area->size() == client) {
        return;
    }
    QVERIFY(admin(QStringLiteral("xdotool"),
                  {QStringLiteral("windowsize"), window, QString::number(client.width()),
                   QString::number(client.height())}));
    QVERIFY2(waitUntil([&] {
                 const auto area = m_session->geometry(window);
                 return area && area->size() == client;
             }),
             "the window at its new size");
}

void TestEndToEndPrint::noPrinterIsReported()
{
    const QString message = print().message;
    QVERIFY2(message.startsWith(QStringLiteral("Nessuna stampante predefinita disponibile.")),
             qPrintable(message));
    QVERIFY(m_program->isRunning());
}

void TestEndToEndPrint::windowIsWholeOnThePrintersPaper_data()
{
    QTest::addColumn<QStringList>("queueOptions");
    QTest::addColumn<QString>("userOptions"); // the user's lpoptions line for the queue
    QTest::addColumn<bool>("margins");        // half an inch all round, in the queue's description
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("paper"); // points

    const QSize a4(595, 842);
    const QSize designed = kDesignedClient;
    const QStringList letter{QStringLiteral("PageSize=Letter")};
    QTest::newRow("stock A4 queue") << QStringList() << QString() << false << designed << a4;
    QTest::newRow("Letter") << letter << QString() << false << designed << QSize(612, 792);
    QTest::newRow("A5") << QStringList{QStringLiteral("PageSize=A5")} << QString() << false << designed
                        << QSize(421, 595);
    QTest::newRow("A4 with margins") << QStringList() << QString() << true << designed << a4;
    QTest::newRow("user's A4 on a Letter queue")
        << letter << QStringLiteral("PageSize=A4") << false << designed << a4;
    QTest::newRow("window shrunk") << QStringList() << QString() << false << QSize(700, 690) << a4;
    QTest::newRow("window maximised") << QStringList() << QString() << false << QSize(1200, 900) << a4;
}

void TestEndToEndPrint::windowIsWholeOnThePrintersPaper()
{
    QFETCH(QStringList, queueOptions);
    QFETCH(QString, userOptions);
    QFETCH(bool, margins);
    QFETCH(QSize, window);
    QFETCH(QSize, paper);
    if (Lumivar::isWindowsProgram() && !userOptions.isEmpty()) {
        QSKIP(
            "The user's CUPS options are not Windows settings: wine's driver gives them margins of its own");
    }

    const QString queue = QStringLiteral("lumivar-%1")
                              .arg(QTest::currentDataTag())
                              .replace(QLatin1Char(' '), QLatin1Char('-'))
                              .remove(QLatin1Char('\''));
    QString ppd = kPpd;
    constexpr double kMarginPoints = 36;
    if (margins) {
        QFile stock(kPpd);
        ppd = m_folder.filePath(QStringLiteral("margins.ppd"));
        QFile out(ppd);
        QVERIFY(stock.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        out.write(stock.readAll().replace(R"(*ImageableArea A4/A4: "0 0 595 842")",
                                          R"(*ImageableArea A4/A4: "36 36 559 806")"));
    }
    addPrinter(queue, ppd, queueOptions);
    QFile lpoptions(m_folder.filePath(QStringLiteral("home/.cups/lpoptions")));
    QVERIFY(lpoptions.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lpoptions.write(userOptions.isEmpty() ? QByteArray()
                                          : QStringLiteral("Dest %1 %2\n").arg(queue, userOptions).toUtf8());
    lpoptions.close();
    const PrintResult printed = print(window);
    resizeWindow(kDesignedClient);

    QVERIFY2(printed.message.isEmpty(), qPrintable(printed.message));
    const QImage& page = printed.page;
    QVERIFY2(!page.isNull(), "a job must arrive from the printer");
    QVERIFY2(printed.paper.startsWith(QStringLiteral("%1 x %2 pts").arg(paper.width()).arg(paper.height())),
             qPrintable(printed.paper));
    // Captions and labels arrive as text, in fonts, not as a picture of it.
    QVERIFY2(printed.fonts.count(QLatin1Char('\n')) > 2, qPrintable(printed.fonts));

    // The designed client area, whole, in its proportions, centred in the
    // printable area; nothing outside it.
    const double pixelsPerPoint = kPageDpi / kPointsPerInch;
    const double margin = margins ? kMarginPoints * pixelsPerPoint : 0;
    const QSizeF printable = QSizeF(paper) * pixelsPerPoint - QSizeF(2 * margin, 2 * margin);
    const QSizeF size = QSizeF(kDesignedClient).scaled(printable, Qt::KeepAspectRatio);
    const QRectF expected(QPointF(page.width() - size.width(), page.height() - size.height()) / 2, size);
    int red = 0;
    const QRectF inked = inkedArea(page, &red);
    const QMarginsF off(inked.left() - expected.left(), inked.top() - expected.top(),
                        inked.right() - expected.right(), inked.bottom() - expected.bottom());
    QString seen;
    QDebug(&seen) << "printed" << inked << "on a page of" << page.size() << "expected" << expected;
    qInfo("%s: %s, ratio %.4f", QTest::currentDataTag(), qPrintable(seen), inked.width() / inked.height());
    const double tolerance = 0.01 * page.width();
    QVERIFY2(
        std::max({std::abs(off.left()), std::abs(off.top()), std::abs(off.right()), std::abs(off.bottom())})
            < tolerance,
        qPrintable(seen));
    QVERIFY2(red > 200, "the curve is on the page");
}

void TestEndToEndPrint::refusalsAreReported()
{
    if (Lumivar::isWindowsProgram()) {
        QSKIP("wine's spooler hands a finished job to CUPS and does not pass CUPS's refusal back");
    }
    const QString printer = QStringLiteral("lumivar-refusing");
    addPrinter(printer, kPpd, {});
    const struct {
        const char* refuse;
        const char* accept;
        QString message;
    } cases[] = {
        {"cupsreject", "cupsaccept",
         QStringLiteral("La stampante \"%1\" non accetta lavori di stampa.").arg(printer)},
        {"cupsdisable", "cupsenable", QStringLiteral("La stampante \"%1\" è ferma.").arg(printer)},
    };
    for (const auto& refusal : cases) {
        QVERIFY(admin(QLatin1String(refusal.refuse), {printer}));
        const QString message = print().message;
        QVERIFY2(message.startsWith(refusal.message), qPrintable(message));
        QVERIFY(m_program->isRunning());
        QVERIFY(admin(QLatin1String(refusal.accept), {printer}));
        QVERIFY(!print().page.isNull());
    }
}

void TestEndToEndPrint::serverFailuresAreReported_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("down") << QStringLiteral("stop");
    QTest::newRow("hung") << QStringLiteral("hang");
    QTest::newRow("lost mid-job") << QStringLiteral("lose");
}

void TestEndToEndPrint::serverFailuresAreReported()
{
    QFETCH(QString, failure);
    QVERIFY(m_program->waitUntilIdle());
    const QImage plane = m_program->planeInterior();
    // Lost mid-job: the server takes the job's connection, then dies.
    QVERIFY(printServer(failure == QLatin1String("lose") ? QStringLiteral("hang") : failure));
    QElapsedTimer clock;
    clock.start();
    m_program->clickControl(lumivar::Form1Control::Command3);
    if (failure == QLatin1String("lose")) {
        QVERIFY(m_program->waitUntilIdle());
        QVERIFY(printServer(failure));
    }
    const auto message = m_program->dismissMessage();
    qInfo("%s: message after %lld ms: %s", QTest::currentDataTag(), clock.elapsed(),
          qPrintable(message.value_or(QString())));
    QVERIFY2(message, qPrintable(m_program->dismissProblem()));
    QVERIFY(m_program->isRunning());
    // Not idle: a print given up on may still be working in the background.
    QVERIFY2(waitUntil([&] { return m_program->planeInterior() == plane; }), "the plane as before the print");
    // Wine 8 may give up, after some seconds, a job the server never takes:
    // its end is then told, at once or once the message before is closed.
    const QString givenUp = QStringLiteral("Il servizio di stampa (spooler) non è in esecuzione.");
    if (Lumivar::isWindowsProgram() && failure == QLatin1String("hang") && !message->startsWith(givenUp)) {
        // Otherwise the program never gives a spooled job up: it goes on, one
        // at a time, and prints once when the server is back, even after «Chiudi».
        QVERIFY2(message->startsWith(QStringLiteral("Il servizio di stampa non ha ancora preso la stampa.")),
                 qPrintable(*message));
        m_program->clickControl(lumivar::Form1Control::Command3);
        const auto again = m_program->dismissMessage();
        QVERIFY2(again, qPrintable(m_program->dismissProblem()));
        if (again->startsWith(givenUp)) {
            QVERIFY(m_program->isRunning());
        } else {
            QVERIFY2(again->startsWith(QStringLiteral("La stampa precedente non è ancora stata consegnata")),
                     qPrintable(*again));
            m_program->clickControl(lumivar::Form1Control::Command4);
            QVERIFY2(m_session->waitForWindows(QStringLiteral("Lumivar 1.0"), 0),
                     "every window closed at «Chiudi»");
            QVERIFY2(m_program->isRunning(), "the program still handing the job over");
            QVERIFY(printServer(QStringLiteral("resume")));
            QVERIFY2(m_program->waitForExit(kDeadlineMs), "the program ended once the job was handed over");
            VERIFY_ENDED(m_program->howItEnded());
            QVERIFY2(waitUntil([&] { return !finishedJob().isEmpty() && queuedJobs().isEmpty(); }),
                     "the job printed, and nothing more queued");
            const QStringList printed = QDir(m_serverDir + QStringLiteral("/output"))
                                            .entryList({QStringLiteral("job-*")}, QDir::Files);
            QCOMPARE(printed.size(), 1);
            QVERIFY(QFile::remove(finishedJob()));
        }
    } else if (Lumivar::isWindowsProgram()) {
        // Some wine versions fail a job for a stopped server at once, others
        // keep trying past the wait: then the job goes on, and says so.
        const QString slow = QStringLiteral("Il servizio di stampa non ha ancora preso la stampa.");
        QVERIFY2(failure == QLatin1String("lose") || message->startsWith(slow)
                     || message->startsWith(givenUp),
                 qPrintable(*message));
        if (message->startsWith(slow)) {
            // The job still being handed over keeps the program until the
            // server, started again, takes it.
            m_program->clickControl(lumivar::Form1Control::Command4);
            QVERIFY2(m_session->waitForWindows(QStringLiteral("Lumivar 1.0"), 0),
                     "every window closed at «Chiudi»");
            QVERIFY(printServer(QStringLiteral("stop")));
            QVERIFY(printServer(QStringLiteral("start")));
            QVERIFY2(m_program->waitForExit(kDeadlineMs), "the program ended once the job was handed over");
            VERIFY_ENDED(m_program->howItEnded());
            QVERIFY2(waitUntil([&] { return queuedJobs().isEmpty(); }), "the job handed over done with");
            for (const QFileInfo& job :
                 QDir(m_serverDir + QStringLiteral("/output")).entryInfoList(QDir::Files)) {
                QVERIFY(QFile::remove(job.filePath()));
            }
        }
    } else {
        QVERIFY2(message->startsWith(QStringLiteral("Il servizio di stampa non risponde.")),
                 qPrintable(*message));
    }

    QVERIFY(printServer(QStringLiteral("stop")));
    QVERIFY(printServer(QStringLiteral("start")));
    QCOMPARE(queuedJobs(), QString());
    QVERIFY(!print().page.isNull());
}

QTEST_GUILESS_MAIN(TestEndToEndPrint)
#include "test_e2e_print.moc"
