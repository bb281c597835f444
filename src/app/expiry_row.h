// The date fields beside a window's years field (core/expiry_date.h): the
// expiry date, typed or picked from a calendar, which fills the years
// field, and under it the valuation date (today when empty), the day
// count and, for business days, the holiday file. Typing in the years field shows the date it
// comes to. The years field stays the one the window's command reads.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "core/expiry_date.h"
#include "core/user_interface.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace tvx {

class ExpiryRow final : public QObject {
    Q_OBJECT

public:
    // `years` is the years field's text in the window's model, `years_edit`
    // its control; `drawn` redraws the window's controls from its model.
    ExpiryRow(ExpiryDate& dates, std::string& years, QLineEdit* years_edit, Window window, UserInterface& ui,
              std::function<void()> drawn, QObject* parent);

    // The three rows a form lays out under the years field, each with the
    // name and caption of its label and the control the label is for: the
    // expiry with its calendar button, the valuation date, and the day
    // count with the holiday file.
    struct Row {
        const char* label_name;
        const char* caption;
        QWidget* buddy;
        QWidget* widget;
    };
    std::vector<Row> rows() const;
    // Their controls in reading order, for the window's tab chain.
    std::vector<QWidget*> tab_chain() const;
    QLineEdit* expiry_edit() const { return expiry_; }

    // The fields from the dates.
    void draw();
    // The expiry typed into the years field; true when it filled them.
    bool apply();
    // The expiry applied unless it was already (Return in its field):
    // false when a box said it cannot be.
    bool settle();

private:
    void build_expiry();
    void build_valuation();
    void build_day_count();
    // A term of the dates changed: the years again from a given expiry.
    void changed();

    ExpiryDate& dates_;
    std::string& years_;
    Window window_;
    UserInterface& ui_;
    std::function<void()> drawn_;
    std::string applied_;  // the expiry text last applied, so a box comes once for it
    QWidget* expiry_box_ = nullptr;
    QWidget* count_box_ = nullptr;
    QLineEdit* expiry_ = nullptr;
    QToolButton* calendar_ = nullptr;
    QLineEdit* valuation_ = nullptr;
    QComboBox* day_count_ = nullptr;
    QPushButton* holidays_ = nullptr;
    QLabel* holiday_file_ = nullptr;
};

}  // namespace tvx
