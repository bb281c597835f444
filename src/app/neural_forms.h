// The two neural-net windows: `frmNeural1` (creation) and `frmNeural3`
// (prediction), calculator forms bound to their models.
#pragma once

#include <QWidget>
#include <memory>

#include "app/models.h"
#include "core/user_interface.h"

namespace tvx {

std::unique_ptr<QWidget> make_neural_create_form(Models& models, UserInterface& ui);
std::unique_ptr<QWidget> make_neural_predict_form(Models& models, UserInterface& ui);

}  // namespace tvx
