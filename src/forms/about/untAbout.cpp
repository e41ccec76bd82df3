#include "forms/about/untAbout.h"

#include <QVBoxLayout>

#include "forms/about/AboutScroll.h"

TfrmAbout::TfrmAbout(QWidget* parent) : ToolDialog(parent) {
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
