// The Strategy Builder on a small screen, on X with openbox (run by
// run_with_openbox.sh on a 1280 x 800 screen): with eight legs it lies
// wholly on the screen with every button in reach, the legs scrolling in
// their own area; Esc after a leg was edited asks before discarding it.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include "app/boxes.h"
#include "app/main_window_fixture.h"
#include "strategy/rules.h"

using namespace tvx;

class SmallScreenTest : public QObject, MainWindowFixture {
    Q_OBJECT

    QWidget* open_strategy() {
        main->findChild<QAction*>(QStringLiteral("mnuStrategy"))->trigger();
        QWidget* w = top_level(QStringLiteral("frmStrategy"));
        if (w && !QTest::qWaitForWindowActive(w)) qWarning("the Strategy Builder did not become active");
        QTest::qWait(300);
        return w;
    }

private slots:
    void init() {
        open_main();
        QVERIFY(QTest::qWaitForWindowActive(main));
    }
    void cleanup() {
        close_all();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(200);
    }

    void eight_legs_lie_on_the_screen_with_every_button_in_reach() {
        const QRect screen = main->screen()->availableGeometry();
        QCOMPARE(main->screen()->geometry().size(), QSize(1280, 800));
        QWidget* w = open_strategy();
        QVERIFY(w);
        auto* add = w->findChild<QPushButton*>(QStringLiteral("cmdAddLeg"));
        for (int k = 1; k < 8; ++k) add->click();
        QTest::qWait(300);
        QVERIFY2(screen.contains(window_frame(*w)), qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                                                                   .arg(window_frame(*w).x())
                                                                   .arg(window_frame(*w).y())
                                                                   .arg(window_frame(*w).width())
                                                                   .arg(window_frame(*w).height())));
        auto* legs = w->findChild<QScrollArea*>(QStringLiteral("scrLegs"));
        for (QPushButton* b : w->findChildren<QPushButton*>()) {
            if (!b->isVisibleTo(w)) continue;
            const bool in_legs = legs->isAncestorOf(b);
            if (in_legs) legs->ensureWidgetVisible(b);  // as Tab does
            const QRect at(b->mapTo(w, QPoint(0, 0)), b->size());
            QVERIFY2(w->rect().contains(at), qPrintable(b->objectName()));
            if (in_legs) {
                const QRect in_view(b->mapTo(legs->viewport(), QPoint(0, 0)), b->size());
                QVERIFY2(legs->viewport()->rect().contains(in_view), qPrintable(b->objectName()));
            }
        }
        QVERIFY(w->findChild<QPushButton*>(QStringLiteral("cmdRemoveLeg8"))->isVisibleTo(w));
    }

    void esc_after_a_leg_was_edited_asks() {
        QWidget* w = open_strategy();
        QVERIFY(w);
        auto* strike = w->findChild<QLineEdit*>(QStringLiteral("strike1"));
        strike->setFocus();
        strike->selectAll();
        QTest::keyClicks(strike, QStringLiteral("70"));
        {
            ModalAnswerer keep(QMessageBox::No);
            QTest::keyClick(strike, Qt::Key_Escape);
            QTest::qWait(200);
            QCOMPARE(keep.seen.size(), 1);
            QCOMPARE(keep.seen[0].text, QString::fromUtf8(strategy_text::discard_legs));
        }
        QVERIFY(w->isVisible());
        QCOMPARE(strike->text(), QStringLiteral("70"));
        ModalAnswerer discard(QMessageBox::Yes);
        QTest::keyClick(strike, Qt::Key_Escape);
        QTest::qWait(200);
        QCOMPARE(discard.seen.size(), 1);
        QVERIFY(!top_level(QStringLiteral("frmStrategy")) || !top_level(QStringLiteral("frmStrategy"))->isVisible());
    }
};

QTEST_MAIN(SmallScreenTest)
#include "small_screen_tests.moc"
