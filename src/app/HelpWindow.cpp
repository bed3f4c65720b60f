#include "app/HelpWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vaddex::gui {

HelpWindow::HelpWindow(const QString& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(folder) {
    setWindowTitle("Vaddex Help");
    setObjectName("HelpWindow");
    resize(560, 480);
    browser_ = new QTextBrowser(this);
    browser_->setSearchPaths({folder});
    browser_->setOpenExternalLinks(true);
    auto* back = new QPushButton("Back", this);
    auto* forward = new QPushButton("Forward", this);
    auto* contents = new QPushButton("Contents", this);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { ShowPage("index.html"); });
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch(1);
    buttons->addWidget(contents);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::ShowPage(const QString& page) {
    QString path = folder_ + page;
    if (QFileInfo::exists(path)) {
        browser_->setSource(QUrl::fromLocalFile(path));
    } else {
        browser_->setHtml("<p>The help page <b>" + page.toHtmlEscaped() + "</b> is missing from " +
                          folder_.toHtmlEscaped() + ".</p>");
    }
    show();
    raise();
    activateWindow();
}

QString HelpWindow::Page() const {
    return browser_->source().fileName();
}

}  // namespace vaddex::gui
