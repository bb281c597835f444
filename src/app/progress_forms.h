// The two progress windows, `pacifier` and `pmeter`: a message, Cancel,
// and for `pmeter` a bar, with a training's lowest error so far, its curve
// and the time taken and left beside them. Cancel only raises the model's
// flag.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "app/forms.h"
#include "core/progress.h"

class QLabel;
class QProgressBar;

namespace tvx {

class PacifierForm final : public QWidget, public FormView {
    Q_OBJECT

public:
    explicit PacifierForm(Pacifier& model);
    void draw() override;

private:
    Pacifier& model_;
    QLabel* olabel_ = nullptr;
};

class PmeterForm final : public QWidget, public FormView {
    Q_OBJECT

public:
    explicit PmeterForm(Pmeter& model);
    // The widgets take the model's state at once when the bar is at its
    // start or its end, or when 40 ms have passed since they last did;
    // otherwise a timer brings them the latest state when those 40 ms are
    // up. A training may finish a thousand steps a second, and drawing the
    // window after every one cost about a millisecond each.
    void draw() override;

private:
    void draw_now();
    Pmeter& model_;
    QElapsedTimer drawn_;
    QTimer* later_ = nullptr;
    QProgressBar* pbar_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* best_ = nullptr;
    QLabel* times_ = nullptr;
    QWidget* curve_ = nullptr;
};

}  // namespace tvx
