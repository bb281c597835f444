#include "app/output_form.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>
#include <QVBoxLayout>

#include "app/theme.h"

namespace tvx {

namespace {
// Room for a line of ordinary length, and for the caption in the title bar.
constexpr int kLineWidth = 290;

// A line of the window the user can select text in; `filter` sees its
// events (Copy of its selection).
QLabel* selectable_line(QObject* filter, const QString& name) {
    auto* line = new QLabel;
    line->setObjectName(name);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    line->installEventFilter(filter);
    return line;
}

// A note under the figures (the method, exact values), quieter, wrapped.
QLabel* note_line(QObject* filter, const QString& name) {
    QLabel* line = selectable_line(filter, name);  // its colour: draw(), from the palette
    line->setWordWrap(true);
    line->setMaximumWidth(kLineWidth);
    return line;
}
}  // namespace

OutputForm::OutputForm(OutputWindow& model) : model_(model) {
    setObjectName(QStringLiteral("frmOutput"));
    setWindowTitle(QString::fromUtf8(OutputWindow::caption));

    auto* column = new QVBoxLayout(this);
    // Exactly as large as the lines need: a longer line widens the window,
    // and there is nothing that extra room could serve.
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->setContentsMargins(18, 16, 18, 14);
    column->setSpacing(6);
    earlier_ = new QLabel;
    earlier_->setObjectName(QStringLiteral("lblEarlier"));
    earlier_->setWordWrap(true);
    earlier_->setFixedWidth(kLineWidth);
    column->addWidget(earlier_);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        lines_[i] = selectable_line(this, QStringLiteral("Label%1").arg(i + 1));
        lines_[i]->setMinimumWidth(kLineWidth);
        column->addWidget(lines_[i]);
    }
    // The value line leads; the sensitivities follow it.
    column->insertSpacing(2, 6);
    std_error_ = selectable_line(this, QStringLiteral("lblStdError"));
    column->addSpacing(4);
    column->addWidget(std_error_);
    method_ = note_line(this, QStringLiteral("lblMethod"));
    column->addWidget(method_);
    exact_ = note_line(this, QStringLiteral("lblExact"));
    column->addWidget(exact_);
    dividends_ = note_line(this, QStringLiteral("lblDividends"));
    column->addWidget(dividends_);

    auto* ok = new QPushButton(QString::fromUtf8(kOkCaption));
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    ok->setFocus();  // Return or Space closes the window as soon as it has the keyboard
    ok->setMinimumWidth(90);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    commands->addWidget(ok);
    column->addSpacing(8);
    column->addLayout(commands);

    // Copy takes all six lines, unless part of a line is selected: a line
    // with a selection copies just that, as any selectable text does.
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    copy->setContext(Qt::WindowShortcut);
    connect(copy, &QShortcut::activated, this, [this] { QGuiApplication::clipboard()->setText(text()); });

    draw();
}

bool OutputForm::eventFilter(QObject* watched, QEvent* event) {
    // A line with a selection keeps Copy for itself, as an editable text
    // would; otherwise Copy is the window's.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* line = qobject_cast<QLabel*>(watched);
        if (line && line->hasSelectedText() && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            event->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString OutputForm::text() const {
    QStringList all;
    if (model_.stale) all << earlier_->text();
    for (const QLabel* line : lines_) all << line->text();
    if (!std_error_->isHidden()) all << std_error_->text();
    if (!method_->isHidden()) all << method_->text();
    if (!exact_->isHidden()) all << exact_->text();
    return all.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void OutputForm::draw() {
    const std::array<const std::string*, 6> texts = {&model_.Label1, &model_.Label2, &model_.Label3,
                                                     &model_.Label4, &model_.Label5, &model_.Label6};
    for (std::size_t i = 0; i < lines_.size(); ++i) lines_[i]->setText(QString::fromStdString(*texts[i]));
    std_error_->setText(QString::fromStdString(model_.StdError));
    std_error_->setHidden(model_.StdError.empty());
    // Lines of earlier terms are greyed under the line that names them.
    earlier_->setText(QString::fromStdString(earlier_compute_line(model_)));
    earlier_->setVisible(model_.stale);
    // In the desktop's colours, dark or light (app/theme.h).
    const Colours& c = colours(palette());
    earlier_->setStyleSheet(text_colour(c.earlier));
    const QString colour = model_.stale ? text_colour(c.greyed) : QString();
    const QString quiet = model_.stale ? colour : text_colour(c.quiet);
    for (QLabel* line : lines_) line->setStyleSheet(colour);
    std_error_->setStyleSheet(quiet);
    method_->setText(QString::fromStdString(model_.Method));
    method_->setHidden(model_.Method.empty());
    method_->setStyleSheet(quiet);
    exact_->setText(QString::fromStdString(model_.Exact));
    exact_->setHidden(model_.Exact.empty());
    exact_->setStyleSheet(quiet);
    dividends_->setText(QString::fromStdString(model_.Dividends));
    dividends_->setHidden(model_.Dividends.empty());
    dividends_->setStyleSheet(quiet);
}

}  // namespace tvx
