// What only a window manager shows, on X with openbox (run by
// run_with_openbox.sh): the window whose command showed a box is in front
// of the main window again afterwards, a box's title bar shows the whole
// title however short the box's text, the help viewer opens large enough
// to read and keeps its size, and a saved chart carries its title.
#include <QAction>
#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

#include "app/box_answerer.h"
#include "app/boxes.h"
#include "app/chart_form.h"
#include "app/main_window_fixture.h"
#include "app/qt_user_interface.h"

using namespace tvx;

namespace {

// A property of a window (of the root window for 0) as xprop prints it.
QString property(WId window, const char* name) {
    QProcess xprop;
    const QStringList where = window == 0 ? QStringList{QStringLiteral("-root")}
                                          : QStringList{QStringLiteral("-id"), QString::number(window)};
    xprop.start(QStringLiteral("xprop"), where + QStringList{QString::fromLatin1(name)});
    xprop.waitForFinished(5000);
    return QString::fromLatin1(xprop.readAllStandardOutput());
}

// The window manager has framed the window (it says how thick the frame
// is), and the window system's geometry of the window includes that frame.
bool framed(QWidget* w) {
    return property(w->winId(), "_NET_FRAME_EXTENTS").contains(QLatin1Char('=')) &&
           window_frame(*w).top() < w->geometry().top();
}

// The window manager has made the window the active one (and so draws its
// title bar as active).
bool wm_active(QWidget* w) {
    const QString out = property(0, "_NET_ACTIVE_WINDOW");
    return out.section(QLatin1Char('#'), 1).trimmed().toULongLong(nullptr, 16) == w->winId();
}

// Client windows from bottom to top, as the window manager stacks them.
QList<WId> stacking() {
    const QString out = property(0, "_NET_CLIENT_LIST_STACKING");
    QList<WId> ids;
    for (const QString& part : out.section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        ids << part.trimmed().toULongLong(nullptr, 16);
    return ids;
}

bool above(const QWidget* upper, const QWidget* lower) {
    const QList<WId> order = stacking();
    const qsizetype u = order.indexOf(upper->winId()), l = order.indexOf(lower->winId());
    return u >= 0 && l >= 0 && u > l;
}

// The title bar of a top-level window as drawn on the screen.
QImage title_bar(QWidget* w) {
    const QRect frame = window_frame(*w);
    const int height = w->geometry().top() - frame.top();
    return w->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), height).toImage();
}

// A title bar the window manager has drawn holds its background, its
// text and its buttons: far more than two colours.
bool painted(const QImage& bar) {
    QSet<QRgb> colours;
    for (int y = 0; y < bar.height() && colours.size() < 8; ++y)
        for (int x = 0; x < bar.width() && colours.size() < 8; ++x) colours.insert(bar.pixel(x, y));
    return colours.size() >= 8;
}

bool differs(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) > 60;
}

// The title's text is drawn: the middle third of the bar, where a centred
// title always reaches, holds a row of two clearly different colours (the
// bar's background changes from row to row only). On a loaded machine the
// grabs of a box's bar have come back without a title (all black) for
// seconds after the window manager framed and activated the box: measured,
// such a bar has no title text at all.
bool titled(const QImage& bar) {
    for (int y = 0; y < bar.height(); ++y)
        for (int x = bar.width() / 3; x < 2 * bar.width() / 3; ++x)
            if (differs(bar.pixel(x, y), bar.pixel(bar.width() / 3, y))) return true;
    return false;
}

bool same_column(const QImage& a, int xa, const QImage& b, int xb) {
    for (int y = 0; y < a.height(); ++y)
        if (a.pixel(xa, y) != b.pixel(xb, y)) return false;
    return true;
}

// Width of the drawn title text in two bars of the same title: the parts
// at the ends that both bars share (frame, icon, buttons) are set aside,
// then the text is what stands out from the background between them.
std::pair<int, int> title_text_widths(const QImage& wide, const QImage& box) {
    int left = 0;
    while (left < box.width() && same_column(wide, left, box, left)) ++left;
    int right = 0;
    while (right < box.width() - left && same_column(wide, wide.width() - 1 - right, box, box.width() - 1 - right))
        ++right;
    const auto span = [&wide, left](const QImage& bar, int from, int to) {
        int first = -1, last = -1;
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < bar.height(); ++y) {
                // The wide bar's first free column is pure background.
                if (differs(bar.pixel(x, y), wide.pixel(left, y))) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
            }
        }
        return first < 0 ? 0 : last - first + 1;
    };
    return {span(wide, left, wide.width() - right), span(box, left, box.width() - right)};
}

}  // namespace

class WindowManagerTest : public QObject, MainWindowFixture {
    Q_OBJECT

