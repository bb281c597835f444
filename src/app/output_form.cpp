#include "app/output_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvx {

OutputForm::OutputForm(OutputWindow& model) : model_(model) {
    setObjectName(QStringLiteral("frmOutput"));
    setWindowTitle(QString::fromUtf8(OutputWindow::caption));
    setMinimumWidth(320);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 16, 18, 14);
    column->setSpacing(6);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        lines_[i] = new QLabel;
        lines_[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        lines_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(lines_[i]);
    }
    // The value line leads; the sensitivities follow it.
    column->insertSpacing(1, 6);

    auto* ok = new QPushButton(QString::fromUtf8(kOkCaption));
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    ok->setMinimumWidth(90);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(ok);
    column->addSpacing(8);
    column->addLayout(commands);

    draw();
}

void OutputForm::draw() {
    const std::array<const std::string*, 6> texts = {&model_.Label1, &model_.Label2, &model_.Label3,
                                                     &model_.Label4, &model_.Label5, &model_.Label6};
    for (std::size_t i = 0; i < lines_.size(); ++i) lines_[i]->setText(QString::fromStdString(*texts[i]));
}

}  // namespace tvx
