#include "app/calculator_form.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/expiry_row.h"

namespace tvx {

namespace {

// Wide enough for a figure such as "1000000.0000" without scrolling.
constexpr const char* kTypicalFigure = "00000000.0000";

}  // namespace

CalculatorForm::CalculatorForm(const char* name, const char* caption) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(QString::fromUtf8(caption));
}

QLineEdit* CalculatorForm::add_field(const char* name, const char* label, std::string& text, int column) {
    auto* caption = new QLabel(QString::fromUtf8(label), this);
    caption->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));

    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString::fromLatin1(kTypicalFigure)) + 12);
    caption->setBuddy(edit);
    std::string* bound = &text;
    connect(edit, &QLineEdit::textEdited, this, [bound](const QString& typed) { *bound = typed.toStdString(); });

    fields_.push_back({edit, bound});
    items_.push_back({column, caption, edit});
    tab_chain_.push_back(edit);
    return edit;
}

void CalculatorForm::add_dates(const char* years_field, std::string& years, ExpiryDate& dates, Window window,
                               UserInterface& ui) {
    auto* edit = findChild<QLineEdit*>(QString::fromLatin1(years_field));
    const auto at = std::find_if(items_.begin(), items_.end(), [edit](const Item& i) { return i.control == edit; });
    if (!edit || at == items_.end()) return;
    expiry_row_ = new ExpiryRow(
        dates, years, edit, window, ui, [this] { draw(); }, this);
    std::vector<Item> rows;
    for (const ExpiryRow::Row& row : expiry_row_->rows()) {
        auto* caption = new QLabel(QString::fromUtf8(row.caption), this);
        caption->setObjectName(QString::fromLatin1(row.label_name));
        caption->setBuddy(row.buddy);
        rows.push_back({at->column, caption, row.widget});
    }
    items_.insert(at + 1, rows.begin(), rows.end());
    const std::vector<QWidget*> date_controls = expiry_row_->tab_chain();
    const auto chain = std::find(tab_chain_.begin(), tab_chain_.end(), edit);
    tab_chain_.insert(chain + 1, date_controls.begin(), date_controls.end());
    // Return in the expiry fills the years first, then runs the default
    // command.
    set_return_command(expiry_row_->expiry_edit(), [this] {
        if (expiry_row_->settle() && default_click_) default_click_();
    });
}

void CalculatorForm::add_choice(const char* frame_name, const char* frame_caption,
                                std::span<const ChoiceButton> buttons, std::vector<bool*> flags, int column) {
    auto* frame = new QGroupBox(QString::fromUtf8(frame_caption), this);
    frame->setObjectName(QString::fromLatin1(frame_name));
    auto* row = new QHBoxLayout(frame);
    Choice choice{{}, flags};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(buttons[i].caption), frame);
        b->setObjectName(QString::fromLatin1(buttons[i].name));
        row->addWidget(b);
        if (bool* bound = flags[i]) connect(b, &QRadioButton::toggled, this, [bound](bool on) { *bound = on; });
        choice.buttons.push_back(b);
        tab_chain_.push_back(b);
    }
    row->addStretch(1);
    choices_.push_back(std::move(choice));
    items_.push_back({column, nullptr, frame});
}

QLabel* CalculatorForm::add_note(const char* name, const std::string& text) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notes_.push_back({label, &text});
    items_.push_back({kBelowColumns, nullptr, label});
    return label;
}

QPushButton* CalculatorForm::add_command(const char* name, const char* caption, std::function<void()> click,
                                         CommandRole role) {
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumWidth(std::max(button->sizeHint().width(), 96));
    // Return on a focused button presses that button.
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, [click] { click(); });
    if (role == CommandRole::Default) {
        button->setDefault(true);
        default_click_ = click;
    }
    if (role == CommandRole::Cancel) cancel_click_ = click;
    commands_.push_back(button);
    return button;
}

void CalculatorForm::finish() {
    if (finished_) return;
    finished_ = true;

    int columns = 0;
    for (const Item& item : items_) columns = std::max(columns, item.column + 1);

    // One grid per column (label, field); a choice spans both cells.
    auto* top = new QHBoxLayout;
    top->setSpacing(24);
    std::vector<QGridLayout*> grids;
    for (int c = 0; c < columns; ++c) {
        auto* grid = new QGridLayout;
        grid->setHorizontalSpacing(12);
        grid->setVerticalSpacing(8);
        grid->setColumnStretch(1, 1);
        top->addLayout(grid, 1);
        grids.push_back(grid);
    }
    auto* below = new QVBoxLayout;
    below->setSpacing(8);
    for (const Item& item : items_) {
        if (item.column < 0) {
            below->addWidget(item.control);
            continue;
        }
        QGridLayout* grid = grids[static_cast<std::size_t>(item.column)];
        const int row = grid->rowCount() == 1 && grid->count() == 0 ? 0 : grid->rowCount();
        if (item.label) {
            grid->addWidget(item.label, row, 0);
            grid->addWidget(item.control, row, 1);
        } else {
            grid->addWidget(item.control, row, 0, 1, 2);
        }
    }
    // Shorter columns keep their fields at the top.
    for (QGridLayout* grid : grids) grid->setRowStretch(grid->rowCount(), 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : commands_) buttons->addWidget(b);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);
    column->addLayout(top);
    column->addLayout(below);
    column->addStretch(1);
    column->addLayout(buttons);

    std::vector<QWidget*> chain = tab_chain_;
    chain.insert(chain.end(), commands_.begin(), commands_.end());
    for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
    if (!chain.empty()) chain.front()->setFocus(Qt::OtherFocusReason);

    draw();
}

void CalculatorForm::draw() {
    if (expiry_row_) expiry_row_->draw();
    for (const TextBinding& f : fields_) {
        const QString text = QString::fromStdString(*f.text);
        if (f.edit->text() != text) f.edit->setText(text);
    }
    for (const Choice& c : choices_) {
        QRadioButton* selected = nullptr;
        for (std::size_t i = 0; i < c.buttons.size() && !selected; ++i)
            if (c.flags[i] && *c.flags[i]) selected = c.buttons[i];
        for (std::size_t i = 0; i < c.buttons.size() && !selected; ++i)
            if (!c.flags[i]) selected = c.buttons[i];
        if (selected && !selected->isChecked()) selected->setChecked(true);
    }
    for (const Note& n : notes_) {
        const QString text = QString::fromStdString(*n.text);
        if (n.label->text() != text) n.label->setText(text);
        n.label->setVisible(!text.isEmpty());
    }
}

void CalculatorForm::set_return_command(QWidget* field, std::function<void()> click) {
    field->installEventFilter(this);
    return_clicks_.emplace_back(field, std::move(click));
}

bool CalculatorForm::eventFilter(QObject* watched, QEvent* event) {
    // Return in a field with its own command runs that command and goes no
    // further (the window would run its Default command).
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            for (const auto& [field, click] : return_clicks_) {
                if (field == watched) {
                    click();
                    return true;
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CalculatorForm::keyPressEvent(QKeyEvent* event) {
    // Fields and option buttons leave Return to their window.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && default_click_) {
        event->accept();
        default_click_();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CalculatorForm::closeEvent(QCloseEvent* event) {
    event->accept();
    if (cancel_click_) cancel_click_();
}

}  // namespace tvx
