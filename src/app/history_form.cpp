#include "app/history_form.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace tvx {

namespace {

enum Column { kTime, kWindow, kCommand, kTerms, kResults, kColumns };

// The rows the window shows at the least.
constexpr int kLeastRows = 10;

constexpr const char* kHeadings[kColumns] = {history_caption::time, history_caption::window, history_caption::command,
                                             history_caption::terms, history_caption::results};

QString cell_text(const HistoryRow& row, int column) {
    switch (column) {
        case kTime: return QString::fromStdString(time_of_day_text(row.time));
        case kWindow: return QString::fromStdString(row.window);
        case kCommand: return QString::fromStdString(row.command);
        case kTerms: return QString::fromStdString(terms_text(row));
        default: return QString::fromStdString(figures_text(row));
    }
}

// The table's rows, selection and columns: every row one line high.
void lay_out_table(QTableView* view) {
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideRight);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    // Every row as high as one line of text: no row is ever measured, so
    // ten thousand cost what ten do.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    // However small its free spot, the window shows ten rows at the least,
    // under the headings and over a scroll bar across.
    view->setMinimumHeight(view->verticalHeader()->defaultSectionSize() * kLeastRows +
                           view->horizontalHeader()->sizeHint().height() +
                           view->horizontalScrollBar()->sizeHint().height() + 2 * view->frameWidth() + 2);
    QHeaderView* across = view->horizontalHeader();
    across->setSectionResizeMode(QHeaderView::Interactive);
    across->setStretchLastSection(true);
    const int digit = view->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    view->setColumnWidth(kTime, digit * 9);
    view->setColumnWidth(kWindow, digit * 17);
    view->setColumnWidth(kCommand, digit * 10);
    view->setColumnWidth(kTerms, digit * 42);
}

}  // namespace

int HistoryTable::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(known_); }

int HistoryTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

const HistoryRow& HistoryTable::row_at(int row) const {
    return model_.rows[known_ - 1 - static_cast<std::size_t>(row)];
}

std::size_t HistoryTable::place_of(int row) const {
    return model_.rows.size() - known_ + static_cast<std::size_t>(row);
}

QVariant HistoryTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= known_) return {};
    const HistoryRow& row = row_at(index.row());
    if (role == Qt::DisplayRole) return cell_text(row, index.column());
    if (role == Qt::ToolTipRole) {
        return index.column() == kTime ? QString::fromStdString(date_time_text(row.time))
                                       : cell_text(row, index.column());
    }
    return {};
}

QVariant HistoryTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
    return QString::fromUtf8(kHeadings[section]);
}

void HistoryTable::take_new_rows() {
    const std::size_t now = model_.rows.size();
    if (now == known_) return;
    if (now < known_) {
        beginResetModel();
        known_ = now;
        endResetModel();
        return;
    }
    beginInsertRows({}, 0, static_cast<int>(now - known_) - 1);
    known_ = now;
    endInsertRows();
}

HistoryForm::HistoryForm(HistoryWindow& model, UserInterface& ui) : model_(model), ui_(ui), table_(model) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QString::fromUtf8(history_caption::frmHistory));
    setMinimumWidth(420);

    view_ = new QTableView;
    view_->setObjectName(QStringLiteral("tblHistory"));
    view_->setModel(&table_);
    lay_out_table(view_);

    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("lblNote"));
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* copy = new QPushButton(QString::fromUtf8(history_caption::cmdCopy));
    copy->setObjectName(QStringLiteral("cmdCopy"));
    auto* save = new QPushButton(QString::fromUtf8(history_caption::cmdSave));
    save->setObjectName(QStringLiteral("cmdSave"));
    auto* close = new QPushButton(QString::fromUtf8(history_caption::cmdClose));
    close->setObjectName(QStringLiteral("cmdClose"));
    const auto put_on_clipboard = [this] { QGuiApplication::clipboard()->setText(copy_text()); };
    connect(copy, &QPushButton::clicked, this, put_on_clipboard);
    connect(save, &QPushButton::clicked, this, [this] { HistoryForm::save(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // Ctrl+C in the table copies the rows, not the one cell the table
    // itself would.
    view_->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(note_, 1);
    for (QPushButton* b : {copy, save, close}) {
        b->setMinimumWidth(std::max(b->sizeHint().width(), 90));
        buttons->addWidget(b);
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(8);
    column->addWidget(view_, 1);
    column->addLayout(buttons);
    draw();
}

bool HistoryForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(copy_text());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryForm::draw() {
    table_.take_new_rows();
    note_->setText(model_.rows.empty() && model_.note.empty() ? QString::fromUtf8(history_text::empty)
                                                              : QString::fromStdString(model_.note));
}

QString HistoryForm::copy_text() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& i : view_->selectionModel()->selectedRows()) rows.push_back(table_.place_of(i.row()));
    std::sort(rows.begin(), rows.end());
    return QString::fromStdString(history_tsv(model_, rows));
}

bool HistoryForm::save_to(const QString& path) { return history_save_csv(model_, path.toStdString(), ui_); }

void HistoryForm::save() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save the history"),
                                                      QStringLiteral("history.csv"), QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) return;
    save_to(QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".csv") : path);
}

std::unique_ptr<QWidget> make_history_form(Models& models, UserInterface& ui) {
    return std::make_unique<HistoryForm>(models.history, ui);
}

}  // namespace tvx
