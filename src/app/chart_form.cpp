#include "app/chart_form.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/accessible_names.h"
#include "app/chart_drawing.h"
#include "app/theme.h"
#include "charts/chart_text.h"
#include "charts/option_chart.h"
#include "charts/scenario.h"
#include "core/numbers.h"

namespace tvx {

namespace {

QComboBox* combo(const char* name, std::initializer_list<const char*> items) {
    auto* c = named(new QComboBox, name);
    for (const char* item : items) c->addItem(QString::fromUtf8(item));
    return c;
}

QLineEdit* range_field(const char* name) {
    auto* e = named(new QLineEdit, name);
    e->setMaximumWidth(90);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('0'))) + 12);
    return e;
}

void set_text_if_differs(QLineEdit* edit, const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (edit->text() != t) edit->setText(t);
}

// Two lines of widgets, each ending in a stretch; a null widget is a gap.
QWidget* two_lines(std::initializer_list<QWidget*> first, std::initializer_list<QWidget*> second) {
    auto* box = new QWidget;
    auto* lines = new QVBoxLayout(box);
    lines->setContentsMargins(0, 0, 0, 0);
    for (const auto& widgets : {first, second}) {
        auto* line = new QHBoxLayout;
        for (QWidget* w : widgets) {
            if (w) {
                line->addWidget(w);
            } else {
                line->addSpacing(10);
            }
        }
        line->addStretch(1);
        lines->addLayout(line);
    }
    return box;
}

}  // namespace

ChartForm::ChartForm(Models& models, UserInterface& ui) : cx_(chart_context(models, ui)) {
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(QString::fromUtf8(ChartWindow::caption));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 10);
    column->addWidget(build_choices());

    title_ = named(new QLabel, "lblTitle");
    QFont big = title_->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.15);
    title_->setFont(big);
    caption_ = named(new QLabel, "lblCaption");
    caption_->setWordWrap(true);
    caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(title_);
    column->addWidget(caption_);

    view_ = named(new QChartView, "chtView");
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(640, 400);
    view_->chart()->legend()->setAlignment(Qt::AlignBottom);
    view_->chart()->setMargins(QMargins(6, 6, 12, 6));
    table_ = named(new QTableWidget, "tblScenario");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The curves' points as a table beside the chart: what Copy gives, for
    // those who cannot see the curves.
    points_ = named(new QTableWidget, "tblPoints");
    points_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    set_accessible(points_, QStringLiteral("Points of the chart"));
    plot_tabs_ = named(new QTabWidget, "tabPlot");
    plot_tabs_->addTab(view_, QStringLiteral("Chart"));
    plot_tabs_->addTab(points_, QStringLiteral("Points"));
    pages_ = new QStackedWidget;
    pages_->addWidget(plot_tabs_);
    pages_->addWidget(table_);
    column->addWidget(pages_, 1);

    hover_ = named(new QLabel(QStringLiteral(" ")), "lblHover");
    note_ = named(new QLabel, "lblNote");
    note_->setStyleSheet(text_colour(colours(palette()).note));
    column->addWidget(hover_);
    column->addWidget(note_);
    column->addWidget(build_commands());
    resize(sizeHint());
    draw();
}

