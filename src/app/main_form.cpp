#include "app/main_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <string_view>

#include "app/accessible_names.h"
#include "app/chart_form.h"
#include "app/dividends_dialog.h"
#include "app/expiry_row.h"
#include "app/menu_tree.h"
#include "options/compute.h"
#include "options/dividend_schedule.h"
#include "smile/smile_commands.h"

namespace tvx {

namespace cap = main_caption;

namespace {

QLabel* label(const char* name, const char* caption) {
    auto* l = new QLabel(QString::fromUtf8(caption));
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

const Field<MainWindow>& row(const char* name) { return field_named<MainWindow>(kMainFields, name); }

QGroupBox* group(const char* name, const char* caption) {
    auto* g = new QGroupBox(QString::fromUtf8(caption));
    g->setObjectName(QString::fromLatin1(name));
    return g;
}

void set_text_if_differs(QLineEdit* edit, const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (edit->text() != t) edit->setText(t);
}

}  // namespace

MainForm::MainForm(Models& models, UserInterface& ui) : models_(models), model_(models.main), ui_(ui) {
    setObjectName(QStringLiteral("frmBrantholm"));
    setWindowTitle(QString::fromUtf8(cap::frmBrantholm));

    build_menus();

    // Built in reading order, which is also the tab order.
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(build_terms(), 1);
    top->addWidget(build_choices());
    QWidget* calculation = build_calculation();
    QWidget* advanced = build_advanced();

    QLayout* commands = build_commands();

    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);
    column->addLayout(top);
    column->addWidget(calculation);
    column->addWidget(advanced);
    column->addLayout(commands);
    setCentralWidget(central);

