// Tests of the Wayland title bar.
#include "qt/title_bar.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QToolButton>
#include <QWidget>

class TestTitleBar : public QObject {
    Q_OBJECT

private slots:
    void closeBoxOnly_data();
    void closeBoxOnly();
};

void TestTitleBar::closeBoxOnly_data()
{
    QTest::addColumn<Qt::WindowFlags>("flags");
    // A close box asked for would otherwise bring the platform's frame back.
    QTest::newRow("help window") << (Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                     | Qt::WindowCloseButtonHint);
    QTest::newRow("message") << Qt::WindowFlags(Qt::Dialog);
}

void TestTitleBar::closeBoxOnly()
{
    QFETCH(Qt::WindowFlags, flags);
    QPointer<QWidget> window = new QWidget(nullptr, flags);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Aiuto"));
    const int height = lumivar::addTitleBar(*window);
    window->resize(400, 200);
    window->show();

    QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(window->windowType(), flags & Qt::WindowType_Mask);
    QCOMPARE(window->contentsRect().top(), height);
    const QList<QToolButton*> closeBox = window->findChildren<QToolButton*>();
    QCOMPARE(closeBox.size(), 1);
    QCOMPARE(closeBox[0]->parentWidget()->width(), 400);
    closeBox[0]->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull());
}

QTEST_MAIN(TestTitleBar)
#include "test_title_bar.moc"
