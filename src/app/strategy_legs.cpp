#include "app/strategy_legs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/accessible_names.h"
#include "core/numbers.h"

namespace tvx {

namespace {

QString name_of(const char* column, int k) { return QString::fromStdString(leg_control(column, k)); }

QComboBox* combo(const char* column, int k, std::initializer_list<const char*> items) {
    auto* c = new QComboBox;
    c->setObjectName(name_of(column, k));
    for (const char* item : items) c->addItem(QString::fromUtf8(item));
    return c;
}

void set_text(QLineEdit* edit, const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (edit->text() != t) edit->setText(t);
}

namespace cap = strategy_caption;
constexpr const char* kHeaders[] = {"",        cap::position,   cap::quantity, cap::instrument, cap::style, cap::strike,
                                    cap::time, cap::volatility, cap::premium,  cap::value,      ""};

// A leg's control is called by its column and the leg's number, for
// screen readers ("Leg 2 Strike"); the row is the legs table's.
void name_cell(QWidget* w, const char* column_caption, int k) {
    set_accessible(w, QString::fromStdString(leg_caption(column_caption, k)), QStringLiteral("Legs"));
}

}  // namespace

StrategyLegs::StrategyLegs(StrategyWindow& model, std::function<void(int)> remove)
    : QGroupBox(QStringLiteral("Legs")), model_(model) {
    setObjectName(QStringLiteral("fraLegs"));
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    for (int c = 0; c < static_cast<int>(std::size(kHeaders)); ++c)
        grid->addWidget(new QLabel(QString::fromUtf8(kHeaders[c])), 0, c);
    for (int k = 0; k < kMaxLegs; ++k) {
        rows_[k] = make_row(k, grid);
        connect(rows_[k].remove, &QPushButton::clicked, this, [remove, k] { remove(k); });
    }
    empty_ = new QLabel(QStringLiteral("No legs: choose a preset or add a leg."));
    empty_->setObjectName(QStringLiteral("lblNoLegs"));
    grid->addWidget(empty_, kMaxLegs + 1, 0, 1, static_cast<int>(std::size(kHeaders)));
    grid->setColumnStretch(5, 1);
    grid->setColumnStretch(6, 1);
    grid->setColumnStretch(7, 1);
    grid->setColumnStretch(8, 1);
    grid->setRowStretch(kMaxLegs + 2, 1);
    draw();
}

QLineEdit* StrategyLegs::text_cell(const char* column, int k, std::string LegRow::*member) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name_of(column, k));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000.0000")) + 10);
    connect(edit, &QLineEdit::textEdited, this,
            [this, k, member](const QString& typed) { model_.legs[k].*member = typed.toStdString(); });
    return edit;
}

