#include "platform/UiInputDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/Ansi.h"

UiInputDialog::UiInputDialog(const QString& caption, const QString& prompt, const QByteArray& value,
                             QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(caption);
  setObjectName(QStringLiteral("UiInputDialog"));
  prompt_ = new QLabel(prompt, this);
  prompt_->setTextFormat(Qt::PlainText);
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("edtValue"));
  edit_->setAccessibleName(prompt);
  prompt_->setBuddy(edit_);
  edit_->setMaxLength(qMax<int>(kMaxTyped, int(value.size())));
  edit_->setText(ansi::toDisplay(value));
  edit_->selectAll();
  edit_->setMinimumWidth(260);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt_);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
  setFixedHeight(sizeHint().height());
}

QByteArray UiInputDialog::value() const {
  return ansi::fromDisplay(edit_->text());
}
