#include "app/strategy_form.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/chart_drawing.h"
#include "app/strategy_legs.h"
#include "app/theme.h"
#include "charts/chart_text.h"
#include "charts/strategy_chart.h"
#include "core/numbers.h"
#include "core/text_file.h"
#include "options/dividend_schedule.h"
#include "smile/smile_commands.h"
#include "strategy/presets.h"
#include "strategy/rules.h"
#include "strategy/strategy_commands.h"

namespace tvx {

namespace {

QPushButton* button(const char* name, const char* caption) {
    auto* b = named(new QPushButton(QString::fromUtf8(caption)), name);
    b->setAutoDefault(true);
    b->setMinimumWidth(std::max(b->sizeHint().width(), 96));
    return b;
}

const Field<StrategyWindow>& term(const char* name) { return field_named<StrategyWindow>(strategy_fields(), name); }

}  // namespace

StrategyForm::StrategyForm(Models& models, UserInterface& ui) : models_(models), w_(models.strategy), ui_(ui) {
    setObjectName(QStringLiteral("frmStrategy"));
    setWindowTitle(QString::fromUtf8(StrategyWindow::caption));
    legs_ = new StrategyLegs(w_, [this](int k) { strategy_remove_leg(w_, ui_, k); });

    results_ = named(new QLabel, "lblResults");
    // Tab reaches the results, so that a screen reader reads them in order.
    results_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    results_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    results_->setWordWrap(true);
    results_->setMinimumWidth(results_->fontMetrics().horizontalAdvance(QString(44, QLatin1Char('0'))));
    auto* results_box = named(new QGroupBox(QStringLiteral("Results")), "fraResults");
    auto* results_lines = new QVBoxLayout(results_box);
    results_lines->addWidget(results_);
    results_lines->addStretch(1);

    auto* lower = new QHBoxLayout;
    lower->setSpacing(12);
    results_box->setMaximumWidth(results_->minimumWidth() + 40);
    lower->addWidget(results_box, 0);
    lower->addWidget(build_chart(), 1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 10);
    column->setSpacing(10);
    // The legs scroll when the screen is too low for all of them, so that
    // the window fits and every button stays in reach.
    legs_area_ = named(new QScrollArea, "scrLegs");
    legs_area_->setWidget(legs_);
    legs_area_->setWidgetResizable(true);
    legs_area_->setFrameShape(QFrame::NoFrame);
    legs_area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    column->addWidget(build_terms());
    column->addWidget(legs_area_);
    column->addWidget(build_commands());
    column->addLayout(lower, 1);

    std::vector<QWidget*> chain = tab_chain_;
    const std::vector<QWidget*> legs = legs_->tab_chain();
    // The legs after the terms, the button that takes them, the presets
    // and the chart's range; the results after the commands.
    const auto range_end = std::find_if(chain.begin(), chain.end(),
                                        [](const QWidget* w) { return w->objectName() == QLatin1String("spotto"); });
    chain.insert(range_end == chain.end() ? chain.end() : range_end + 1, legs.begin(), legs.end());
    chain.push_back(results_);
    for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
    resize(sizeHint());
    draw();
    if (!terms_.empty()) terms_.front().first->setFocus(Qt::OtherFocusReason);
}

QLineEdit* StrategyForm::term_field(const char* name, std::string& text) {
    auto* edit = named(new QLineEdit, name);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000.0000")) + 12);
    connect(edit, &QLineEdit::textEdited, this, [&text](const QString& typed) { text = typed.toStdString(); });
    terms_.emplace_back(edit, &text);
    tab_chain_.push_back(edit);
    return edit;
}

QWidget* StrategyForm::build_terms() {
    auto* box = named(new QGroupBox(QStringLiteral("Market terms and horizon")), "fraTerms");
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(10);
    // Two columns: the spot, horizon, rate, spot volatility and dividend.
    const char* const fields[] = {"spot", "horizon", "rate", "spotvol", "dividend"};
    for (int k = 0; k < static_cast<int>(std::size(fields)); ++k) {
        const char* name = fields[k];
        QLineEdit* edit = term_field(name, term(name).text(w_));
        auto* label = named(new QLabel(QString::fromUtf8(term(name).caption)), (std::string(name) + "Label").c_str());
        label->setBuddy(edit);
        grid->addWidget(label, k / 2, (k % 2) * 2);
        grid->addWidget(edit, k / 2, (k % 2) * 2 + 1);
    }
    add_dividend_terms(grid, 3);
    terms_[1].first->setPlaceholderText(QStringLiteral("the first expiry"));
    terms_[3].first->setPlaceholderText(QStringLiteral("the legs' mean"));
    QPushButton* take = button("cmdTerms", strategy_caption::cmdTerms);
    connect(take, &QPushButton::clicked, this, [this] { strategy_take_terms(w_, models_.main, ui_); });
    grid->addWidget(take, 2, 3);
    // Each option leg's volatility from the fitted smile.
    QPushButton* from_smile = button("cmdFromSmile", smile_caption::cmdFromSmile);
    connect(from_smile, &QPushButton::clicked, this, [this] { strategy_from_smile(models_.smile, w_, ui_); });
    grid->addWidget(from_smile, 3, 3);

    preset_ = named(new QComboBox, "cboPreset");
    preset_->addItem(QString::fromUtf8(strategy_caption::cboPreset));
    for (const Preset& p : presets()) preset_->addItem(QString::fromUtf8(p.caption));
    connect(preset_, &QComboBox::activated, this, [this](int i) {
        if (i > 0) strategy_preset(w_, models_.main, ui_, i - 1);
    });
    auto* preset_label = new QLabel(QStringLiteral("&Preset around the spot"));
    preset_label->setBuddy(preset_);
    grid->addWidget(preset_label, 0, 4);
    grid->addWidget(preset_, 0, 5);
    tab_chain_.push_back(take);
    tab_chain_.push_back(from_smile);
    tab_chain_.push_back(preset_);
    // The chart's range of the spot: empty ends take the default's, which
    // the fields show greyed.
    int row = 1;
    for (const char* name : {"spotfrom", "spotto"}) {
        QLineEdit* edit = term_field(name, term(name).text(w_));
        auto* label = named(new QLabel(QString::fromUtf8(term(name).caption)), (std::string(name) + "Label").c_str());
        label->setBuddy(edit);
        grid->addWidget(label, row, 4);
        grid->addWidget(edit, row++, 5);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    return box;
}

void StrategyForm::add_dividend_terms(QGridLayout* grid, int row) {
    // The share's cash dividends, in the command line's syntax, and their
    // model, under the market terms.
    QLineEdit* dividends = term_field("dividends", w_.dividends);
    dividends->setPlaceholderText(QStringLiteral("WHEN:AMOUNT, ... (none)"));
    auto* label = named(new QLabel(QString::fromUtf8(term("dividends").caption)), "dividendsLabel");
    label->setBuddy(dividends);
    grid->addWidget(label, row, 0);
    grid->addWidget(dividends, row, 1);
    model_ = named(new QComboBox, "dividend_model");
    model_->addItem(QString::fromUtf8(dividends_caption::spotItem),
                    QString::fromLatin1(dividend_model_word(DividendModel::Spot)));
    model_->addItem(QString::fromUtf8(dividends_caption::escrowedItem),
                    QString::fromLatin1(dividend_model_word(DividendModel::Escrowed)));
    connect(model_, &QComboBox::activated, this,
            [this](int i) { w_.dividend_model = model_->itemData(i).toString().toStdString(); });
    auto* model_label = named(new QLabel(QString::fromUtf8(term("dividend_model").caption)), "dividend_modelLabel");
    model_label->setBuddy(model_);
    grid->addWidget(model_label, row + 1, 0);
    grid->addWidget(model_, row + 1, 1, Qt::AlignLeft);
    tab_chain_.push_back(model_);
}

QWidget* StrategyForm::build_commands() {
    QPushButton* add = button("cmdAddLeg", strategy_caption::cmdAddLeg);
    QPushButton* compute = button("cmdCompute", strategy_caption::cmdCompute);
    compute->setDefault(true);
    QPushButton* open = button("cmdOpen", strategy_caption::cmdOpen);
    QPushButton* save = button("cmdSave", strategy_caption::cmdSave);
    QPushButton* cancel = button("cmdCancel", strategy_caption::cmdCancel);
    connect(add, &QPushButton::clicked, this, [this] { strategy_add_leg(w_, ui_); });
    connect(compute, &QPushButton::clicked, this, [this] { strategy_compute(w_, ui_); });
    connect(open, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open a strategy"), QString(),
                                                          QStringLiteral("Strategy (*.json);;Any file (*)"));
        if (!path.isEmpty()) strategy_open(w_, ui_, path.toStdString());
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, QStringLiteral("Save the strategy"), QStringLiteral("strategy.json"),
                                         QStringLiteral("Strategy (*.json)"));
        if (!path.isEmpty()) strategy_save(w_, ui_, path.toStdString());
    });
    connect(cancel, &QPushButton::clicked, this, [this] { close(); });
    auto* box = new QWidget;
    auto* line = new QHBoxLayout(box);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(add);
    line->addStretch(1);
    for (QPushButton* b : {compute, open, save, cancel}) line->addWidget(b);
    for (QPushButton* b : {add, compute, open, save, cancel}) tab_chain_.push_back(b);
    return box;
}

