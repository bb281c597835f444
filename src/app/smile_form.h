// `frmSmile`, "Volatility Smile": draws the smile window's model (the
// terms, the quotes table with each quote's volatilities and flag, the
// report, and the chart chosen) and passes the user's actions to its
// commands. A chain file dropped on the window is opened as Open opens
// it. The chart is copied and saved as the other charts are: PNG, SVG or
// its points as CSV.
#pragma once

#include <QWidget>
#include <tuple>

#include "app/forms.h"
#include "app/models.h"
#include "smile/smile_plots.h"

class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTableWidget;

namespace tvx {

class SmileForm final : public QWidget, public FormView {
    Q_OBJECT

public:
    SmileForm(Models& models, UserInterface& ui);

    void draw() override;
    QSize sizeHint() const override { return {1180, 740}; }

    // Opens a chain file, as Open and a drop do.
    void open_file(const QString& path);
    // Saves the chart shown by the file's suffix: .png, .svg or .csv. False
    // (and a note under the chart) when it could not be written.
    bool save_chart_to(const QString& path);
    // Copy: the points as CSV text, and the picture.
    void copy_chart();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* build_terms();
    QWidget* build_chart();
    void draw_quotes();
    void draw_chart();

    SmileWindow& w_;
    UserInterface& ui_;
    int drawn_version_ = -1;  // the report the table shows
    // The report, chart and expiry the chart shows.
    std::tuple<int, SmileChart, int> drawn_chart_{-1, SmileChart::Smile, -1};
    SmilePlot plot_;

    std::vector<std::pair<QLineEdit*, std::string*>> fields_;
    QLabel* file_ = nullptr;
    QCheckBox* american_ = nullptr;
    QRadioButton* svi_ = nullptr;
    QRadioButton* ssvi_ = nullptr;
    QTableWidget* quotes_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QComboBox* chart_ = nullptr;
    QComboBox* expiry_ = nullptr;
    QChartView* view_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* hover_ = nullptr;
    QLabel* note_ = nullptr;
};

std::unique_ptr<QWidget> make_smile_form(Models& models, UserInterface& ui);

}  // namespace tvx
