// The menu bar as drawn and the help viewer `frmHelp`, under the offscreen
// platform. The help file is found beside the test, as the program finds it
// beside itself.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

#include "app/app_icon.h"
#include "app/modal_answerer.h"
#include "app/qt_user_interface.h"
#include "support/window_table.h"

using namespace tvx;

namespace {

struct Row {
    int level;
    QString name;
    QString caption;
    bool submenu;
    bool operator==(const Row&) const = default;
};

// The tree as the user sees it: every entry of every menu, depth first.
void walk(const QList<QAction*>& actions, int level, QList<Row>& rows, QStringList& faults) {
    for (QAction* a : actions) {
        if (a->isSeparator()) faults << QStringLiteral("separator at level %1").arg(level);
        if (!a->isEnabled() || !a->isVisible()) faults << a->text() + QStringLiteral(" disabled or hidden");
        // The one check item: Advanced > Exact Values, off at start.
        const bool check_item = a->objectName() == QStringLiteral("mnuExact");
        if (a->isCheckable() != check_item || a->isChecked() || !a->shortcut().isEmpty())
            faults << a->text() + QStringLiteral(" has a check or shortcut");
        if (QMenu* m = a->menu()) {
            rows.append({level, m->objectName(), a->text(), true});
            walk(m->actions(), level + 1, rows, faults);
        } else {
            rows.append({level, a->objectName(), a->text(), false});
        }
    }
}

// How QCOMPARE prints a row that differs.
[[maybe_unused]] char* toString(const Row& r) {
    return QTest::toString(QStringLiteral("%1 %2 \"%3\"%4")
                               .arg(r.level)
                               .arg(r.name, r.caption, r.submenu ? QStringLiteral(" >") : QString()));
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Models> models;
    std::unique_ptr<QtUserInterface> ui;
    QMainWindow* main = nullptr;

    QAction* item(const char* name) {
        auto* a = main->findChild<QAction*>(QString::fromLatin1(name));
        if (!a) qFatal("no menu item %s", name);
        return a;
    }
    static QWidget* help_window() { return top_level(QStringLiteral("frmHelp")); }

private slots:
    void initTestCase() { set_application_icon(); }

    void init() {
        models = std::make_unique<Models>();
        ui = std::make_unique<QtUserInterface>(*models);
        Form_Load(models->main);
        ui->show(Window::Main);
        main = qobject_cast<QMainWindow*>(ui->widget(Window::Main));
        QVERIFY(main);
    }
    void cleanup() {
        ui.reset();
        models.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void menu_bar_reads_file_advanced_help_in_order() {
        QList<Row> rows;
        QStringList faults;
        walk(main->menuBar()->actions(), 1, rows, faults);
        QList<Row> expected;
        for (const golden::MenuRow& g : golden::menu_bar)
            expected.append({g.level, QString::fromLatin1(g.name), QString::fromUtf8(g.caption), g.submenu});
        QCOMPARE(rows, expected);
        QCOMPARE(faults, QStringList{});
    }

    void help_opens_the_topic_without_blocking() {
        QVERIFY(!help_window());
        item("mnuHelpNets2")->trigger();  // returns: nothing modal runs
        QWidget* help = help_window();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(!help->isModal());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(help->windowTitle(), QStringLiteral("Neural Net Usage - Tarvenix Help"));
        auto* page = help->findChild<QTextBrowser*>(QStringLiteral("txtTopic"));
        QVERIFY(page->toPlainText().contains(QStringLiteral("Enter the filename of the neural net below:")));
        // Rendered, not shown as source.
        QVERIFY(!page->toPlainText().contains(QStringLiteral("# Neural Net Usage")));
        auto* list = help->findChild<QListWidget*>(QStringLiteral("lstTopics"));
        QCOMPARE(list->count(), 11);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Neural Net Usage"));

        // The main window stays usable beside it.
        auto* spot = main->findChild<QLineEdit*>(QStringLiteral("current"));
        spot->selectAll();
        QTest::keyClicks(spot, QStringLiteral("61"));
        QCOMPARE(models->main.current, std::string("61"));
    }

    void a_second_request_reuses_the_window() {
        item("mnuHelpOptions")->trigger();
        QWidget* help = help_window();
        QVERIFY(help);
        QCOMPARE(help->windowTitle(), QStringLiteral("Equity Options - Tarvenix Help"));
        help->hide();  // or behind other windows: it comes back to the front

        item("mnuHelpCbonds")->trigger();
        QCOMPARE(help_window(), help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->windowTitle(), QStringLiteral("Convertible Bonds - Tarvenix Help"));
        QVERIFY(help->findChild<QTextBrowser*>(QStringLiteral("txtTopic"))
                    ->toPlainText()
                    .contains(QStringLiteral("Q = B / P × 100 + R × V / P × 100")));
    }

    void the_list_and_the_links_move_between_topics() {
        item("mnuHelpFutures")->trigger();
        QWidget* help = help_window();
        auto* list = help->findChild<QListWidget*>(QStringLiteral("lstTopics"));
        const QStringList titles{
            "Equity Options",   "Futures", "Warrants", "Straight Bonds",   "Convertible Bonds", "Neural Net Creation",
            "Neural Net Usage", "History", "Charts",   "Strategy Builder", "Volatility Smile"};
        QCOMPARE(list->count(), titles.size());
        for (int i = 0; i < list->count(); ++i) QCOMPARE(list->item(i)->text(), titles[i]);

        list->setCurrentRow(2);
        QCOMPARE(help->windowTitle(), QStringLiteral("Warrants - Tarvenix Help"));
        QCOMPARE(models->help.topic, 300);

        auto* page = help->findChild<QTextBrowser*>(QStringLiteral("txtTopic"));
        emit page->anchorClicked(QUrl(QStringLiteral("#100")));
        QCOMPARE(help->windowTitle(), QStringLiteral("Equity Options - Tarvenix Help"));
        QCOMPARE(list->currentRow(), 0);
        emit page->anchorClicked(QUrl(QStringLiteral("#999")));  // no such topic: stays
        QCOMPARE(models->help.topic, 100);
    }

    void a_missing_help_file_is_told_with_the_places_looked_at() {
        models->main.dlgHelp_HelpFile = "no-such-help.hlp";
        ModalAnswerer answerer(QMessageBox::Ok);
        item("mnuHelpWarrants")->trigger();
        QCOMPARE(answerer.seen.size(), 1);
        const SeenBox box = answerer.seen[0];
        QCOMPARE(box.title, QStringLiteral("Tarvenix"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        const QString dir = QCoreApplication::applicationDirPath();
        QVERIFY2(box.text.startsWith(QString::fromUtf8(help_text::file_missing)), qPrintable(box.text));
        QVERIFY(box.text.contains(dir + QStringLiteral("/no-such-help.hlp")));
        QVERIFY(box.text.contains(QStringLiteral("/share/tarvenix/no-such-help.hlp")));
        QVERIFY(!help_window());
        QVERIFY(main->isVisible());
    }

    void exit_answered_no_keeps_every_window() {
        item("mnuHelpSbonds")->trigger();
        ui->show(Window::Output);
        ui->show(Window::Pacifier);
        QWidget* help = help_window();

        ModalAnswerer answerer(QMessageBox::No);
        item("mnuFileExit")->trigger();
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].text, QStringLiteral("Are you sure?"));
        for (const char* name : {"frmBrantholm", "frmHelp", "frmOutput", "pacifier"}) {
            QWidget* w = top_level(QString::fromLatin1(name));
            QVERIFY2(w && w->isVisible(), name);
        }
        QCOMPARE(help_window(), help);
        QCOMPARE(help->windowTitle(), QStringLiteral("Straight Bonds - Tarvenix Help"));
        QVERIFY(!models->main.unloaded);
    }

    void every_window_carries_the_program_icon() {
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(!icon.pixmap(32, 32).isNull());  // the drawing itself renders
        item("mnuHelpOptions")->trigger();
        ui->show(Window::Pacifier);
        ui->show(Window::Pmeter);
        for (const char* name : {"frmBrantholm", "frmHelp", "pacifier", "pmeter"}) {
            QWidget* w = top_level(QString::fromLatin1(name));
            QVERIFY2(w, name);
            QCOMPARE(w->windowIcon().cacheKey(), icon.cacheKey());
        }
    }
};

QTEST_MAIN(HelpTest)
#include "test_help.moc"