// The grid of spot against volatility, with its choice of what it shows.
QWidget* StrategyForm::build_grid_page() {
    shown_ = named(new QComboBox, "cboShown");
    shown_->addItems({QStringLiteral("P&L"), QStringLiteral("Value")});
    connect(shown_, &QComboBox::activated, this, [this] { draw_grid(); });
    table_ = named(new QTableWidget, "tblGrid");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    auto* grid_page = new QWidget;
    auto* grid_column = new QVBoxLayout(grid_page);
    auto* shown_line = new QHBoxLayout;
    auto* shown_label = new QLabel(QStringLiteral("Show"));
    shown_label->setBuddy(shown_);
    shown_line->addWidget(shown_label);
    shown_line->addWidget(shown_);
    shown_line->addStretch(1);
    grid_column->addLayout(shown_line);
    grid_column->addWidget(table_, 1);
    return grid_page;
}

QWidget* StrategyForm::build_chart() {
    title_ = named(new QLabel, "lblTitle");
    QFont big = title_->font();
    big.setBold(true);
    title_->setFont(big);
    caption_ = named(new QLabel, "lblCaption");
    caption_->setWordWrap(true);
    caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    view_ = named(new QChartView, "chtStrategy");
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(480, 240);
    view_->chart()->legend()->setAlignment(Qt::AlignBottom);
    view_->chart()->setMargins(QMargins(4, 4, 10, 4));

    QWidget* grid_page = build_grid_page();
    tabs_ = named(new QTabWidget, "tabChart");
    tabs_->addTab(view_, QStringLiteral("Profit and loss"));
    tabs_->addTab(grid_page, QStringLiteral("Spot × volatility"));
    // The curves' points, as Copy gives them, for those who cannot see them.
    points_ = named(new QTableWidget, "tblPoints");
    points_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    points_->setAccessibleName(QStringLiteral("Points of the chart"));
    tabs_->addTab(points_, QStringLiteral("Points"));
    hover_ = named(new QLabel(QStringLiteral(" ")), "lblHover");
    // The pointer's coordinates belong to the chart: the grid does not keep them.
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        hover_->setText(QStringLiteral(" "));
        draw();
    });
    note_label_ = named(new QLabel, "lblNote");
    note_label_->setStyleSheet(text_colour(colours(palette()).note));
    QPushButton* copy = button("cmdCopyChart", "Copy");
    QPushButton* save = button("cmdSaveChart", "Save Chart...");
    copy->setAutoDefault(false);
    save->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, [this] { copy_chart(); });
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path = ask_chart_file(this, QStringLiteral("strategy.png"));
        if (!path.isEmpty()) save_chart_to(path);
    });
    auto* commands = new QHBoxLayout;
    commands->addWidget(hover_, 1);
    commands->addWidget(copy);
    commands->addWidget(save);

    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(title_);
    column->addWidget(caption_);
    column->addWidget(tabs_, 1);
    column->addWidget(note_label_);
    column->addLayout(commands);
    return box;
}

