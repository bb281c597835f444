#include "app/help_form.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace tvx {

namespace {

// Tables with single thin rules and some air in the cells, instead of the
// double-ruled default.
void tidy_tables(QTextDocument* doc) {
    for (QTextFrame* frame : doc->rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(0xc4, 0xc4, 0xc4));
        format.setCellSpacing(0);
        format.setCellPadding(5);
        table->setFormat(format);
    }
}

constexpr int kDocumentMargin = 14;

// The least width of the page for this Markdown: what it takes with every
// line broken where it can be (the widest word, table or code line).
int least_page_width(const std::string& markdown, const QFont& font) {
    QTextDocument doc;
    doc.setDefaultFont(font);
    doc.setDocumentMargin(kDocumentMargin);
    doc.setMarkdown(QString::fromStdString(markdown));
    tidy_tables(&doc);
    doc.setTextWidth(1);
    return static_cast<int>(std::ceil(doc.size().width()));
}

}  // namespace

HelpForm::HelpForm(HelpViewer& model) : model_(model) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowFlag(Qt::Window);

    topics_ = new QListWidget;
    topics_->setObjectName(QStringLiteral("lstTopics"));
    topics_->setMinimumWidth(170);
    connect(topics_, &QListWidget::currentRowChanged, this, [this](int row) {
        const auto& all = model_.file.topics;
        if (row >= 0 && static_cast<std::size_t>(row) < all.size()) go_to(all[static_cast<std::size_t>(row)].context);
    });

    page_ = new QTextBrowser;
    page_->setObjectName(QStringLiteral("txtTopic"));
    page_->setOpenLinks(false);
    page_->document()->setDocumentMargin(kDocumentMargin);
    connect(page_, &QTextBrowser::anchorClicked, this, &HelpForm::follow);

    auto* split = new QSplitter;
    split->addWidget(topics_);
    split->addWidget(page_);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(split);

    draw();
    // The list as wide as its titles, the page taking the rest.
    const int list = std::max(topics_->minimumWidth(), topics_->sizeHintForColumn(0) + 2 * topics_->frameWidth() + 12);
    int page = 70 * page_->fontMetrics().averageCharWidth();
    for (const HelpTopic& t : model_.file.topics) page = std::max(page, least_page_width(t.body, page_->font()));
    page += page_->verticalScrollBar()->sizeHint().width() + 2 * page_->frameWidth();
    const int chrome = layout->contentsMargins().left() + layout->contentsMargins().right() + split->handleWidth();
    least_ = QSize(list + page + chrome, 28 * page_->fontMetrics().lineSpacing());
    resize(sizeHint().expandedTo(least_));
    split->setSizes({list, width() - list - chrome});
}

void HelpForm::go_to(int topic) {
    if (select_topic(model_, topic)) draw();
}

void HelpForm::follow(const QUrl& link) {
    if (const auto topic = topic_link(link.toString().toStdString())) {
        go_to(*topic);
        return;
    }
    if (link.scheme() == QLatin1String("https") || link.scheme() == QLatin1String("http")) {
        QDesktopServices::openUrl(link);
    }
}

void HelpForm::draw() {
    const HelpTopic* topic = model_.current();

    // The list follows the file: rebuilt only when the titles differ.
    QStringList titles;
    for (const HelpTopic& t : model_.file.topics) titles << QString::fromStdString(t.title);
    QStringList listed;
    for (int i = 0; i < topics_->count(); ++i) listed << topics_->item(i)->text();
    const QSignalBlocker block(topics_);
    if (titles != listed) {
        topics_->clear();
        topics_->addItems(titles);
    }
    int row = -1;
    for (std::size_t i = 0; i < model_.file.topics.size(); ++i)
        if (&model_.file.topics[i] == topic) row = static_cast<int>(i);
    topics_->setCurrentRow(row);

    if (!topic) {
        setWindowTitle(QStringLiteral("Tarvenix Help"));
        page_->clear();
        shown_.clear();
        return;
    }
    setWindowTitle(QString::fromStdString(help_caption(*topic)));
    if (shown_ != topic->body) {
        page_->setMarkdown(QString::fromStdString(topic->body));
        tidy_tables(page_->document());
        shown_ = topic->body;
    }
}

}  // namespace tvx
