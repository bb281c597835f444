// `frmOutput`, the six result lines of a valuation and OK, which hides it.
#pragma once

#include <QWidget>
#include <array>

#include "app/forms.h"
#include "options/output_window.h"

class QLabel;

namespace tvx {

class OutputForm final : public QWidget, public FormView {
    Q_OBJECT

public:
    explicit OutputForm(OutputWindow& model);
    void draw() override;
    // The six lines as plain text, one per line (with the standard error's
    // under them, and over them the line naming earlier terms).
    QString text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    OutputWindow& model_;
    std::array<QLabel*, 6> lines_{};
    QLabel* std_error_ = nullptr;  // the simulation's added line, hidden on other routes
    QLabel* earlier_ = nullptr;    // over stale lines: the terms they are from
    QLabel* method_ = nullptr;     // the American route's added line, hidden but for the exercise-boundary method
    QLabel* exact_ = nullptr;      // that the figures are exact (Advanced > Exact Values)
    QLabel* dividends_ = nullptr;  // the cash dividends the figures allow for, and their model
};

}  // namespace tvx
