// What every form of the program is: a widget bound to its model, which
// redraws its controls from the model on request. The window table
// (app/windows.h) says how each one is made.
#pragma once

namespace tvx {

// Every form redraws its controls from its model on request.
class FormView {
public:
    virtual ~FormView() = default;
    virtual void draw() = 0;

protected:
    FormView() = default;
    FormView(const FormView&) = default;
    FormView& operator=(const FormView&) = default;
};

}  // namespace tvx
