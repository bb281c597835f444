// The strategy window's legs table: one row of controls for each leg in
// use (position, quantity, instrument, style, strike, time, volatility,
// premium, today's value of one unit, and a button that removes the row),
// each control named by its column and the row's number ("strike3").
// Typing writes the model; draw() writes the model back.
#pragma once

#include <QGroupBox>
#include <array>
#include <functional>

#include "strategy/strategy_window.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tvx {

class StrategyLegs final : public QGroupBox {
    Q_OBJECT

public:
    // `remove(k)` runs when row k's button is pressed.
    StrategyLegs(StrategyWindow& model, std::function<void(int)> remove);

    void draw();
    // The height the headings and the first `legs` rows take.
    int legs_height(int legs) const;
    // The row's controls in tab order.
    std::vector<QWidget*> tab_chain() const;

private:
    struct Row {
        QLabel* number;
        QComboBox* position;
        QLineEdit* quantity;
        QComboBox* instrument;
        QComboBox* style;
        QLineEdit* strike;
        QLineEdit* time;
        QLineEdit* volatility;
        QLineEdit* premium;
        QLabel* value;
        QPushButton* remove;
    };
    Row make_row(int k, QGridLayout* grid);
    QLineEdit* text_cell(const char* column, int k, std::string LegRow::*member);
    void draw_row(int k);

    StrategyWindow& model_;
    std::array<Row, kMaxLegs> rows_{};
    QLabel* empty_ = nullptr;  // said while there is no leg
};

}  // namespace tvx
