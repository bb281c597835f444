#include "app/dividends_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/checks.h"
#include "options/dividend_schedule.h"

namespace tvx {

namespace cap = dividends_caption;

namespace {

QPushButton* button(const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption));
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QString cell(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text().trimmed() : QString();
}

}  // namespace

DividendsDialog::DividendsDialog(MainWindow& model, UserInterface& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
    setObjectName(QStringLiteral("dlgDividends"));
    setWindowTitle(QString::fromUtf8(cap::dlgDividends));
    table_ = new QTableWidget(0, 2);
    table_->setObjectName(QStringLiteral("tblDividends"));
    table_->setHorizontalHeaderLabels({QString::fromUtf8(cap::when), QString::fromUtf8(cap::amount)});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setMinimumWidth(table_->horizontalHeader()->sectionSizeHint(0) * 2 + 60);
    for (const auto& [when, amount] : schedule_rows(model.dividends))
        add_row(QString::fromStdString(when), QString::fromStdString(amount));
    if (table_->rowCount() == 0) add_row();

    auto* note = new QLabel(QString::fromUtf8(cap::note));
    note->setWordWrap(true);
    QPushButton* add = button("cmdAddRow", cap::cmdAddRow);
    QPushButton* remove = button("cmdRemoveRow", cap::cmdRemoveRow);
    QPushButton* clear = button("cmdClear", cap::cmdClear);
    connect(add, &QPushButton::clicked, this, [this] { add_row(); });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (table_->rowCount() > 0) table_->removeRow(std::max(table_->currentRow(), 0));
    });
    connect(clear, &QPushButton::clicked, this, [this] { table_->setRowCount(0); });
    auto* rows = new QHBoxLayout;
    rows->addWidget(add);
    rows->addWidget(remove);
    rows->addWidget(clear);
    rows->addStretch(1);

    auto* choice = new QGroupBox(QString::fromUtf8(cap::fraModel));
    choice->setObjectName(QStringLiteral("fraModel"));
    spot_ = new QRadioButton(QString::fromUtf8(cap::optSpotModel));
    spot_->setObjectName(QStringLiteral("optSpotModel"));
    escrowed_ = new QRadioButton(QString::fromUtf8(cap::optEscrowedModel));
    escrowed_->setObjectName(QStringLiteral("optEscrowedModel"));
    (model.dividend_model == dividend_model_word(DividendModel::Escrowed) ? escrowed_ : spot_)->setChecked(true);
    auto* models = new QVBoxLayout(choice);
    models->addWidget(spot_);
    models->addWidget(escrowed_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (apply()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(note);
    column->addWidget(table_, 1);
    column->addLayout(rows);
    column->addWidget(choice);
    column->addWidget(buttons);
}

void DividendsDialog::add_row(const QString& when, const QString& amount) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    table_->setItem(row, 0, new QTableWidgetItem(when));
    table_->setItem(row, 1, new QTableWidgetItem(amount));
    table_->setCurrentCell(row, 0);
}

bool DividendsDialog::apply() {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int r = 0; r < table_->rowCount(); ++r)
        rows.emplace_back(cell(table_, r, 0).toStdString(), cell(table_, r, 1).toStdString());
    const std::optional<std::string> text = rows_schedule(rows);
    if (!text) {
        warn(ui_, dividend_text::not_a_schedule);
        return false;
    }
    model_.dividends = *text;
    model_.dividend_model = dividend_model_word(escrowed_->isChecked() ? DividendModel::Escrowed : DividendModel::Spot);
    return true;
}

}  // namespace tvx
