// The forms of the four instrument calculators: warrants, futures, straight
// and convertible bonds, each a CalculatorForm bound to its model.
#pragma once

#include <QWidget>
#include <memory>

#include "app/models.h"
#include "core/user_interface.h"

namespace tvx {

std::unique_ptr<QWidget> make_warrants_form(Models& models, UserInterface& ui);
std::unique_ptr<QWidget> make_futures_form(Models& models, UserInterface& ui);
std::unique_ptr<QWidget> make_straight_bonds_form(Models& models, UserInterface& ui);
std::unique_ptr<QWidget> make_convertible_bonds_form(Models& models, UserInterface& ui);

}  // namespace tvx
