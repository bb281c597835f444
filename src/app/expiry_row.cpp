#include "app/expiry_row.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QWidgetAction>

#include "app/accessible_names.h"
#include "core/dates.h"
#include "core/numbers.h"

namespace tvx {

namespace {

QString text_of(const std::string& s) { return QString::fromStdString(s); }

void set_text_if_differs(QLineEdit* edit, const std::string& text) {
    if (edit->text() != text_of(text)) edit->setText(text_of(text));
}

const char* caption_of(const char* name) {
    for (const Field<ExpiryDate>& f : kExpiryFields)
        if (std::string_view(f.name) == name) return f.caption;
    return "";
}

}  // namespace

ExpiryRow::ExpiryRow(ExpiryDate& dates, std::string& years, QLineEdit* years_edit, Window window, UserInterface& ui,
                     std::function<void()> drawn, QObject* parent)
    : QObject(parent), dates_(dates), years_(years), window_(window), ui_(ui), drawn_(std::move(drawn)) {
    build_expiry();
    build_valuation();
    build_day_count();
    // A life typed in years shows the date it comes to.
    connect(years_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        dates_.expiry = expiry_for_years(dates_, local_now(), text.toStdString());
        applied_ = dates_.expiry;
        set_text_if_differs(expiry_, dates_.expiry);
    });
    draw();
}

void ExpiryRow::build_expiry() {
    expiry_box_ = new QWidget;
    auto* row = new QHBoxLayout(expiry_box_);
    row->setContentsMargins(0, 0, 0, 0);
    expiry_ = new QLineEdit;
    expiry_->setObjectName(QStringLiteral("txtExpiry"));
    expiry_->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
    connect(expiry_, &QLineEdit::textEdited, this, [this](const QString& t) { dates_.expiry = t.toStdString(); });
    connect(expiry_, &QLineEdit::editingFinished, this, [this] {
        if (dates_.expiry != applied_) apply();
    });
    calendar_ = new QToolButton;
    calendar_->setObjectName(QStringLiteral("cmdCalendar"));
    calendar_->setText(QStringLiteral("..."));
    calendar_->setPopupMode(QToolButton::InstantPopup);
    set_accessible(calendar_, QStringLiteral("Pick the expiry date"));
    auto* menu = new QMenu(calendar_);
    auto* picker = new QCalendarWidget;
    picker->setObjectName(QStringLiteral("calExpiry"));
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(picker);
    menu->addAction(action);
    calendar_->setMenu(menu);
    connect(picker, &QCalendarWidget::clicked, this, [this, menu](const QDate& day) {
        menu->close();
        dates_.expiry = day.toString(Qt::ISODate).toStdString();
        set_text_if_differs(expiry_, dates_.expiry);
        apply();
    });
    row->addWidget(expiry_, 1);
    row->addWidget(calendar_);
}

void ExpiryRow::build_valuation() {
    valuation_ = new QLineEdit;
    valuation_->setObjectName(QStringLiteral("txtValuationDate"));
    valuation_->setPlaceholderText(QStringLiteral("today"));
    connect(valuation_, &QLineEdit::textEdited, this,
            [this](const QString& t) { dates_.valuation_date = t.toStdString(); });
    connect(valuation_, &QLineEdit::editingFinished, this, [this] { changed(); });
}

void ExpiryRow::build_day_count() {
    count_box_ = new QWidget;
    auto* row = new QHBoxLayout(count_box_);
    row->setContentsMargins(0, 0, 0, 0);
    day_count_ = new QComboBox;
    day_count_->setObjectName(QStringLiteral("cboDayCount"));
    for (const DayCountName& n : kDayCounts)
        day_count_->addItem(QString::fromUtf8(n.caption), QString::fromLatin1(n.word));
    connect(day_count_, &QComboBox::activated, this, [this](int index) {
        dates_.day_count = day_count_->itemData(index).toString().toStdString();
        changed();
    });
    holidays_ = new QPushButton(QStringLiteral("Holidays..."));
    holidays_->setObjectName(QStringLiteral("cmdHolidays"));
    holidays_->setAutoDefault(false);
    holiday_file_ = new QLabel;
    holiday_file_->setObjectName(QStringLiteral("lblHolidayFile"));
    connect(holidays_, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(holidays_, QString::fromUtf8(caption_of("txtHolidays")),
                                                          text_of(dates_.holidays));
        if (file.isEmpty()) return;
        dates_.holidays = file.toStdString();
        draw();
        changed();
    });
    row->addWidget(day_count_);
    row->addWidget(holidays_);
    row->addWidget(holiday_file_, 1);
}

std::vector<ExpiryRow::Row> ExpiryRow::rows() const {
    return {{"lblExpiry", caption_of("txtExpiry"), expiry_, expiry_box_},
            {"lblValuationDate", caption_of("txtValuationDate"), valuation_, valuation_},
            {"lblDayCount", caption_of("cboDayCount"), day_count_, count_box_}};
}

std::vector<QWidget*> ExpiryRow::tab_chain() const { return {expiry_, calendar_, valuation_, day_count_, holidays_}; }

void ExpiryRow::draw() {
    set_text_if_differs(expiry_, dates_.expiry);
    set_text_if_differs(valuation_, dates_.valuation_date);
    const int index = day_count_->findData(text_of(dates_.day_count));
    if (index >= 0 && index != day_count_->currentIndex()) day_count_->setCurrentIndex(index);
    holiday_file_->setText(QFileInfo(text_of(dates_.holidays)).fileName());
    holiday_file_->setToolTip(text_of(dates_.holidays));
    // Holidays count only on business days.
    const bool business = dates_.day_count == "bus252";
    holidays_->setVisible(business);
    holiday_file_->setVisible(business);
}

bool ExpiryRow::apply() {
    applied_ = dates_.expiry;
    if (dates_.expiry.empty()) return false;
    const std::optional<double> years = expiry_years(dates_, local_now(), ui_, window_);
    if (!years) return false;
    years_ = exact_text(*years);
    if (drawn_) drawn_();
    return true;
}

bool ExpiryRow::settle() {
    if (dates_.expiry == applied_) return true;
    return apply() || dates_.expiry.empty();
}

void ExpiryRow::changed() {
    if (!dates_.expiry.empty()) apply();
}

}  // namespace tvx
