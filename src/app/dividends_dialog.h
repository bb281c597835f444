// The main window's "Dividends..." dialog: the cash dividends as a table of
// ex-dates (or times in years) and amounts, and the model they are valued
// under. OK writes them into the main window's model as its dividends text
// (options/dividend_schedule.h); Cancel leaves the model as it was.
#pragma once

#include <QDialog>

#include "core/user_interface.h"
#include "options/main_window.h"

class QRadioButton;
class QTableWidget;

namespace tvx {

class DividendsDialog final : public QDialog {
    Q_OBJECT

public:
    DividendsDialog(MainWindow& model, UserInterface& ui, QWidget* parent);

    // The rows and the model's choice into the window's model; a row that
    // is not a dividend gets its box, and nothing changes (false).
    bool apply();
    void add_row(const QString& when = {}, const QString& amount = {});

private:
    MainWindow& model_;
    UserInterface& ui_;
    QTableWidget* table_ = nullptr;
    QRadioButton* spot_ = nullptr;
    QRadioButton* escrowed_ = nullptr;
};

}  // namespace tvx