    draw();
}

QLayout* MainForm::build_commands() {
    compute_ = new QPushButton(QString::fromUtf8(cap::cmdCompute));
    compute_->setObjectName(QStringLiteral("cmdCompute"));
    compute_->setMinimumWidth(110);
    connect(compute_, &QPushButton::clicked, this, [this] {
        cmdCompute_Click(model_, models_.output, models_.pacifier, ui_);
        // An open chart of the option draws the terms just computed.
        if (!model_.unloaded) follow_compute(models_, ui_, ChartSource::Option);
    });
    // Beside the specified Compute: the cash dividends' dialog, and what
    // it holds.
    auto* dividends = new QPushButton(QString::fromUtf8(cap::cmdDividends));
    dividends->setObjectName(QStringLiteral("cmdDividends"));
    dividends->setAutoDefault(false);
    connect(dividends, &QPushButton::clicked, this, [this] {
        DividendsDialog dialog(model_, ui_, this);
        if (dialog.exec() == QDialog::Accepted) draw();
    });
    dividends_ = new QLabel;
    dividends_->setObjectName(QStringLiteral("lblDividends"));
    auto* commands = new QHBoxLayout;
    commands->addWidget(dividends);
    commands->addWidget(dividends_);
    commands->addStretch(1);
    commands->addWidget(compute_);
    return commands;
}

void MainForm::add_dates(QFormLayout* form, QLineEdit* years) {
    dates_ = new ExpiryRow(
        model_.dates, model_.time, years, Window::Main, ui_, [this] { draw(); }, this);
    for (const ExpiryRow::Row& row : dates_->rows()) {
        QLabel* l = tvx::label(row.label_name, row.caption);
        l->setBuddy(row.buddy);
        form->addRow(l, row.widget);
    }
    // Return in the expiry fills the years first, then runs Compute.
    connect(dates_->expiry_edit(), &QLineEdit::returnPressed, this, [this] {
        if (dates_->settle()) compute_->click();
    });
}

void MainForm::build_menus() {
    // The tree is flat, in display order, with levels: each submenu item
    // opens a menu that the deeper items below it go into.
    std::vector<QMenu*> open_menus;
    for (const MenuItem& item : menu_tree()) {
        const QString caption = QString::fromUtf8(item.caption);
        open_menus.resize(static_cast<std::size_t>(item.level - 1));
        if (!item.click) {
            QMenu* menu = open_menus.empty() ? menuBar()->addMenu(caption) : open_menus.back()->addMenu(caption);
            menu->setObjectName(QString::fromLatin1(item.name));
            menu->menuAction()->setObjectName(QString::fromLatin1(item.name) + QStringLiteral("Action"));
            open_menus.push_back(menu);
            continue;
        }
        QAction* action = open_menus.back()->addAction(caption);
        action->setObjectName(QString::fromLatin1(item.name));
        const auto& click = item.click;
        if (item.checked) {
            // The check mark shows the model's state, whatever the click did.
            const auto& checked = item.checked;
            action->setCheckable(true);
            action->setChecked(checked(models_));
            connect(action, &QAction::triggered, this, [this, &click, &checked, action] {
                click(models_, ui_);
                action->setChecked(checked(models_));
            });
            continue;
        }
        connect(action, &QAction::triggered, this, [this, &click] { click(models_, ui_); });
    }
}

QLabel* MainForm::label(const char* field_name, QWidget* field) {
    const Field<MainWindow>& f = row(field_name);
    QLabel* l = tvx::label(f.label, f.caption);
    // The label names its field for screen readers (app/accessible_names.h).
    l->setBuddy(field);
    return l;
}

QLineEdit* MainForm::field(const char* name) {
    const Field<MainWindow>& f = row(name);
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    // However small the window, a field keeps the width of its size hint
    // (some seventeen characters): no digit is ever cut off.
    edit->setMinimumWidth(edit->sizeHint().width());
    connect(edit, &QLineEdit::textEdited, this,
            [this, &f](const QString& text) { f.text(model_) = text.toStdString(); });
    // Return in any field runs Compute, as a dialog's default button would.
    connect(edit, &QLineEdit::returnPressed, this, [this] { compute_->click(); });
    fields_.push_back({edit, &f});
    return edit;
}

QGroupBox* MainForm::choice(const char* name, QRadioButton*& first, QRadioButton*& second) {
    const Field<MainWindow>& f = row(name);
    first = new QRadioButton(QString::fromUtf8(f.buttons[0].caption));
    first->setObjectName(QString::fromLatin1(f.buttons[0].name));
    second = new QRadioButton(QString::fromUtf8(f.buttons[1].caption));
    second->setObjectName(QString::fromLatin1(f.buttons[1].name));
    connect(first, &QRadioButton::toggled, this, [this, &f](bool on) { model_.*f.first = on; });
    return group(f.name, f.caption);
}

QCheckBox* MainForm::check(const char* name) {
    const Field<MainWindow>& f = row(name);
    auto* c = new QCheckBox(QString::fromUtf8(f.caption));
    c->setObjectName(QString::fromLatin1(name));
    connect(c, &QCheckBox::toggled, this, [this, &f](bool on) { model_.*f.first = on; });
    return c;
}

QWidget* MainForm::build_terms() {
    auto* box = new QWidget;
    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(8);
    form->setHorizontalSpacing(12);
    for (const char* name : {"current", "strike", "dividend", "time", "irate"}) {
        QLineEdit* edit = field(name);
        form->addRow(label(name, edit), edit);
        if (std::string_view(name) == "time") add_dates(form, edit);
    }
    return box;
}

QWidget* MainForm::build_choices() {
    auto pair = [](QGroupBox* g, QRadioButton* a, QRadioButton* b) {
        auto* row = new QHBoxLayout(g);
        row->addWidget(a);
        row->addWidget(b);
        row->addStretch(1);
        return g;
    };
    QGroupBox* type = choice("Frame3", optCall_, optPut_);
    QGroupBox* style = choice("Frame2", optEuro_, optAmer_);

    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(pair(type, optCall_, optPut_));
    column->addWidget(pair(style, optEuro_, optAmer_));
    column->addStretch(1);
    return box;
}

QWidget* MainForm::build_calculation() {
    QGroupBox* g = choice("fraCalType", optPrice_, optVol_);
    auto* grid = new QGridLayout(g);
    grid->setHorizontalSpacing(12);
    QLineEdit* volatility = field("qqq");
    QLineEdit* price = field("qqq2");
    grid->addWidget(optPrice_, 0, 0);
    grid->addWidget(label("qqq", volatility), 0, 2);
    grid->addWidget(volatility, 0, 3);
    // The volatility of the fitted smile for this strike and time.
    auto* from_smile = new QPushButton(QString::fromUtf8(smile_caption::cmdFromSmile));
    from_smile->setObjectName(QStringLiteral("cmdFromSmile"));
    connect(from_smile, &QPushButton::clicked, this, [this] { main_from_smile(models_.smile, model_, ui_); });
    grid->addWidget(from_smile, 0, 4);
    grid->addWidget(optVol_, 1, 0);
    grid->addWidget(label("qqq2", price), 1, 2);
    grid->addWidget(price, 1, 3);
    grid->setColumnMinimumWidth(1, 12);
    grid->setColumnStretch(3, 1);
    return g;
}

QWidget* MainForm::build_advanced() {
    svol_ = check("svol");
    srate_ = check("srate");

    // The scale and the slider share one width, in a fixed-pitch font, so
    // "-1", "0" and "1" stand under the slider's ends and middle. The "0"
    // sits half a character right of the scale's centre; one blank more of
    // width splits that offset between the middle and the right end.
    QLabel* scale = tvx::label("Label6", cap::Label6);
    scale->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    scale->setContentsMargins(0, 0, 0, 0);
    const QFontMetrics pitch(scale->font());
    const int width = pitch.horizontalAdvance(scale->text()) + pitch.horizontalAdvance(QLatin1Char(' '));
    scale->setFixedWidth(width);

    slider_ = new QSlider(Qt::Horizontal);
    slider_->setObjectName(QStringLiteral("Slider1"));
    slider_->setRange(kSliderMin, kSliderMax);
    slider_->setFixedWidth(width);
    // The slider is named apart from the field it writes.
    set_accessible(slider_, QString::fromUtf8(cap::Slider1_name), QString::fromUtf8(cap::Slider1_description));
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        model_.Slider1 = position;
        Slider1_Change(model_);
        set_text_if_differs(cor_, model_.cor);
    });

    cor_ = field("cor");

    auto* track = new QVBoxLayout;
    track->setSpacing(0);
    track->addWidget(slider_);
    track->addWidget(scale);

    QGroupBox* g = group("Frame4", cap::Frame4);
    auto* grid = new QGridLayout(g);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    grid->addWidget(svol_, 0, 0);
    grid->addWidget(srate_, 0, 1);
    grid->addWidget(label("cor", cor_), 1, 0, 1, 2);
    grid->addLayout(track, 2, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(cor_, 2, 2, Qt::AlignTop);
    grid->setColumnStretch(2, 1);
    return g;
}

