// The two progress windows, `pacifier` and `pmeter`: a message, Cancel,
// and for `pmeter` a bar, with a training's lowest error so far, its curve
// and the time taken and left beside them. Cancel only raises the model's
// flag.
#pragma once

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
    void draw() override;

private:
    Pmeter& model_;
    QProgressBar* pbar_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* best_ = nullptr;
    QLabel* times_ = nullptr;
    QWidget* curve_ = nullptr;
};

}  // namespace tvx
