#include "shared/texts.h"

#include <QTest>

using namespace lumivar;

class TestTexts : public QObject {
    Q_OBJECT

private slots:
    void plotFaultGivesTheAbscissaInItalian_data();
    void plotFaultGivesTheAbscissaInItalian();
    void printServiceWordsFollowAsADetail_data();
    void printServiceWordsFollowAsADetail();
};

void TestTexts::plotFaultGivesTheAbscissaInItalian_data()
{
    QTest::addColumn<float>("abscissa");
    QTest::addColumn<QString>("written");
    QTest::newRow("small") << 0.00143F << QStringLiteral("x = 0,00143.");
    QTest::newRow("six digits") << 17.123456F << QStringLiteral("x = 17,1235.");
    QTest::newRow("whole") << -1.0F << QStringLiteral("x = -1.");
}

void TestTexts::plotFaultGivesTheAbscissaInItalian()
{
    QFETCH(float, abscissa);
    QFETCH(QString, written);
    const QString message = QString::fromStdString(plotFaultMessage(PlotFault::DivisionByZero, abscissa));
    QVERIFY2(message.startsWith(QStringLiteral("Errore di calcolo (divisione per zero) per ") + written),
             qPrintable(message));
}

void TestTexts::printServiceWordsFollowAsADetail_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("detail"); // the message's last line
    QTest::newRow("none") << QString() << QStringLiteral("Il disegno non è stato modificato.");
    QTest::newRow("with its own stop")
        << QStringLiteral("Not allowed to print.")
        << QStringLiteral("(Risposta del servizio di stampa: Not allowed to print.)");
    QTest::newRow("stops and blanks")
        << QStringLiteral("Rifiutato. . ") << QStringLiteral("(Risposta del servizio di stampa: Rifiutato.)");
}

void TestTexts::printServiceWordsFollowAsADetail()
{
    QFETCH(QString, reason);
    QFETCH(QString, detail);
    const QString message =
        QString::fromStdString(printProblemMessage(PrintProblem::Refused, "ufficio", reason.toStdString()));
    QVERIFY2(message.startsWith(QStringLiteral("La stampante \"ufficio\" ha rifiutato la stampa.\n")),
             qPrintable(message));
    QCOMPARE(message.section(QLatin1Char('\n'), -1), detail);
}

QTEST_APPLESS_MAIN(TestTexts)
#include "test_texts.moc"
