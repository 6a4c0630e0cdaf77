// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/DiskChangeBar.h"

#include "library/LibraryTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tamboril::library {

DiskChangeBar::DiskChangeBar(QWidget* parent)
    : QFrame(parent),
      text_(new QLabel(this)),
      reload_(new QPushButton(this)),
      dismiss_(new QPushButton(HideNoticeButton(), this)) {
    setObjectName(QStringLiteral("diskChange"));
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName(DiskChangeBarName());
    text_->setObjectName(QStringLiteral("diskChangeText"));
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    reload_->setObjectName(QStringLiteral("reloadBank"));
    dismiss_->setObjectName(QStringLiteral("hideDiskChange"));
    dismiss_->setAccessibleName(HideNoticeName());
    auto* row = new QHBoxLayout(this);
    row->addWidget(text_, 1);
    row->addWidget(reload_);
    row->addWidget(dismiss_);
    connect(reload_, &QPushButton::clicked, this, &DiskChangeBar::reloadRequested);
    connect(dismiss_, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void DiskChangeBar::tell(const QString& text, const QString& reloadText) {
    text_->setText(text);
    text_->setAccessibleName(text);
    reload_->setText(reloadText);
    reload_->setAccessibleName(QString(reloadText).remove(QLatin1Char('&')));
    reload_->setVisible(!reloadText.isEmpty());
    setVisible(!text.isEmpty());
}

QString DiskChangeBar::text() const {
    return isHidden() ? QString() : text_->text();
}

}  // namespace tamboril::library