    QWidget* open(const char* menu, Window id) {
        main->findChild<QAction*>(QString::fromLatin1(menu))->trigger();
        QWidget* w = ui->existing(id);
        if (w && !QTest::qWaitForWindowActive(w)) qWarning("%s did not become active", menu);
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

    void after_its_boxes_the_prediction_window_is_in_front() {
        QWidget* predict = open("mnuNeuralPredict", Window::Neural3);
        QVERIFY(predict);
        QLineEdit* field = predict->findChild<QLineEdit*>(QStringLiteral("Text2"));
        field->setFocus(Qt::MouseFocusReason);
        bool box_above = true;
        BoxAnswerer answers([&box_above, predict](QDialog* box) {
            QTest::qWait(300);
            box_above = box_above && above(box, predict);
            if (auto* input = qobject_cast<QInputDialog*>(box)) input->setTextValue(QStringLiteral("absent.net"));
        });
        predict->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QCOMPARE(answers.seen.size(), 2);  // the file name, "Error: File not found"
        QTest::qWait(500);
        QVERIFY(box_above);
        QVERIFY(above(predict, main));
        QCOMPARE(QApplication::activeWindow(), predict);
        QCOMPARE(QApplication::focusWidget(), field);
    }

    void between_its_validation_boxes_the_creation_window_stays_in_front() {
        QWidget* create = open("mnuNeuralCreate", Window::Neural1);
        QVERIFY(create);
        models->neural1.pop = "2";
        models->neural1.gen = "2";
        int in_front = 0;
        BoxAnswerer answers([&in_front, create, this](QDialog* box) {
            QTest::qWait(300);
            in_front += above(box, create) && above(create, main);
        });
        create->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        // Population, generations, then perhaps the missing training file.
        QVERIFY(answers.seen.size() >= 2);
        QCOMPARE(in_front, answers.seen.size());
    }

    void a_box_over_a_window_at_the_top_keeps_its_title_bar_on_the_screen() {
        // A box is centred by its client area and kept on the screen by
        // its owner's frame, as far as that is known. Over a window whose
        // frame is not known (here one without a frame) at the top edge, a
        // box taller than the window would be placed at the top with its
        // title bar above the screen.
        QWidget owner(nullptr, Qt::FramelessWindowHint);
        owner.setGeometry(0, 0, 300, 120);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QRect frame, room;
        BoxAnswerer answers([&frame, &room](QDialog* box) {
            QTRY_VERIFY_WITH_TIMEOUT(framed(box), 5000);
            room = box->screen()->availableGeometry();
            QTRY_VERIFY_WITH_TIMEOUT(room.contains(window_frame(*box)), 5000);
            frame = window_frame(*box);
        });
        QStringList lines;
        for (int k = 0; k < 20; ++k) lines << QStringLiteral("line %1").arg(k);
        show_message_box(&owner, "Computation Output", Icon::None, lines.join(QLatin1Char('\r')).toStdString(),
                         Buttons::Ok);
        QCOMPARE(answers.seen.size(), 1);
        QVERIFY2(frame.height() > owner.height(), "the box is not taller than the window");
        QVERIFY(room.contains(frame));
    }

    void a_box_is_as_wide_as_its_title_needs() {
        // The title of the American implied volatility, over a short text;
        // the same title over a long text shows it whole.
        const std::string title = "Computation Output";
        QImage bars[2];
        int slot = 0;
        BoxAnswerer answers([&bars, &slot](QDialog* box) {
            // Framed by the window manager, then drawn.
            QTRY_VERIFY_WITH_TIMEOUT(framed(box), 10000);
            // Active, and drawn: on a busy machine the window manager may
            // take a while to paint the bar in its active colours.
            QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeWindow() == box && wm_active(box), 10000);
            // Its whole frame on the screen, title bar included.
            QTRY_VERIFY_WITH_TIMEOUT(box->screen()->availableGeometry().contains(window_frame(*box)), 10000);
            // Until the bar is painted (not one flat colour), with its
            // title, and the same in two grabs in a row: an unpainted frame
            // is also "stable".
            QImage bar = title_bar(box);
            for (int tries = 0; tries < 50; ++tries) {
                QTest::qWait(200);
                const QImage again = title_bar(box);
                if (again == bar && painted(bar) && titled(bar)) break;
                bar = again;
            }
            const QRect f = window_frame(*box);
            QVERIFY2(painted(bar) && titled(bar),
                     qPrintable(QStringLiteral("no title drawn in the bar at %1,%2 %3 x %4")
                                    .arg(f.x())
                                    .arg(f.y())
                                    .arg(f.width())
                                    .arg(bar.height())));
            bars[slot++] = bar;
        });
        ui->message_box_from(Window::Main, title, Icon::None, std::string(180, 'x'), Buttons::Ok);
        ui->message_box_from(Window::Main, title, Icon::None, "The implied volatility is 0.2846", Buttons::Ok);
        QCOMPARE(slot, 2);
        QVERIFY(bars[0].height() > 8 && bars[0].height() == bars[1].height());
        const auto [whole, shown] = title_text_widths(bars[0], bars[1]);
        qInfo("title text: %d px in the wide box, %d px in the box", whole, shown);
        QVERIFY2(whole > 40, "no title text found in the wide box's title bar");
        QVERIFY2(shown >= whole - 1, qPrintable(QStringLiteral("title drawn %1 px wide of %2").arg(shown).arg(whole)));
    }

