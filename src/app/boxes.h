// The program's modal boxes: a message box or an input box that belongs to
// the window whose command asked, stands above it, is wide enough for its
// title, and gives that window back the front and its focus afterwards.
#pragma once

#include <optional>
#include <string>

#include "core/user_interface.h"

class QDialog;
class QRect;
class QString;
class QWidget;

namespace tvx {

// A top-level window's frame on the screen, title bar included, as the
// window system last reported it. QWidget::frameGeometry() keeps the frame
// it first worked out until the window next moves or resizes: asked before
// the window manager has framed a window that it then leaves in place, it
// goes on answering with no frame at all.
QRect window_frame(const QWidget& w);

// The width a box needs for its title in the window system's title bar:
// the title in a bold face somewhat larger than the program's, plus room
// for an icon and three or four buttons beside it.
int title_bar_width(const QString& title);

// Shows the box modally over `owner` (null: no owner) and returns its
// result. Afterwards the owner, still on screen, is the active window
// again, with the focus on the control that had it.
int run_box(QDialog& box, QWidget* owner);

Answer show_message_box(QWidget* owner, const std::string& title, Icon icon, const std::string& text, Buttons buttons);

std::optional<std::string> show_input_box(QWidget* owner, const std::string& title, const std::string& prompt,
                                          const std::string& default_text);

}  // namespace tvx
