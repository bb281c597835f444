// `frmBrantholm`, the main window: the option's terms, its choices and the
// Compute command, bound to the MainWindow model.
#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

#include "app/forms.h"
#include "app/models.h"
#include "core/user_interface.h"

class QCheckBox;
class QFormLayout;
class QLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace tvx {

class ExpiryRow;

class MainForm final : public QMainWindow, public FormView {
    Q_OBJECT

public:
    MainForm(Models& models, UserInterface& ui);

    // Redraws the controls from the model. A field is only rewritten when
    // its text differs, so typing in it is not disturbed.
    void draw() override;

signals:
    // The user confirmed closing; the window has accepted the close.
    void unloaded();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build_menus();
    // The controls of the field table's rows, by their object names.
    QLabel* label(const char* field_name, QWidget* field);
    QLineEdit* field(const char* name);
    QGroupBox* choice(const char* name, QRadioButton*& first, QRadioButton*& second);
    QCheckBox* check(const char* name);
    QWidget* build_terms();
    QWidget* build_choices();
    QWidget* build_calculation();
    QWidget* build_advanced();
    QLayout* build_commands();
    // The expiry date's rows under the years field.
    void add_dates(QFormLayout* form, QLineEdit* years);

    Models& models_;
    MainWindow& model_;
    UserInterface& ui_;

    struct FieldBinding {
        QLineEdit* edit;
        const Field<MainWindow>* row;
    };
    std::vector<FieldBinding> fields_;
    QLineEdit* cor_ = nullptr;
    QRadioButton* optCall_ = nullptr;
    QRadioButton* optPut_ = nullptr;
    QRadioButton* optEuro_ = nullptr;
    QRadioButton* optAmer_ = nullptr;
    QRadioButton* optPrice_ = nullptr;
    QRadioButton* optVol_ = nullptr;
    QCheckBox* svol_ = nullptr;
    QCheckBox* srate_ = nullptr;
    QSlider* slider_ = nullptr;
    QPushButton* compute_ = nullptr;
    ExpiryRow* dates_ = nullptr;
    QLabel* dividends_ = nullptr;  // what the "Dividends..." dialog holds
};

}  // namespace tvx
