// `frmHelp`, the help viewer: the topics of the help file in a list beside
// the topic on screen, rendered from its Markdown. Bound to HelpViewer.
#pragma once

#include <QWidget>
#include <string>

#include "app/forms.h"
#include "core/help.h"

class QListWidget;
class QTextBrowser;
class QUrl;

namespace tvx {

class HelpForm final : public QWidget, public FormView {
    Q_OBJECT

public:
    explicit HelpForm(HelpViewer& model);
    void draw() override;
    // Room for a page of text beside the list of topics.
    QSize sizeHint() const override { return {860, 640}; }
    // The least size that shows every topic of the file readably: lines of
    // about seventy characters, and nothing wider than the page (no
    // scrolling sideways). The window opens no smaller (see
    // QtUserInterface::place_first); the user may still make it so.
    QSize minimumSizeHint() const override { return least_; }

private:
    void go_to(int topic);
    void follow(const QUrl& link);

    HelpViewer& model_;
    QListWidget* topics_ = nullptr;
    QTextBrowser* page_ = nullptr;
    // The Markdown on the page, so that redrawing the same text keeps its
    // scroll position.
    std::string shown_;
    QSize least_;
};

}  // namespace tvx
