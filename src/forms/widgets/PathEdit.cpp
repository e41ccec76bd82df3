#include "forms/widgets/PathEdit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "platform/Ui.h"

PathEdit::PathEdit(const QString& buttonTip, QWidget* parent) : QWidget(parent) {
  edit_ = new QLineEdit(this);
  button_ = new QToolButton(this);
  button_->setText(QStringLiteral("..."));
  button_->setToolTip(buttonTip);
  button_->setAccessibleName(QStringLiteral("Browse"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(edit_, 1);
  layout->addWidget(button_);
  setFocusProxy(edit_);
  connect(button_, &QToolButton::clicked, this, [this] { ui::RunCommand([this] { Browse(); }); });
}

QString PathEdit::text() const {
  return edit_->text();
}

void PathEdit::setText(const QString& path) {
  edit_->setText(path);
}