bool StrategyForm::grid_shown() const { return tabs_->currentIndex() == 1; }
QWidget* StrategyForm::picture() const { return grid_shown() ? static_cast<QWidget*>(table_) : view_; }

void StrategyForm::draw() {
    for (const auto& [edit, text] : terms_) {
        const QString t = QString::fromStdString(*text);
        if (edit->text() != t) edit->setText(t);
    }
    preset_->setCurrentIndex(w_.preset + 1);
    model_->setCurrentIndex(std::max(model_->findData(QString::fromStdString(w_.dividend_model)), 0));
    legs_->draw();
    // Up to four legs show whole; more scroll, so that the window fits a
    // small screen with every button in view.
    legs_area_->setMinimumHeight(std::min(legs_->legs_height(std::max(w_.leg_count, 2)), legs_->legs_height(4)));
    QString lines;
    // Results of earlier terms say so first, greyed until the next Compute.
    if (w_.stale) lines += QString::fromUtf8(strategy_text::stale) + QStringLiteral(".\n\n");
    for (const std::string& line : w_.lines) lines += QString::fromStdString(line) + QLatin1Char('\n');
    results_->setText(lines.trimmed());
    results_->setEnabled(!w_.stale);
    // The range drawn, greyed in the fields of the chart's range.
    const bool drawn = w_.report && !w_.report->curves.spots.empty();
    for (const auto& [edit, text] : terms_) {
        const bool from = edit->objectName() == QLatin1String("spotfrom");
        if (!from && edit->objectName() != QLatin1String("spotto")) continue;
        const std::vector<double>& spots = drawn ? w_.report->curves.spots : std::vector<double>{};
        edit->setPlaceholderText(drawn ? QString::fromStdString(result_text(from ? spots.front() : spots.back()))
                                       : QString());
    }
    if (w_.version != drawn_version_) {
        drawn_version_ = w_.version;
        draw_chart();
    }
    title_->setText(QString::fromStdString(grid_shown() ? (grid_.empty() ? ""
                                                                         : "Today's profit and loss over spot "
                                                                           "and volatility")
                                                        : plot_.title));
    caption_->setText(QString::fromStdString(grid_shown() ? grid_.caption : plot_.caption));
    note_label_->setText(QString::fromStdString(note_));
}

