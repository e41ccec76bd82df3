#pragma once
// The Edit page's picture view for a DC6 or DCC: the frame at its real size
// or zoomed, chosen by direction and frame, played, drawn against its anchor
// point on a chosen background, in a chosen palette and colour shift, and
// exported as PNG files. What it shows is worked out by graphics::Picture;
// this only wires the controls to it.
#include <QImage>
#include <QWidget>
#include <functional>

#include "archive/graphics/CofAnimation.h"
#include "archive/graphics/ColourMap.h"
#include "archive/graphics/Palette.h"
#include "archive/graphics/Picture.h"

class CofPanel;
class QCheckBox;
class QDoubleSpinBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QTimer;
#include <QUndoStack>
class QToolButton;

class PicturePage : public QWidget {
 public:
  // Where palettes and colour maps come from: names for the lists, and how
  // to read the one at an index (false with why).
  struct Sources {
    QStringList palettes;
    std::function<bool(int, graphics::Palette&, QString&)> readPalette;
    QStringList colourMaps;
    std::function<bool(int, graphics::ColourMap&, QString&)> readColourMap;
  };

  explicit PicturePage(QWidget* parent = nullptr);

  // The lists offered from now on; the palette chosen before stays chosen
  // when the new list holds it.
  void SetSources(Sources sources);
  // Shows the entry's picture; false with the reader's message on the page.
  bool ShowPicture(const QByteArray& name, const QByteArray& bytes);
  // Shows a COF: its layers, and their DCCs found through lookup composed
  // and played at the COF's speed; false with the reader's message when the
  // COF cannot be read.
  bool ShowCof(const QByteArray& name, const QByteArray& bytes, graphics::DccLookup lookup);
  const CofPanel& Cof() const { return *cofPanel; }
  void Clear();

  // What is shown, for the window's tests and the tooltip alike.
  const graphics::Picture& Shown() const { return picture_; }
  // The entry shown, by its internal name (empty when none).
  const QByteArray& ShownName() const { return name_; }
  const graphics::Palette& CurrentPalette() const { return palette_; }
  const uint8_t* CurrentTable() const;
  QImage FrameShown() const { return frameImage_; }
  QTimer* PlayTimer() const { return timer_; }
  QString Note() const;

  // Export through the dialogs: the shown frame, every frame into a folder,
  // or a sprite sheet.
  void ExportShownFrame();
  void ExportEveryFrame();
  void ExportSpriteSheet();

  // Import into a DC6 from PNG files chosen in the open dialog: the shown
  // frame from one, or every frame from as many, in order. One undo step.
  void ImportShownFrame();
  void ImportEveryFrame();
  QUndoStack* Undo() const { return undo_; }
  bool Modified() const { return !undo_->isClean(); }
  void SetSaved() { undo_->setClean(); }
  // The DC6 as it now stands, for Save.
  QByteArray Dc6Bytes() const;

 private:
  void Build();
  void ChoosePalette(int index);
  void ChooseColourMap(int index);
  void ChooseBackground(int index);
  void ShowPaletteInUse();
  void SetFrameRange();
  void ShowComposed();
  void ShowFault(bool ok, const QString& fault);
  void Redraw();
  void Step();
  void SetPlaying(bool playing);
  graphics::ExportKind Kind() const;
  QString BaseName() const;
  void Import(int index);
  void PutDc6(const graphics::Dc6& image);
  // The shown DC6 frame placed at the offsets in the boxes, as one undo step.
  void MoveFrame();
  bool WriteFiles(const QString& folder, const std::vector<graphics::ExportFile>& files);

  Sources sources_;
  graphics::Picture picture_;
  QByteArray name_;
  graphics::Palette palette_ = graphics::GreyPalette();
  bool greyPalette_ = true;
  graphics::ColourMap colourMap_;
  QString rememberedPalette_;  // the palette chosen this session, by its name in the list
  int paletteShown_ = -1;      // the list's row of the palette in use; -1 for the grey ramp
  int backgroundShown_ = 0;    // the background in use, by its row in the list
  QString paletteFile_;
  QColor backgroundColour_ = QColor(0x40, 0x40, 0x80);
  QImage frameImage_;
  bool updating_ = false;

  QComboBox *cmbPalette, *cmbColourMap, *cmbBackground, *cmbExportKind;
  QSpinBox *spnShift, *spnZoom, *spnDirection, *spnFrame, *spnOffsetX, *spnOffsetY;
  QDoubleSpinBox* spnSpeed;
  CofPanel* cofPanel;
  QSlider* sldFrame;
  QPushButton* btnPlay;
  QToolButton *btnExport, *btnImport, *btnUndo;
  QUndoStack* undo_;
  QLabel *lblView, *lblNote, *lblFrameInfo;
  QScrollArea* scrView;
  QTimer* timer_;
};
