// The two progress windows, `pacifier` and `pmeter`: a message, Cancel,
// and for `pmeter` a bar. Cancel only raises the model's flag.
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
};

}  // namespace tvx
