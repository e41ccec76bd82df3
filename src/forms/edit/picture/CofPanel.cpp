#include "forms/edit/picture/CofPanel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { kLayer, kWeaponClass, kShadow, kSelectable, kTransparency, kType, kDcc, kColumns };

QString Bytes(const QByteArray& text) {
  return QString::fromLatin1(text);
}

QString YesNo(int value) {
  return value ? QStringLiteral("yes") : QStringLiteral("no");
}

}  // namespace

CofPanel::CofPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CofPanel"));
  setAccessibleName(QStringLiteral("COF layers"));
  lblCofInfo = new QLabel(this);
  lblCofInfo->setObjectName(QStringLiteral("lblCofInfo"));
  lblCofInfo->setAccessibleName(QStringLiteral("COF directions, frames and speed"));
  lblCofInfo->setTextFormat(Qt::PlainText);
  tblLayers = new QTableWidget(0, kColumns, this);
  tblLayers->setObjectName(QStringLiteral("tblCofLayers"));
  tblLayers->setAccessibleName(QStringLiteral("Layers"));
  tblLayers->setHorizontalHeaderLabels({QStringLiteral("Layer"), QStringLiteral("Weapon class"),
                                        QStringLiteral("Shadow"), QStringLiteral("Selectable"),
                                        QStringLiteral("Transparency"), QStringLiteral("Type"),
                                        QStringLiteral("DCC")});
  tblLayers->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblLayers->verticalHeader()->hide();
  tblLayers->horizontalHeader()->setStretchLastSection(true);
  tblLayers->setMaximumHeight(180);
  lblCofNotes = new QLabel(this);
  lblCofNotes->setObjectName(QStringLiteral("lblCofNotes"));
  lblCofNotes->setAccessibleName(QStringLiteral("COF notes"));
  lblCofNotes->setTextFormat(Qt::PlainText);
  lblCofNotes->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(lblCofInfo);
  layout->addWidget(tblLayers);
  layout->addWidget(lblCofNotes);
}

bool CofPanel::Show(const QByteArray& name, const QByteArray& bytes, graphics::DccLookup lookup,
                    QString& fault) {
  lookup_ = std::move(lookup);
  if (!animation_.Read(name, bytes, fault)) {
    animation_ = {};
    Fill();
    return false;
  }
  animation_.FindLayers(lookup_);
  Fill();
  return true;
}

void CofPanel::Clear() {
  animation_ = {};
  lookup_ = {};
  Fill();
}

void CofPanel::Fill() {
  const graphics::Cof& cof = animation_.File();
  lblCofInfo->setText(
      QStringLiteral("%1 directions, %2 frames a direction, animation rate %3 (%4 frames a second)")
          .arg(cof.directions)
          .arg(cof.framesPerDirection)
          .arg(cof.animationRate)
          .arg(animation_.FramesPerSecond(), 0, 'g', 4));
  tblLayers->setRowCount(0);
  tblLayers->setRowCount(int(cof.layers.size()));
  for (int row = 0; row < int(cof.layers.size()); ++row) {
    const graphics::CofLayer& layer = cof.layers[size_t(row)];
    const graphics::CofLayerDcc& found = animation_.Layers()[size_t(row)];
    const QString component = Bytes(graphics::ComponentName(layer.component));
    const QString transparency = layer.overrideTransparency
                                     ? QStringLiteral("override, mode %1").arg(layer.newTransparency)
                                     : QStringLiteral("none");
    const QStringList cells{component, Bytes(layer.weaponClass), YesNo(layer.shadow), YesNo(layer.selectable),
                            transparency};
    for (int c = 0; c < cells.size(); ++c) tblLayers->setItem(row, c, new QTableWidgetItem(cells[c]));
    if (found.chosen >= 0) {
      auto* types = new QComboBox(tblLayers);
      types->setObjectName(QStringLiteral("cmbLayerType%1").arg(row));
      types->setAccessibleName(QStringLiteral("Type of layer %1").arg(component));
      for (const QByteArray& type : found.types) types->addItem(Bytes(type));
      types->setCurrentIndex(found.chosen);
      connect(types, &QComboBox::activated, this, [this, row](int type) {
        animation_.ChooseType(size_t(row), type, lookup_);
        // The combo stays: it is the one sending this.
        Refresh();
        if (TypeChanged) TypeChanged();
      });
      tblLayers->setCellWidget(row, kType, types);
    } else {
      tblLayers->setItem(row, kType, new QTableWidgetItem(QStringLiteral("\u2014")));
    }
    tblLayers->setItem(row, kDcc, new QTableWidgetItem);
  }
  Refresh();
}

void CofPanel::Refresh() {
  for (int row = 0; row < tblLayers->rowCount(); ++row) {
    const graphics::CofLayerDcc& found = animation_.Layers()[size_t(row)];
    QString dcc = QStringLiteral("missing");
    if (found.chosen >= 0) {
      dcc = Bytes(found.names[size_t(found.chosen)]);
      if (!found.dcc) dcc += QStringLiteral(": %1, left out").arg(found.fault);
    }
    tblLayers->item(row, kDcc)->setText(dcc);
  }
  const QStringList notes = animation_.Notes();
  lblCofNotes->setText(notes.join(QLatin1Char('\n')));
  lblCofNotes->setVisible(!notes.isEmpty());
}
