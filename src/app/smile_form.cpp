#include "app/smile_form.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/accessible_names.h"
#include "app/chart_drawing.h"
#include "app/smile_chart.h"
#include "app/theme.h"
#include "core/numbers.h"
#include "core/text_file.h"
#include "smile/smile_commands.h"

namespace tvx {

namespace {

QPushButton* button(const char* name, const char* caption) {
    auto* b = named(new QPushButton(QString::fromUtf8(caption)), name);
    b->setMinimumWidth(84);
    return b;
}

QString figure(const std::optional<double>& x) { return x ? QString::fromStdString(general_text(*x, 6)) : QString(); }

// The first local file among dropped URLs, or nothing.
QString dropped_file(const QMimeData* data) {
    if (!data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

}  // namespace

SmileForm::SmileForm(Models& models, UserInterface& ui) : w_(models.smile), ui_(ui) {
    setObjectName(QStringLiteral("frmSmile"));
    setWindowTitle(QString::fromUtf8(SmileWindow::caption));
    setAcceptDrops(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 10);
    column->addWidget(build_terms());

    auto* tabs = named(new QTabWidget, "tabSmile");
    quotes_ = named(new QTableWidget, "tblQuotes");
    quotes_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    quotes_->setSelectionBehavior(QAbstractItemView::SelectRows);
    quotes_->verticalHeader()->setVisible(false);
    quotes_->verticalHeader()->setDefaultSectionSize(quotes_->fontMetrics().height() + 6);
    report_ = named(new QPlainTextEdit, "txtReport");
    report_->setReadOnly(true);
    set_accessible(report_, QStringLiteral("Report of the fit"));
    report_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    tabs->addTab(quotes_, QStringLiteral("&Quotes"));
    tabs->addTab(report_, QStringLiteral("&Report"));

    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(tabs);
    split->addWidget(build_chart());
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    column->addWidget(split, 1);

    auto* close_button = button("cmdClose", smile_caption::cmdClose);
    connect(close_button, &QPushButton::clicked, this, [this] { close(); });
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close_button);
    column->addLayout(bottom);
    resize(sizeHint());
    draw();
}

QWidget* SmileForm::build_terms() {
    auto* box = named(new QGroupBox(QStringLiteral("Option chain and its terms")), "fraTerms");
    auto* grid = new QGridLayout(box);
    auto* open = button("cmdOpen", smile_caption::cmdOpen);
    connect(open, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, QStringLiteral("Open an option chain"), QString::fromStdString(w_.file),
                                         QStringLiteral("Option chains (*.csv);;All files (*)"));
        if (!path.isEmpty()) open_file(path);
    });
    file_ = named(new QLabel, "lblFile");
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(open, 0, 0);
    grid->addWidget(file_, 0, 1, 1, 7);
    int at = 0;
    for (const Field<SmileWindow>& f : kSmileFields) {
        if (!f.is_text()) continue;
        auto* edit = named(new QLineEdit, f.name);
        std::string& text = f.text(w_);
        connect(edit, &QLineEdit::textEdited, this, [&text](const QString& typed) { text = typed.toStdString(); });
        connect(edit, &QLineEdit::returnPressed, this, [this] { smile_fit(w_, ui_); });
        auto* label = named(new QLabel(QString::fromUtf8(f.caption)), (std::string(f.name) + "Label").c_str());
        label->setBuddy(edit);
        grid->addWidget(label, 1 + at / 2, (at % 2) * 2);
        grid->addWidget(edit, 1 + at / 2, (at % 2) * 2 + 1);
        fields_.emplace_back(edit, &text);
        ++at;
    }
    american_ = named(new QCheckBox(QString::fromUtf8(field_named<SmileWindow>(kSmileFields, "chkAmerican").caption)),
                      "chkAmerican");
    connect(american_, &QCheckBox::toggled, this, [this](bool on) { w_.american = on; });
    const Field<SmileWindow>& fit = field_named<SmileWindow>(kSmileFields, "fraFit");
    auto* fit_box = named(new QGroupBox(QString::fromUtf8(fit.caption)), fit.name);
    auto* fit_line = new QHBoxLayout(fit_box);
    svi_ = named(new QRadioButton(QString::fromUtf8(fit.buttons[0].caption)), fit.buttons[0].name);
    ssvi_ = named(new QRadioButton(QString::fromUtf8(fit.buttons[1].caption)), fit.buttons[1].name);
    fit_line->addWidget(svi_);
    fit_line->addWidget(ssvi_);
    connect(svi_, &QRadioButton::toggled, this, [this](bool on) { w_.svi = on; });
    auto* fit_button = button("cmdFit", smile_caption::cmdFit);
    fit_button->setDefault(true);
    connect(fit_button, &QPushButton::clicked, this, [this] { smile_fit(w_, ui_); });
    grid->addWidget(american_, 1, 4);
    grid->addWidget(fit_box, 1, 5, 2, 1);
    grid->addWidget(fit_button, 2, 6);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget* SmileForm::build_chart() {
    chart_ = named(new QComboBox, "cboChart");
    for (const char* name : kSmileChartNames) chart_->addItem(QString::fromUtf8(name));
    expiry_ = named(new QComboBox, "cboExpiry");
    expiry_->setMinimumContentsLength(10);  // a whole date
    expiry_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(chart_, &QComboBox::activated, this,
            [this](int i) { smile_choose_chart(w_, ui_, static_cast<SmileChart>(i)); });
    connect(expiry_, &QComboBox::activated, this, [this](int i) { smile_choose_expiry(w_, ui_, i); });
    auto* choices = new QHBoxLayout;
    auto* chart_label = new QLabel(QStringLiteral("C&hart"));
    chart_label->setBuddy(chart_);
    auto* expiry_label = new QLabel(QStringLiteral("&Expiry"));
    expiry_label->setBuddy(expiry_);
    for (QWidget* widget : std::initializer_list<QWidget*>{chart_label, chart_, expiry_label, expiry_})
        choices->addWidget(widget);
    choices->addStretch(1);

    title_ = named(new QLabel, "lblTitle");
    QFont big = title_->font();
    big.setBold(true);
    title_->setFont(big);
    caption_ = named(new QLabel, "lblCaption");
    caption_->setWordWrap(true);
    view_ = named(new QChartView, "chtSmile");
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(520, 380);
    view_->chart()->legend()->setAlignment(Qt::AlignBottom);
    hover_ = named(new QLabel(QStringLiteral(" ")), "lblHover");
    note_ = named(new QLabel, "lblNote");
    note_->setStyleSheet(text_colour(colours(palette()).note));
    auto* copy = button("cmdCopy", smile_caption::cmdCopy);
    auto* save = button("cmdSave", smile_caption::cmdSave);
    connect(copy, &QPushButton::clicked, this, [this] { copy_chart(); });
    connect(save, &QPushButton::clicked, this, [this] {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString folder = w_.save_folder.empty() ? documents : QString::fromStdString(w_.save_folder);
        const QString name = QString::fromStdString(smile_plot_file_name(plot_, plot_.heat ? ".csv" : ".png"));
        const QString path = ask_chart_file(this, folder + QLatin1Char('/') + name, plot_.heat.has_value());
        if (!path.isEmpty()) save_chart_to(path);
    });
    auto* commands = new QHBoxLayout;
    commands->addWidget(hover_, 1);
    commands->addWidget(copy);
    commands->addWidget(save);

    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(choices);
    column->addWidget(title_);
    column->addWidget(caption_);
    column->addWidget(view_, 1);
    column->addWidget(note_);
    column->addLayout(commands);
    return box;
}

void SmileForm::draw() {
    for (const auto& [edit, text] : fields_) {
        const QString t = QString::fromStdString(*text);
        if (edit->text() != t) edit->setText(t);
    }
    american_->setChecked(w_.american);
    (w_.svi ? svi_ : ssvi_)->setChecked(true);
    file_->setText(w_.file.empty() ? QStringLiteral("No chain opened: open one, or drop its file on this window")
                                   : QString::fromStdString(w_.file));
    chart_->setCurrentIndex(static_cast<int>(w_.chart));
    if (w_.version != drawn_version_) {
        drawn_version_ = w_.version;
        draw_quotes();
    }
    if (std::tuple(w_.version, w_.chart, w_.expiry) != drawn_chart_) {
        drawn_chart_ = {w_.version, w_.chart, w_.expiry};
        draw_chart();
    }
    note_->setText(QString::fromStdString(w_.note));
}

void SmileForm::draw_quotes() {
    QString text;
    for (const std::string& line : w_.lines) text += QString::fromStdString(line) + QLatin1Char('\n');
    if (report_->toPlainText() != text) report_->setPlainText(text);
    expiry_->clear();
    quotes_->clear();
    const QStringList headers = {"Expiry",  "Strike",  "Type",    "Bid",  "Ask",
                                 "Vol bid", "Vol mid", "Vol ask", "Flag", "Fitted"};
    quotes_->setColumnCount(static_cast<int>(headers.size()));
    quotes_->setHorizontalHeaderLabels(headers);
    if (!w_.report) {
        quotes_->setRowCount(0);
        return;
    }
    int rows = 0;
    for (const SliceReport& s : w_.report->expiries) rows += static_cast<int>(s.quotes.size());
    quotes_->setRowCount(rows);
    int row = 0;
    for (const SliceReport& s : w_.report->expiries) {
        expiry_->addItem(QString::fromStdString(iso_date(s.expiry)));
        for (const QuoteResult& q : s.quotes) {
            const QString cells[] = {QString::fromStdString(iso_date(s.expiry)),
                                     figure(q.quote.strike),
                                     q.quote.call ? QStringLiteral("C") : QStringLiteral("P"),
                                     figure(q.quote.bid),
                                     figure(q.quote.ask),
                                     figure(q.iv_bid),
                                     figure(q.iv_mid),
                                     figure(q.iv_ask),
                                     QString::fromUtf8(flag_text(q.flag)),
                                     q.fitted ? QStringLiteral("yes") : QString()};
            for (int c = 0; c < static_cast<int>(std::size(cells)); ++c)
                quotes_->setItem(row, c, new QTableWidgetItem(cells[c]));
            ++row;
        }
    }
    quotes_->resizeColumnsToContents();
    expiry_->setCurrentIndex(w_.expiry);
}

void SmileForm::draw_chart() {
    plot_ = smile_plot(w_);
    const bool per_expiry =
        w_.chart == SmileChart::Smile || w_.chart == SmileChart::Residuals || w_.chart == SmileChart::Density;
    expiry_->setEnabled(per_expiry);
    expiry_->setCurrentIndex(w_.expiry);
    hover_->setText(QStringLiteral(" "));
    draw_smile_plot(view_->chart(), plot_, [this](const QString& text) { hover_->setText(text); });
    view_->setAccessibleName(QString::fromStdString(plot_.empty() ? std::string("Chart: nothing drawn") : plot_.title));
    view_->setAccessibleDescription(QString::fromStdString(plot_.caption));
    title_->setText(QString::fromStdString(plot_.title));
    caption_->setText(QString::fromStdString(plot_.caption));
}

void SmileForm::open_file(const QString& path) {
    // The name's bytes as the file system takes them.
    smile_open(w_, ui_, QFile::encodeName(path).toStdString());
}

void SmileForm::copy_chart() {
    auto* mime = new QMimeData;
    mime->setText(QString::fromStdString(smile_plot_csv(plot_)));
    mime->setImageData(view_->grab().toImage());
    QGuiApplication::clipboard()->setMimeData(mime);
}

bool SmileForm::save_chart_to(const QString& path) {
    bool ok = false;
    if (QFileInfo(path).suffix().toLower() == QLatin1String("csv")) {
        ok = write_file_whole(QFile::encodeName(path).toStdString(), smile_plot_csv(plot_));
    } else {
        ok = save_picture(widget_picture(view_, QString::fromStdString(plot_.title)), path);
    }
    w_.note = ok ? std::string() : "The chart could not be saved to " + path.toStdString();
    if (ok) w_.save_folder = QFileInfo(path).absolutePath().toStdString();
    draw();
    return ok;
}

void SmileForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The desktop's colours changed: the chart is drawn again in them.
    if (event->type() == QEvent::PaletteChange && note_) {
        note_->setStyleSheet(text_colour(colours(palette()).note));
        drawn_chart_ = {-1, SmileChart::Smile, -1};
        draw();
    }
}

void SmileForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!dropped_file(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void SmileForm::dropEvent(QDropEvent* event) {
    const QString path = dropped_file(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    open_file(path);
}

void SmileForm::closeEvent(QCloseEvent* event) {
    event->accept();
    smile_close(w_, ui_);
}

std::unique_ptr<QWidget> make_smile_form(Models& models, UserInterface& ui) {
    return std::make_unique<SmileForm>(models, ui);
}

}  // namespace tvx
