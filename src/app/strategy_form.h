// `frmStrategy`, "Strategy Builder": draws the strategy window's model (the
// market terms, the presets, the legs table, the results' lines, the chart
// of profit and loss and the spot x volatility grid) and passes the user's
// actions to its commands. The chart is the chart window's: drawn by
// draw_plot, hovered, copied, saved as PNG, SVG or CSV the same way.
#pragma once

#include <QWidget>

#include "app/forms.h"
#include "app/models.h"
#include "charts/chart_window.h"

class QChartView;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableWidget;
class QScrollArea;

namespace tvx {

class StrategyLegs;

class StrategyForm final : public QWidget, public FormView {
    Q_OBJECT

public:
    StrategyForm(Models& models, UserInterface& ui);

    void draw() override;
    QSize sizeHint() const override { return {1240, 860}; }

    // Saves the chart shown (the curves, or the grid) by the file's
    // suffix: .png, .svg, or .csv (the grid: tab-separated). False, and a
    // note under the chart, when it could not be written.
    bool save_chart_to(const QString& path);
    // Copy: the points (or the grid) as text, and the picture.
    void copy_chart();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* build_terms();
    void add_dividend_terms(QGridLayout* grid, int row);
    QWidget* build_commands();
    QWidget* build_grid_page();
    QWidget* build_chart();
    QLineEdit* term_field(const char* name, std::string& text);
    void draw_chart();
    void draw_grid();
    bool grid_shown() const;
    QWidget* picture() const;

    Models& models_;
    StrategyWindow& w_;
    UserInterface& ui_;
    int drawn_version_ = -1;
    Plot plot_;
    ScenarioGrid grid_;
    std::string note_;  // under the chart: points left out, a file not written

    std::vector<std::pair<QLineEdit*, std::string*>> terms_;
    QComboBox* preset_ = nullptr;
    QComboBox* model_ = nullptr;  // the cash dividends' model
    StrategyLegs* legs_ = nullptr;
    QLabel* results_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QChartView* view_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTableWidget* points_ = nullptr;  // the curves' points
    QScrollArea* legs_area_ = nullptr;
    QComboBox* shown_ = nullptr;  // the grid: value or P&L
    QLabel* title_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* hover_ = nullptr;
    QLabel* note_label_ = nullptr;
    std::vector<QWidget*> tab_chain_;
};

std::unique_ptr<QWidget> make_strategy_form(Models& models, UserInterface& ui);

}  // namespace tvx
