// What every form of the program is: a widget bound to its model, which
// redraws its controls from the model on request. The window table
// (app/windows.h) says how each one is made.
#pragma once

#include <QString>

namespace tvx {

// A control given its object name (the name the program's tables and tests
// know it by), for building a form in one expression.
template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

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