QWidget* ChartForm::build_choices() {
    source_ =
        combo("cboSource", {"Option", "Scenario table", "Straight bond", "Convertible bond", "Exercise boundary"});
    y_ = combo("cboY", {"Value", "Delta", "Gamma", "Theta", "Vega", "Rho"});
    x_ = combo("cboX", {"Spot", "Strike", "Volatility", "Time to expiry", "Rate"});
    bond_x_ = combo("cboBondX", {"Rate (price-yield)", "Time to maturity"});
    shown_ = combo("cboShown", {"Value", "P&L"});
    from_ = range_field("txtFrom");
    to_ = range_field("txtTo");
    vol_from_ = range_field("txtVolFrom");
    vol_to_ = range_field("txtVolTo");

    connect_choices();

    const auto row = [](std::initializer_list<QWidget*> widgets) {
        auto* box = new QWidget;
        auto* line = new QHBoxLayout(box);
        line->setContentsMargins(0, 0, 0, 0);
        for (QWidget* w : widgets) line->addWidget(w);
        return box;
    };
    option_choices_ = row({new QLabel(QStringLiteral("Plot")), y_, new QLabel(QStringLiteral("against")), x_});
    bond_choices_ = row({new QLabel(QStringLiteral("Against")), bond_x_});
    scenario_choices_ = row({new QLabel(QStringLiteral("Show")), shown_});
    scenario_range_ =
        row({new QLabel(QStringLiteral("Volatility from")), vol_from_, new QLabel(QStringLiteral("to")), vol_to_});
    range_label_ = new QLabel(QStringLiteral("From"));
    // Names for screen readers: the short labels beside them say less.
    set_accessible(source_, QStringLiteral("Chart"));
    set_accessible(y_, QStringLiteral("Plot"));
    set_accessible(x_, QStringLiteral("Plot against"));
    set_accessible(bond_x_, QStringLiteral("Bond chart against"));
    set_accessible(shown_, QStringLiteral("Show"));
    set_accessible(vol_from_, QStringLiteral("Volatility from"));
    set_accessible(vol_to_, QStringLiteral("Volatility to"));

    // What is charted on the first line, its range on the second.
    return two_lines(
        {new QLabel(QStringLiteral("Chart")), source_, nullptr, option_choices_, bond_choices_, scenario_choices_},
        {range_label_, from_, new QLabel(QStringLiteral("to")), to_, nullptr, scenario_range_});
}

// Each choice to the model: the window draws again.
void ChartForm::connect_choices() {
    ChartWindow& m = cx_.chart;
    connect(source_, &QComboBox::activated, this,
            [this](int i) { choose([this, i] { cx_.chart.source = static_cast<ChartSource>(i); }); });
    connect(y_, &QComboBox::activated, this, [this](int i) {
        cx_.chart.y = static_cast<OptionY>(i);
        chart_draw(cx_);  // the range stays
    });
    connect(x_, &QComboBox::activated, this,
            [this](int i) { choose([this, i] { cx_.chart.x = static_cast<OptionX>(i); }); });
    connect(bond_x_, &QComboBox::activated, this,
            [this](int i) { choose([this, i] { cx_.chart.bond_x = static_cast<BondX>(i); }); });
    connect(shown_, &QComboBox::activated, this, [this](int i) {
        cx_.chart.pnl = i == 1;
        draw_table();
        draw();  // and the title that says which
    });
    const auto bind = [this, &m](QLineEdit* edit, std::string ChartWindow::*member) {
        connect(edit, &QLineEdit::textEdited, this, [this, &m, member](const QString& text) {
            m.*member = text.toStdString();
            m.range_typed = true;
        });
        connect(edit, &QLineEdit::returnPressed, this, [this] { chart_draw(cx_); });
    };
    bind(from_, &ChartWindow::from);
    bind(to_, &ChartWindow::to);
    bind(vol_from_, &ChartWindow::vol_from);
    bind(vol_to_, &ChartWindow::vol_to);
}