void StrategyForm::draw_chart() {
    plot_ = w_.report ? strategy_plot(*w_.report) : Plot{};
    grid_ = w_.report ? strategy_scenario(*w_.report) : ScenarioGrid{};
    note_ = left_out_note(plot_.left_out);
    hover_->setText(QStringLiteral(" "));
    draw_plot(view_->chart(), plot_, [this](const QString& text) { hover_->setText(text); });
    describe_chart(view_, plot_);
    fill_points_table(points_, plot_);
    draw_grid();
}

void StrategyForm::draw_grid() {
    QStringList across, down;
    for (const double f : grid_.vols) across << QString::fromStdString(grid_factor_header(f));
    for (const double s : grid_.spots) down << QString::fromStdString(grid_spot_header(s));
    fill_scenario_table(table_, grid_, shown_->currentIndex() == 0, across, down);
}

void StrategyForm::copy_chart() {
    auto* mime = new QMimeData;
    const std::string text = grid_shown() ? strategy_grid_tsv(grid_, shown_->currentIndex() == 0) : plot_csv(plot_);
    mime->setText(QString::fromStdString(text));
    if (!grid_shown()) mime->setImageData(view_->grab().toImage());
    QGuiApplication::clipboard()->setMimeData(mime);
}

bool StrategyForm::save_chart_to(const QString& path) {
    bool ok = false;
    if (QFileInfo(path).suffix().toLower() == QLatin1String("csv")) {
        const std::string text = grid_shown() ? strategy_grid_tsv(grid_, shown_->currentIndex() == 0) : plot_csv(plot_);
        ok = write_file_whole(path.toStdString(), text);
    } else {
        ok = save_picture(widget_picture(picture(), QString::fromStdString(plot_.title)), path);
    }
    note_ = ok ? left_out_note(plot_.left_out) : chart_text::not_saved + path.toStdString();
    draw();
    return ok;
}

void StrategyForm::keyPressEvent(QKeyEvent* event) {
    // Return in a field runs Compute; a focused button takes its own.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        strategy_compute(w_, ui_);
        return;
    }
    QWidget::keyPressEvent(event);
}

void StrategyForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The desktop's colours changed: the chart is drawn again in them.
    if (event->type() == QEvent::PaletteChange && note_label_) {
        note_label_->setStyleSheet(text_colour(colours(palette()).note));
        drawn_version_ = -1;
        draw();
    }
}

void StrategyForm::closeEvent(QCloseEvent* event) {
    // Legs changed since they came in are not thrown away unasked.
    if (strategy_cancel(w_, ui_)) {
        event->accept();
    } else {
        event->ignore();
    }
}

std::unique_ptr<QWidget> make_strategy_form(Models& models, UserInterface& ui) {
    return std::make_unique<StrategyForm>(models, ui);
}

}  // namespace tvx