StrategyLegs::Row StrategyLegs::make_row(int k, QGridLayout* grid) {
    Row r{};
    r.number = new QLabel(QString::number(k + 1));
    r.position = combo("position", k, {"Long", "Short"});
    r.quantity = text_cell("quantity", k, &LegRow::quantity);
    r.quantity->setMinimumWidth(r.quantity->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 10);
    r.quantity->setMaximumWidth(r.quantity->minimumWidth() + 20);
    r.instrument = combo("instrument", k, {"Call", "Put", "Share"});
    r.style = combo("style", k, {"European", "American"});
    r.strike = text_cell("strike", k, &LegRow::strike);
    r.time = text_cell("time", k, &LegRow::time);
    r.volatility = text_cell("volatility", k, &LegRow::volatility);
    r.premium = text_cell("premium", k, &LegRow::premium);
    r.value = new QLabel;
    r.value->setObjectName(name_of("value", k));
    r.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    r.remove = new QPushButton(QString::fromUtf8(cap::remove));
    r.remove->setObjectName(name_of("cmdRemoveLeg", k));
    r.remove->setAutoDefault(false);
    r.remove->setToolTip(QString::fromStdString(leg_caption(cap::remove, k)));
    name_cell(r.position, cap::position, k);
    name_cell(r.quantity, cap::quantity, k);
    name_cell(r.instrument, cap::instrument, k);
    name_cell(r.style, cap::style, k);
    name_cell(r.strike, cap::strike, k);
    name_cell(r.time, cap::time, k);
    name_cell(r.volatility, cap::volatility, k);
    name_cell(r.premium, cap::premium, k);
    // The value's own text is what it says; the description tells whose.
    r.value->setAccessibleDescription(QString::fromStdString(leg_caption(cap::value, k)));
    name_cell(r.remove, cap::remove, k);
    connect(r.position, &QComboBox::activated, this,
            [this, k](int i) { model_.legs[k].side = i == 0 ? Side::Long : Side::Short; });
    connect(r.instrument, &QComboBox::activated, this, [this, k](int i) {
        model_.legs[k].instrument = static_cast<Instrument>(i);
        draw_row(k);
    });
    connect(r.style, &QComboBox::activated, this,
            [this, k](int i) { model_.legs[k].style = i == 0 ? LegStyle::European : LegStyle::American; });
    QWidget* const cells[] = {r.number, r.position,   r.quantity, r.instrument, r.style, r.strike,
                              r.time,   r.volatility, r.premium,  r.value,      r.remove};
    for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) grid->addWidget(cells[c], k + 1, c);
    return r;
}

void StrategyLegs::draw_row(int k) {
    const Row& r = rows_[k];
    const LegRow& leg = model_.legs[k];
    const bool used = k < model_.leg_count;
    const bool option = leg.instrument != Instrument::Share;
    for (QWidget* w : std::initializer_list<QWidget*>{r.number, r.position, r.quantity, r.instrument, r.style, r.strike,
                                                      r.time, r.volatility, r.premium, r.value, r.remove})
        w->setVisible(used);
    r.position->setCurrentIndex(leg.side == Side::Long ? 0 : 1);
    r.instrument->setCurrentIndex(static_cast<int>(leg.instrument));
    r.style->setCurrentIndex(leg.style == LegStyle::European ? 0 : 1);
    set_text(r.quantity, leg.quantity);
    set_text(r.strike, leg.strike);
    set_text(r.time, leg.time);
    set_text(r.volatility, leg.volatility);
    set_text(r.premium, leg.premium);
    // A share has no option terms: their cells stand empty and still.
    for (QWidget* w : std::initializer_list<QWidget*>{r.style, r.strike, r.time, r.volatility}) w->setEnabled(option);
    r.premium->setPlaceholderText(option ? QStringLiteral("its value") : QStringLiteral("the spot"));
    // Today's value of one unit, from the last Compute while the rows are
    // the ones it valued.
    QString value;
    if (model_.report && model_.report->figures.legs.size() == static_cast<std::size_t>(model_.leg_count) && used)
        value = QString::fromStdString(result_text(model_.report->figures.legs[k].unit.value));
    r.value->setText(value);
}

void StrategyLegs::draw() {
    for (int k = 0; k < kMaxLegs; ++k) draw_row(k);
    empty_->setVisible(model_.leg_count == 0);
}

int StrategyLegs::legs_height(int legs) const {
    const auto* grid = static_cast<const QGridLayout*>(layout());
    const QMargins m = contentsMargins() + grid->contentsMargins();
    const int row = rows_[0].strike->sizeHint().height() + grid->verticalSpacing();
    const int headings = fontMetrics().height() + grid->verticalSpacing();
    return m.top() + m.bottom() + headings + row * legs;
}

std::vector<QWidget*> StrategyLegs::tab_chain() const {
    std::vector<QWidget*> chain;
    for (const Row& r : rows_) {
        for (QWidget* w : std::initializer_list<QWidget*>{r.position, r.quantity, r.instrument, r.style, r.strike,
                                                          r.time, r.volatility, r.premium, r.remove})
            chain.push_back(w);
    }
    return chain;
}

}  // namespace tvx