QWidget* ChartForm::build_commands() {
    draw_button_ = named(new QPushButton(QStringLiteral("Draw")), "cmdDraw");
    draw_button_->setDefault(true);
    cancel_ = named(new QPushButton(QStringLiteral("Cancel")), "cmdCancel");
    auto* copy_button = named(new QPushButton(QStringLiteral("Copy")), "cmdCopy");
    auto* save_button = named(new QPushButton(QStringLiteral("Save...")), "cmdSave");
    auto* close_button = named(new QPushButton(QStringLiteral("Close")), "cmdClose");
    busy_ = named(new QProgressBar, "prgBusy");
    busy_->setRange(0, 0);
    busy_->setMaximumWidth(200);
    connect(draw_button_, &QPushButton::clicked, this, [this] { chart_draw(cx_); });
    connect(cancel_, &QPushButton::clicked, this, [this] { chart_cancel(cx_.chart); });
    connect(copy_button, &QPushButton::clicked, this, [this] { copy(); });
    connect(save_button, &QPushButton::clicked, this, [this] { save(); });
    connect(close_button, &QPushButton::clicked, this, [this] { close(); });

    auto* box = new QWidget;
    auto* line = new QHBoxLayout(box);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(busy_);
    line->addStretch(1);
    for (QPushButton* b : {draw_button_, cancel_, copy_button, save_button, close_button}) {
        b->setMinimumWidth(84);
        line->addWidget(b);
    }
    return box;
}

void ChartForm::choose(const std::function<void()>& change) {
    change();
    chart_choice_changed(cx_);
}

void ChartForm::draw() {
    const ChartWindow& m = cx_.chart;
    const bool scenario = m.source == ChartSource::Scenario;
    const bool option = m.source == ChartSource::Option;
    source_->setCurrentIndex(static_cast<int>(m.source));
    y_->setCurrentIndex(static_cast<int>(m.y));
    x_->setCurrentIndex(static_cast<int>(m.x));
    bond_x_->setCurrentIndex(static_cast<int>(m.bond_x));
    shown_->setCurrentIndex(m.pnl ? 1 : 0);
    option_choices_->setVisible(option);
    bond_choices_->setVisible(m.source == ChartSource::Bond);
    scenario_choices_->setVisible(scenario);
    scenario_range_->setVisible(scenario);
    range_label_->setText(scenario ? QStringLiteral("Spot from") : QStringLiteral("From"));
    from_->setAccessibleName(scenario ? QStringLiteral("Spot from") : QStringLiteral("Range from"));
    to_->setAccessibleName(scenario ? QStringLiteral("Spot to") : QStringLiteral("Range to"));
    set_text_if_differs(from_, m.from);
    set_text_if_differs(to_, m.to);
    set_text_if_differs(vol_from_, m.vol_from);
    set_text_if_differs(vol_to_, m.vol_to);
    for (QWidget* w :
         std::initializer_list<QWidget*>{source_, y_, x_, bond_x_, from_, to_, vol_from_, vol_to_, draw_button_})
        w->setEnabled(!m.busy);
    cancel_->setEnabled(m.busy);
    busy_->setVisible(m.busy);
    note_->setText(QString::fromStdString(m.busy ? m.progress : m.note));
    pages_->setCurrentWidget(scenario ? static_cast<QWidget*>(table_) : plot_tabs_);
    if (m.version != drawn_version_) {
        drawn_version_ = m.version;
        hover_->setText(QStringLiteral(" "));
        tvx::draw_plot(view_->chart(), m.plot, [this](const QString& text) { hover_->setText(text); });
        describe_chart(view_, m.plot);
        fill_points_table(points_, m.plot);
        draw_table();
    }
    // The scenario table's title follows the P&L switch; an exact grid says so.
    std::string grid_title = scenario_title(m.pnl);
    if (m.grid.title.ends_with(kExactTitle)) grid_title += kExactTitle;
    title_->setText(QString::fromStdString(scenario ? (m.grid.empty() ? "" : grid_title) : m.plot.title));
    caption_->setText(QString::fromStdString(scenario ? m.grid.caption : m.plot.caption));
}

void ChartForm::draw_table() {
    const ScenarioGrid& g = cx_.chart.grid;
    QStringList across, down;
    for (const double v : g.vols) across << QStringLiteral("Volatility ") + QString::fromStdString(result_text(v));
    for (const double s : g.spots) down << QStringLiteral("Spot ") + QString::fromStdString(result_text(s));
    fill_scenario_table(table_, g, cx_.chart.pnl, across, down);
}