void MainForm::draw() {
    for (const FieldBinding& f : fields_) set_text_if_differs(f.edit, f.row->text(model_));
    (model_.optCall ? optCall_ : optPut_)->setChecked(true);
    (model_.optEuro ? optEuro_ : optAmer_)->setChecked(true);
    (model_.optPrice ? optPrice_ : optVol_)->setChecked(true);
    svol_->setChecked(model_.svol);
    srate_->setChecked(model_.srate);
    {
        // Drawing the position is not a move by the user: `cor` stays as it is.
        const QSignalBlocker quiet(slider_);
        slider_->setValue(model_.Slider1);
    }
    compute_->setEnabled(model_.cmdCompute_enabled);
    dates_->draw();
    dividends_->setText(QString::fromStdString(dividends_summary(model_.dividends, model_.dividend_model)));
}

bool MainForm::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // Extra width goes to the fields; there is nothing that extra height
    // could serve, so the window keeps the height its contents need.
    if (event->type() == QEvent::LayoutRequest) setMaximumHeight(minimumSizeHint().height());
    return handled;
}

void MainForm::closeEvent(QCloseEvent* event) {
    std::int16_t cancel = 0;
    Form_Unload(model_, ui_, cancel);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    event->accept();
    emit unloaded();
}

}  // namespace tvx
