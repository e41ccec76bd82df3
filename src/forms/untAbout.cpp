#include "forms/untAbout.h"

#include <QHideEvent>
#include <QShowEvent>
#include <QVBoxLayout>

#include "forms/AboutScroll.h"

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent, Qt::Tool) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About...."));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);
  Scroll = new AboutScroll(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Scroll);
  setFixedSize(377, 152);
}

void TfrmAbout::FormShow() {
  Scroll->Start();
}

void TfrmAbout::FormHide() {
  Scroll->Stop();
}

void TfrmAbout::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    placement_.BeforeShow(this);
    FormShow();
  }
  QDialog::showEvent(event);
}

void TfrmAbout::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) {
    placement_.AfterHide(this);
    FormHide();
  }
  QDialog::hideEvent(event);
}
