// Tests of the program's texts.
#include "shared/texts.h"

#include <QTest>

using namespace lumivar;

class TestTexts : public QObject {
    Q_OBJECT

private slots:
    void printServiceWordsFollowAsADetail_data();
    void printServiceWordsFollowAsADetail();
};

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
        QString::fromStdString(printFailureMessage({PrintProblem::Refused, "ufficio", reason.toStdString()}));
    QVERIFY2(message.startsWith(QStringLiteral("La stampante \"ufficio\" ha rifiutato la stampa.\n")),
             qPrintable(message));
    QCOMPARE(message.section(QLatin1Char('\n'), -1), detail);
}

QTEST_APPLESS_MAIN(TestTexts)
#include "test_texts.moc"
