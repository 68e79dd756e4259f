// Tests of "Stampa" on Linux, to PDF.
#include "form1_rect.h"
#include "qt/main_window.h"
#include "qt/printing.h"

#include <QApplication>
#include <QCheckBox>
#include <QImageReader>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace lumivar;

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

// The window printed to a PDF file, read back with poppler's tools.
class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pageCarriesText();
    void imagesAreSharp();
    void curveLiesOnItsFormula();

private:
    QTemporaryDir m_folder;
    QString m_pdf;
    QRectF m_window; // the window on the page, in points
};

void TestPrinting::initTestCase()
{
    Form1 form;
    form.findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
    form.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("1"));
    form.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(QStringLiteral("9"));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();

    m_pdf = m_folder.filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_pdf);
    QVERIFY(renderPage(printer, form.client()));
    const double pointsPerDevice = 72.0 / printer.resolution();
    const QRect paint = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRect window =
        fittedOnPage(form.client().size(), QRect(QPoint(0, 0), paint.size())).translated(paint.topLeft());
    m_window = QRectF(QPointF(window.topLeft()) * pointsPerDevice, QSizeF(window.size()) * pointsPerDevice);
}

void TestPrinting::pageCarriesText()
{
    const QString text = run(QStringLiteral("pdftotext"), {m_pdf, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("Disegna grafico e curve")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("CURVA")));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\b17\\b"))));
}

void TestPrinting::imagesAreSharp()
{
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    const QStringList lines =
        run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), m_pdf}).split(QLatin1Char('\n'));
    QVERIFY(lines.size() > 2);
    for (const QString& line : lines.mid(2)) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() > 13) {
            QVERIFY2(fields[12].toInt() >= 300 && fields[13].toInt() >= 300, qPrintable(line));
        }
    }
}

void TestPrinting::curveLiesOnItsFormula()
{
    constexpr double kDpi = 600.0;
    const QString png = m_folder.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), m_pdf, png});
    const QImage page = QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!page.isNull());

    // The plane's interior in the window, in logical pixels, and so on the page.
    const QRect interior = form1ControlRect(Form1Control::PicPianoCart).adjusted(2, 2, -2, -2);
    const double perPixel = m_window.width() / 760.0 * kDpi / 72.0;
    const auto toPage = [&](double x, double y) {
        const double column = interior.left() + (x + 1.0) / 19.0 * interior.width();
        const double row = interior.top() + (18.0 - y) / 36.0 * interior.height();
        return QPointF(m_window.left() * kDpi / 72.0 + column * perPixel,
                       m_window.top() * kDpi / 72.0 + row * perPixel);
    };
    // y = 9 sin x falls steeply around x = pi: each row's red lies where the
    // formula crosses it.
    int rows = 0;
    for (double y = -6.0; y <= 6.0; y += 0.25) {
        const double x = M_PI - std::asin(y / 9.0);
        const QPointF expected = toPage(x, y);
        const int row = int(std::lround(expected.y()));
        int first = -1;
        int last = -1;
        for (int column = int(expected.x()) - 40; column <= int(expected.x()) + 40; ++column) {
            const QRgb pixel = page.pixel(column, row);
            if (qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80) {
                first = first < 0 ? column : first;
                last = column;
            }
        }
        QVERIFY2(first >= 0, qPrintable(QStringLiteral("red near (%1, %2)").arg(expected.x()).arg(row)));
        const double middle = (first + last + 1) / 2.0;
        QVERIFY2(
            std::abs(middle - expected.x()) <= 2.0,
            qPrintable(
                QStringLiteral("y = %1: red at %2, formula at %3").arg(y).arg(middle).arg(expected.x())));
        ++rows;
    }
    QCOMPARE(rows, 49);
}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QImageReader::setAllocationLimit(512); // a whole page at 600 dpi
    TestPrinting test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_printing.moc"
