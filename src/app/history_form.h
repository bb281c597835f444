// `frmHistory`: the session's results in a table, newest first, with Copy,
// Save as CSV and Close. The rows are the model's (core/history_window.h);
// the table only shows them, and a new row costs the same however many
// there are.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <memory>

#include "app/forms.h"
#include "app/models.h"
#include "core/history_window.h"
#include "core/user_interface.h"

class QLabel;
class QTableView;

namespace tvx {

// The rows the view knows of, newest first: a row added to the model
// appears at the top when the form draws.
class HistoryTable final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit HistoryTable(const HistoryWindow& model) : model_(model) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Takes in the rows added since the last call.
    void take_new_rows();
    // The model's row at this row of the view, and its place in the
    // window's order (0 the newest), rows not yet taken in counted.
    const HistoryRow& row_at(int row) const;
    std::size_t place_of(int row) const;

private:
    const HistoryWindow& model_;
    std::size_t known_ = 0;
};

class HistoryForm final : public QWidget, public FormView {
    Q_OBJECT

public:
    HistoryForm(HistoryWindow& model, UserInterface& ui);
    void draw() override;

    // What Copy puts on the clipboard: the selected rows, or every row.
    QString copy_text() const;
    // Save as CSV to this file (the button asks for it first).
    bool save_to(const QString& path);
    QTableView* table() const { return view_; }

    QSize sizeHint() const override { return {940, 360}; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void save();

    HistoryWindow& model_;
    UserInterface& ui_;
    HistoryTable table_;
    QTableView* view_ = nullptr;
    QLabel* note_ = nullptr;
};

std::unique_ptr<QWidget> make_history_form(Models& models, UserInterface& ui);

}  // namespace tvx