QWidget* ChartForm::picture() const {
    return cx_.chart.source == ChartSource::Scenario ? static_cast<QWidget*>(table_) : view_;
}

namespace {
constexpr int kPictureMargin = 12;
}  // namespace

ChartForm::PictureLayout ChartForm::picture_layout() const {
    const int width = picture()->width();
    const QRect caption = caption_->fontMetrics().boundingRect(QRect(0, 0, width - 2 * kPictureMargin, 100000),
                                                               Qt::TextWordWrap, caption_->text());
    const int header = kPictureMargin + title_->fontMetrics().height() + 4 + caption.height() + kPictureMargin;
    return {{width, header + picture()->height()}, header};
}

void ChartForm::paint_picture(QPainter& painter, const PictureLayout& layout) const {
    // In the colours on the screen, dark or light.
    painter.fillRect(QRect(QPoint(0, 0), layout.size), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    const int text_width = layout.size.width() - 2 * kPictureMargin;
    painter.setFont(title_->font());
    const int title_height = title_->fontMetrics().height();
    painter.drawText(QRect(kPictureMargin, kPictureMargin, text_width, title_height), Qt::AlignLeft | Qt::AlignVCenter,
                     title_->text());
    painter.setFont(caption_->font());
    painter.drawText(QRect(kPictureMargin, kPictureMargin + title_height + 4, text_width, layout.header),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption_->text());
    picture()->render(&painter, QPoint(0, layout.header), QRegion(), QWidget::DrawChildren);
}

QImage ChartForm::picture_image() const {
    const PictureLayout layout = picture_layout();
    QImage image(layout.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(palette().color(QPalette::Base));
    QPainter painter(&image);
    paint_picture(painter, layout);
    painter.end();
    return image;
}

void ChartForm::copy() {
    auto* mime = new QMimeData;
    mime->setText(QString::fromStdString(chart_copy_text(cx_.chart)));
    if (cx_.chart.source != ChartSource::Scenario) mime->setImageData(picture_image());
    QGuiApplication::clipboard()->setMimeData(mime);
}

bool ChartForm::save_to(const QString& path) {
    bool ok = false;
    if (QFileInfo(path).suffix().toLower() == QLatin1String("csv")) {
        // The name's bytes as the file system takes them.
        ok = chart_save_csv(cx_.chart, QFile::encodeName(path).toStdString(), cx_.ui);
    } else {
        const PictureLayout layout = picture_layout();
        const Picture picture{layout.size, title_->text(), caption_->text(),
                              [this, &layout](QPainter& painter) { paint_picture(painter, layout); },
                              [this] { return picture_image(); }};
        ok = save_picture(picture, path);
        cx_.chart.note = ok ? std::string() : chart_text::not_saved + path.toStdString();
        draw();
    }
    if (ok) chart_saved_into(cx_.chart, path.toStdString());
    return ok;
}

QString ChartForm::suggested_save_path() const {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QString::fromStdString(chart_save_suggestion(cx_.chart, documents.toStdString()).string());
}

void ChartForm::save() {
    // The offered name's kind first: a table is saved as its figures.
    const QString path = ask_chart_file(this, suggested_save_path(), cx_.chart.source == ChartSource::Scenario);
    if (!path.isEmpty()) save_to(path);
}

void ChartForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The desktop's colours changed: the chart is drawn again in them.
    if (event->type() == QEvent::PaletteChange && note_) {
        note_->setStyleSheet(text_colour(colours(palette()).note));
        drawn_version_ = -1;
        draw();
    }
}

void ChartForm::closeEvent(QCloseEvent* event) {
    event->accept();
    chart_close(cx_);
}

std::unique_ptr<QWidget> make_chart_form(Models& models, UserInterface& ui) {
    return std::make_unique<ChartForm>(models, ui);
}

}  // namespace tvx
