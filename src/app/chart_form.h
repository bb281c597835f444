// `frmChart`, "Chart": draws the chart window's model (the curves with Qt
// Charts, the scenario table as a table) and passes the user's choices to
// its commands. Hover shows a point's coordinates; Copy puts the points
// (and the picture) on the clipboard; Save writes PNG, SVG or CSV.
#pragma once

#include <QWidget>

#include "app/forms.h"
#include "app/models.h"
#include "charts/chart_commands.h"

class QChart;
class QImage;
class QPainter;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QTabWidget;

namespace tvx {

class ChartForm final : public QWidget, public FormView {
    Q_OBJECT

public:
    ChartForm(Models& models, UserInterface& ui);

    void draw() override;
    // Room for a chart that reads well; the window can be made smaller.
    QSize sizeHint() const override { return {960, 720}; }

    // Saves by the file's suffix: .png, .svg or .csv. False (and a note)
    // when it could not be written.
    bool save_to(const QString& path);
    // Copy: the points as text, and a chart's picture.
    void copy();
    // Where Save starts: a name that says what is saved, in the folder of
    // the session's last Save or else the user's documents folder.
    QString suggested_save_path() const;
    // The picture Save and Copy make: the title and the terms over the
    // chart (or the table), so that it says what it shows.
    QImage picture_image() const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* build_choices();
    void connect_choices();
    QWidget* build_commands();
    void choose(const std::function<void()>& change);
    void draw_table();
    void save();
    QWidget* picture() const;
    // A picture's size, with the height of the title and terms over it.
    struct PictureLayout {
        QSize size;
        int header = 0;
    };
    PictureLayout picture_layout() const;
    void paint_picture(QPainter& painter, const PictureLayout& layout) const;

    ChartContext cx_;
    int drawn_version_ = -1;
    QComboBox* source_ = nullptr;
    QComboBox* y_ = nullptr;
    QComboBox* x_ = nullptr;
    QComboBox* bond_x_ = nullptr;
    QComboBox* shown_ = nullptr;  // the scenario table: value or P&L
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QLineEdit* vol_from_ = nullptr;
    QLineEdit* vol_to_ = nullptr;
    QWidget* option_choices_ = nullptr;
    QWidget* bond_choices_ = nullptr;
    QWidget* scenario_choices_ = nullptr;
    QWidget* scenario_range_ = nullptr;
    QLabel* range_label_ = nullptr;
    QPushButton* draw_button_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* busy_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QChartView* view_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTabWidget* plot_tabs_ = nullptr;  // the chart, and its points as a table
    QTableWidget* points_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* hover_ = nullptr;
    QLabel* note_ = nullptr;
};

std::unique_ptr<QWidget> make_chart_form(Models& models, UserInterface& ui);

// The chart window's model with its sources, for its commands.
inline ChartContext chart_context(Models& models, UserInterface& ui) {
    return ChartContext{
        models.chart,
        {models.main, models.calculator<StraightBondsWindow>(), models.calculator<ConvertibleBondsWindow>()},
        ui};
}

// The source window's Compute has run: an open chart of it draws again.
inline void follow_compute(Models& models, UserInterface& ui, ChartSource source) {
    ChartContext cx = chart_context(models, ui);
    chart_follow(cx, source);
}

// The calculator's Compute has run: an open chart of it, if the chart
// draws that calculator, draws again.
inline void follow_compute(Models& models, UserInterface& ui, Window calculator) {
    if (const auto source = chart_source_of(calculator)) follow_compute(models, ui, *source);
}

}  // namespace tvx
