#include "app/progress_forms.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/error_curve.h"
#include "neural/training_progress.h"

namespace tvx {

namespace {

// The common frame: a small tool window of fixed size, with a title and a
// close box but no maximise or minimise button, and a Cancel button at the
// bottom right that raises the model's flag.
QVBoxLayout* frame(QWidget* w, const char* name, const char* caption, ProgressWindow& model) {
    if (!model.loaded) Form_Load(model);
    w->setObjectName(QString::fromLatin1(name));
    w->setWindowTitle(QString::fromUtf8(caption));
    w->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* cancel = new QPushButton(QString::fromUtf8(kCancelCaption));
    cancel->setObjectName(QStringLiteral("Command1"));
    cancel->setMinimumWidth(90);
    QObject::connect(cancel, &QPushButton::clicked, w, [&model] { Command1_Click(model); });

    auto* column = new QVBoxLayout(w);
    // The size is the contents' own; only a message longer than the room
    // kept for it (below) widens the window.
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->setContentsMargins(18, 16, 18, 14);
    column->setSpacing(10);
    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(cancel);
    column->addLayout(commands);
    return column;
}

// A message line with room for the longest message of an iteration.
QLabel* message_label(const char* name) {
    auto* l = new QLabel;
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumSize(
        l->fontMetrics().horizontalAdvance(QStringLiteral("Error in iteration 100 is -0.000170345678901")),
        l->fontMetrics().height());
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
    curve_ = new ErrorCurve(model);
    best_ = new QLabel;
    best_->setObjectName(QStringLiteral("best"));
    times_ = new QLabel;
    times_->setObjectName(QStringLiteral("times"));
    // Each line as wide as its longest text from the start (a share of
    // fifteen digits after zeros, as one step of the most a training may
    // take gives, an error of six digits after zeros, times of hours; the
    // widest digits), so that the window keeps its size, and its place on
    // the screen, as they fill.
    const auto fit = [](QLabel* label, const std::string& longest) {
        label->setText(QString::fromStdString(longest));
        label->setMinimumWidth(label->sizeHint().width());
        label->clear();
    };
    const std::string words = training_progress_text(0, 1).substr(1);  // the message after its "0"
    fit(message_, "0.00888888888888888" + words);
    fit(best_, "Lowest average error so far: 0.000888888");
    fit(times_, "Elapsed 88:88:88, about 88:88:88 left");
    auto* figures = new QHBoxLayout;
    figures->addWidget(best_);
    figures->addStretch(1);
    figures->addWidget(times_);
    column->insertWidget(0, pbar_);
    column->insertWidget(1, message_);
    column->insertWidget(2, curve_);
    column->insertLayout(3, figures);
    later_ = new QTimer(this);
    later_->setSingleShot(true);
    connect(later_, &QTimer::timeout, this, [this] { draw_now(); });
    draw();
}

namespace {

// The shortest time between two drawings of the progress window.
constexpr qint64 kRedrawMs = 40;

}  // namespace

void PmeterForm::draw() {
    const bool edge = model_.pbar_value <= model_.pbar_min || model_.pbar_value >= model_.pbar_max;
    if (!edge && drawn_.isValid() && drawn_.elapsed() < kRedrawMs) {
        if (!later_->isActive()) later_->start(static_cast<int>(kRedrawMs - drawn_.elapsed()));
        return;
    }
    draw_now();
}

void PmeterForm::draw_now() {
    later_->stop();
    drawn_.start();
    pbar_->setRange(model_.pbar_min, model_.pbar_max);
    pbar_->setValue(model_.pbar_value);
    // The bar's own text would truncate the share; the message rounds it.
    pbar_->setFormat(QStringLiteral("%1%").arg(pmeter_percent(model_)));
    message_->setText(QString::fromStdString(model_.message));
    best_->setText(QString::fromStdString(best_error_text(model_)));
    times_->setText(QString::fromStdString(training_time_text(model_)));
    curve_->update();  // painted when the event loop next runs
}

}  // namespace tvx