    void the_help_viewer_opens_at_a_size_to_read_a_topic_and_keeps_the_size_it_is_given() {
        // The output window beside the main window, as after a Compute.
        main->findChild<QPushButton*>(QStringLiteral("cmdCompute"))->click();
        QWidget* output = ui->existing(Window::Output);
        QVERIFY(output);
        QTRY_VERIFY_WITH_TIMEOUT(framed(output), 10000);
        QWidget* help = open("mnuHelpOptions", Window::Help);
        QVERIFY(help);
        QTRY_VERIFY_WITH_TIMEOUT(framed(help), 10000);
        const QRect frame = window_frame(*help);
        QVERIFY(help->screen()->availableGeometry().contains(frame));
        auto* list = help->findChild<QListWidget*>(QStringLiteral("lstTopics"));
        auto* page = help->findChild<QTextBrowser*>(QStringLiteral("txtTopic"));
        qInfo("help viewer %d x %d, list %d, page %d", help->width(), help->height(), list->width(),
              page->viewport()->width());
        // Lines of some seventy characters beside a list of titles that
        // takes no more than it needs.
        QVERIFY(page->viewport()->width() >= 60 * page->fontMetrics().averageCharWidth());
        QVERIFY(list->width() * 100 <= help->width() * 30);
        QVERIFY(page->viewport()->height() >= 20 * page->fontMetrics().lineSpacing());
        // No topic is wider than the page: none scrolls sideways.
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            QVERIFY2(page->document()->size().width() <= page->viewport()->width(),
                     qPrintable(list->item(row)->text()));
        }
        // The size the user gives it is kept for the session.
        const QSize given = help->size() + QSize(60, 40);
        help->resize(given);
        QTRY_COMPARE_WITH_TIMEOUT(help->size(), given, 5000);
        QTest::keyClick(page, Qt::Key_Escape);
        QTRY_VERIFY(!help->isVisible());
        main->findChild<QAction*>(QStringLiteral("mnuHelpFutures"))->trigger();
        QTRY_VERIFY(help->isVisible());
        QCOMPARE(help->size(), given);
    }

    void a_saved_chart_says_what_it_shows() {
        QWidget* w = open("mnuChartsOption", Window::Chart);
        auto* chart = dynamic_cast<ChartForm*>(w);
        QVERIFY(chart);
        QTRY_VERIFY_WITH_TIMEOUT(framed(w), 10000);
        const QString title = w->findChild<QLabel*>(QStringLiteral("lblTitle"))->text();
        const QString terms = w->findChild<QLabel*>(QStringLiteral("lblCaption"))->text();
        QCOMPARE(title, QStringLiteral("Value of the call against the spot"));
        QVERIFY(terms.startsWith(QStringLiteral("Call, European: spot 30 to 90, strike 64")));
        QTemporaryDir dir;
        QVERIFY(chart->save_to(dir.filePath(QStringLiteral("c.png"))));
        QVERIFY(chart->save_to(dir.filePath(QStringLiteral("c.svg"))));
        // The SVG holds the title and the terms as text.
        QFile svg(dir.filePath(QStringLiteral("c.svg")));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QString drawing = QString::fromUtf8(svg.readAll());
        QVERIFY(drawing.contains(title));
        QVERIFY(drawing.contains(QStringLiteral("strike 64")));
        // The PNG is the chart with a band of text over it: dark pixels of
        // writing on white above the chart's own picture.
        const QImage png(dir.filePath(QStringLiteral("c.png")));
        auto* view = w->findChild<QChartView*>(QStringLiteral("chtView"));
        QCOMPARE(png.width(), view->width());
        const int header = png.height() - view->height();
        QVERIFY2(header >= 2 * w->fontMetrics().height(), qPrintable(QString::number(header)));
        int dark = 0;
        for (int y = 0; y < header; ++y)
            for (int x = 0; x < png.width(); ++x) dark += qGray(png.pixel(x, y)) < 100;
        QVERIFY2(dark > 200, qPrintable(QString::number(dark)));
        // Below the band, the chart as the window shows it.
        QCOMPARE(png.copy(0, header, png.width(), view->height()),
                 view->grab().toImage().convertToFormat(png.format()));
    }
};

QTEST_MAIN(WindowManagerTest)
#include "window_manager_tests.moc"
