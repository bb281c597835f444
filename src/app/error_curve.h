// A small painted curve of a training's lowest error so far against its
// steps, on a logarithmic scale so that the late, small gains stay visible.
#pragma once

#include <QWidget>

#include "core/progress.h"

namespace tvx {

class ErrorCurve final : public QWidget {
    Q_OBJECT

public:
    explicit ErrorCurve(const Pmeter& model, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Pmeter& model_;
};

}  // namespace tvx
