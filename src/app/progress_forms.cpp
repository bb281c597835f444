#include "app/progress_forms.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvx {

namespace {

// The common frame: caption, room for the longest iteration message, and a
// Cancel button at the bottom right that raises the model's flag.
QVBoxLayout* frame(QWidget* w, const char* name, const char* caption, ProgressWindow& model) {
    if (!model.loaded) Form_Load(model);
    w->setObjectName(QString::fromLatin1(name));
    w->setWindowTitle(QString::fromUtf8(caption));
    w->setMinimumWidth(380);

    auto* cancel = new QPushButton(QString::fromUtf8(kCancelCaption));
    cancel->setObjectName(QStringLiteral("Command1"));
    cancel->setMinimumWidth(90);
    QObject::connect(cancel, &QPushButton::clicked, w, [&model] { Command1_Click(model); });

    auto* column = new QVBoxLayout(w);
    column->setContentsMargins(18, 16, 18, 14);
    column->setSpacing(10);
    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(cancel);
    column->addLayout(commands);
    return column;
}

QLabel* message_label(const char* name) {
    auto* l = new QLabel;
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumHeight(l->fontMetrics().height());
    return l;
}

}  // namespace

PacifierForm::PacifierForm(Pacifier& model) : model_(model) {
    QVBoxLayout* column = frame(this, "pacifier", Pacifier::caption, model);
    olabel_ = message_label("olabel");
    column->insertWidget(0, olabel_);
    draw();
}

void PacifierForm::draw() { olabel_->setText(QString::fromStdString(model_.olabel)); }

PmeterForm::PmeterForm(Pmeter& model) : model_(model) {
    QVBoxLayout* column = frame(this, "pmeter", Pmeter::caption, model);
    pbar_ = new QProgressBar;
    pbar_->setObjectName(QStringLiteral("pbar"));
    message_ = message_label("message");
    column->insertWidget(0, pbar_);
    column->insertWidget(1, message_);
    draw();
}

void PmeterForm::draw() {
    pbar_->setRange(model_.pbar_min, model_.pbar_max);
    pbar_->setValue(model_.pbar_value);
    message_->setText(QString::fromStdString(model_.message));
}

}  // namespace tvx
