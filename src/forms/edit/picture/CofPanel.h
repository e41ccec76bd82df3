#pragma once
// What the picture page shows above a COF's composed animation: its
// directions, frames and animation rate, a row per layer (component, weapon
// class, shadow, selectable, transparency, the DCC type chosen and the DCC
// drawn, or why none is), and the notes on layers left out. The finding and
// composing is graphics::CofAnimation's; this wires a type combo per layer
// to it.
#include <QWidget>
#include <functional>

#include "archive/graphics/CofAnimation.h"

class QLabel;
class QTableWidget;

class CofPanel : public QWidget {
 public:
  explicit CofPanel(QWidget* parent = nullptr);

  // Reads the COF and finds its layers' DCCs through lookup; false with the
  // reader's fault when the COF cannot be read.
  bool Show(const QByteArray& name, const QByteArray& bytes, graphics::DccLookup lookup, QString& fault);
  void Clear();
  const graphics::CofAnimation& Animation() const { return animation_; }
  // Called after a layer's type was chosen anew.
  std::function<void()> TypeChanged;

 private:
  void Fill();
  void Refresh();  // the DCC column and the notes

  graphics::CofAnimation animation_;
  graphics::DccLookup lookup_;
  QLabel* lblCofInfo;
  QTableWidget* tblLayers;
  QLabel* lblCofNotes;
};
