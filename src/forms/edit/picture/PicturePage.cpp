#include "forms/edit/picture/PicturePage.h"

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QUndoStack>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "forms/edit/picture/CofPanel.h"
#include "platform/FileBytes.h"
#include "platform/ReplacingFile.h"
#include "platform/Ui.h"
#include "platform/UiFileDialog.h"

namespace {

constexpr int kGameSpeed = 25;  // frames a second, as the game plays them
constexpr char kPaletteFile[] = "Palette file\u2026";
constexpr char kNoPaletteNote[] =
    "No palette at hand: shown in grey. Set the Game folder in Preferences for the game's "
    "palettes, or choose a palette file.";

template <class W>
W* Named(W* widget, const char* name, const QString& accessible) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setAccessibleName(accessible);
  return widget;
}

QSpinBox* SpinBox(QWidget* parent, const char* name, const QString& accessible, int low, int high) {
  auto* box = Named(new QSpinBox(parent), name, accessible);
  box->setRange(low, high);
  return box;
}

// A label's text, given also as its accessible description: its accessible
// name is what it is, so a screen reader reads the text from there.
void SetText(QLabel* label, const QString& text) {
  label->setText(text);
  label->setAccessibleDescription(text);
}

QLabel* Caption(QWidget* parent, const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

PicturePage::PicturePage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PicturePage"));
  setAccessibleName(QStringLiteral("Picture"));
  Build();
}

void PicturePage::Build() {
  cmbPalette = Named(new QComboBox(this), "cmbPalette", QStringLiteral("Palette"));
  cmbColourMap = Named(new QComboBox(this), "cmbColourMap", QStringLiteral("Colour map"));
  spnShift = SpinBox(this, "spnShift", QStringLiteral("Colour shift table"), 0, graphics::kColourMapTables - 1);
  spnZoom = SpinBox(this, "spnZoom", QStringLiteral("Zoom"), 1, 8);
  spnZoom->setSuffix(QStringLiteral("x"));
  cmbBackground = Named(new QComboBox(this), "cmbBackground", QStringLiteral("Background"));
  cmbBackground->addItems({QStringLiteral("Checkerboard"), QStringLiteral("Black"), QStringLiteral("Colour\u2026")});
  spnDirection = SpinBox(this, "spnDirection", QStringLiteral("Direction"), 0, 0);
  spnFrame = SpinBox(this, "spnFrame", QStringLiteral("Frame"), 0, 0);
  sldFrame = Named(new QSlider(Qt::Horizontal, this), "sldFrame", QStringLiteral("Frame slider"));
  btnPlay = Named(new QPushButton(QStringLiteral("Play"), this), "btnPicturePlay", QStringLiteral("Play"));
  spnSpeed = Named(new QDoubleSpinBox(this), "spnSpeed", QStringLiteral("Frames a second"));
  spnSpeed->setRange(0.1, 100);
  spnSpeed->setDecimals(1);
  spnSpeed->setValue(kGameSpeed);
  spnSpeed->setSuffix(QStringLiteral(" fps"));
  // Any offset a DC6 holds fits the boxes (they never clamp one read from a
  // file); they are as wide as everyday offsets need.
  const int intMin = std::numeric_limits<int>::min(), intMax = std::numeric_limits<int>::max();
  spnOffsetX = SpinBox(this, "spnOffsetX", QStringLiteral("Frame offset x"), intMin, intMax);
  spnOffsetY = SpinBox(this, "spnOffsetY", QStringLiteral("Frame offset y"), intMin, intMax);
  for (QSpinBox* box : {spnOffsetX, spnOffsetY})
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("-00000")) + 36);
  cmbExportKind = Named(new QComboBox(this), "cmbExportKind", QStringLiteral("Export as"));
  cmbExportKind->addItems({QStringLiteral("PNG with alpha"), QStringLiteral("Indexed PNG")});
  btnExport = Named(new QToolButton(this), "btnPictureExport", QStringLiteral("Export Picture"));
  btnExport->setText(QStringLiteral("Export"));
  btnExport->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(btnExport);
  menu->setObjectName(QStringLiteral("mnuPictureExport"));
  menu->addAction(QStringLiteral("Shown frame\u2026"), this, &PicturePage::ExportShownFrame)
      ->setObjectName(QStringLiteral("actExportFrame"));
  menu->addAction(QStringLiteral("Every frame\u2026"), this, &PicturePage::ExportEveryFrame)
      ->setObjectName(QStringLiteral("actExportFrames"));
  menu->addAction(QStringLiteral("Sprite sheet\u2026"), this, &PicturePage::ExportSpriteSheet)
      ->setObjectName(QStringLiteral("actExportSheet"));
  btnExport->setMenu(menu);
  btnImport = Named(new QToolButton(this), "btnPictureImport", QStringLiteral("Import Picture"));
  btnImport->setText(QStringLiteral("Import"));
  btnImport->setPopupMode(QToolButton::InstantPopup);
  auto* imports = new QMenu(btnImport);
  imports->setObjectName(QStringLiteral("mnuPictureImport"));
  imports->addAction(QStringLiteral("Replace the shown frame…"), this, &PicturePage::ImportShownFrame)
      ->setObjectName(QStringLiteral("actImportFrame"));
  imports->addAction(QStringLiteral("Replace every frame…"), this, &PicturePage::ImportEveryFrame)
      ->setObjectName(QStringLiteral("actImportFrames"));
  btnImport->setMenu(imports);
  undo_ = new QUndoStack(this);
  btnUndo = Named(new QToolButton(this), "btnPictureUndo", QStringLiteral("Undo"));
  btnUndo->setDefaultAction(undo_->createUndoAction(btnUndo, QStringLiteral("Undo")));
  btnUndo->defaultAction()->setShortcut(QKeySequence::Undo);
  btnUndo->defaultAction()->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(btnUndo->defaultAction());

  cofPanel = new CofPanel(this);
  cofPanel->hide();
  cofPanel->TypeChanged = [this] { ShowComposed(); };
  lblNote = Named(new QLabel(this), "lblPictureNote", QStringLiteral("Picture note"));
  lblNote->setWordWrap(true);
  lblNote->setTextFormat(Qt::PlainText);
  lblNote->hide();
  lblFrameInfo = Named(new QLabel(this), "lblFrameInfo", QStringLiteral("Frame size and offset"));
  lblView = Named(new QLabel, "lblPictureView", QStringLiteral("Picture"));
  lblView->setAlignment(Qt::AlignCenter);
  scrView = Named(new QScrollArea(this), "scrPictureView", QStringLiteral("Picture view"));
  scrView->setWidget(lblView);
  scrView->setWidgetResizable(true);
  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("tmrPlay"));

  // Three rows, so that the page keeps every control readable in a small window:
  // what colours the picture, how it is shown and exchanged, which frame.
  auto* top = new QHBoxLayout;
  top->addWidget(Caption(this, QStringLiteral("&Palette:"), cmbPalette));
  top->addWidget(cmbPalette, 1);
  top->addWidget(Caption(this, QStringLiteral("&Colour map:"), cmbColourMap));
  top->addWidget(cmbColourMap, 1);
  top->addWidget(Caption(this, QStringLiteral("S&hift:"), spnShift));
  top->addWidget(spnShift);
  auto* view = new QHBoxLayout;
  view->addWidget(Caption(this, QStringLiteral("&Zoom:"), spnZoom));
  view->addWidget(spnZoom);
  view->addWidget(Caption(this, QStringLiteral("&Background:"), cmbBackground));
  view->addWidget(cmbBackground);
  view->addStretch(1);
  view->addWidget(cmbExportKind);
  view->addWidget(btnExport);
  view->addWidget(btnImport);
  view->addWidget(btnUndo);
  auto* play = new QHBoxLayout;
  play->addWidget(Caption(this, QStringLiteral("&Direction:"), spnDirection));
  play->addWidget(spnDirection);
  play->addWidget(Caption(this, QStringLiteral("&Frame:"), spnFrame));
  play->addWidget(spnFrame);
  play->addWidget(Caption(this, QStringLiteral("O&ffset:"), spnOffsetX));
  play->addWidget(spnOffsetX);
  play->addWidget(spnOffsetY);
  play->addWidget(sldFrame, 1);
  play->addWidget(btnPlay);
  play->addWidget(spnSpeed);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addLayout(view);
  layout->addLayout(play);
  layout->addWidget(cofPanel);
  layout->addWidget(lblNote);
  layout->addWidget(lblFrameInfo);
  layout->addWidget(scrView, 1);

  connect(cmbPalette, &QComboBox::activated, this, &PicturePage::ChoosePalette);
  connect(cmbColourMap, &QComboBox::activated, this, &PicturePage::ChooseColourMap);
  connect(cmbBackground, &QComboBox::activated, this, &PicturePage::ChooseBackground);
  connect(spnOffsetX, &QSpinBox::editingFinished, this, &PicturePage::MoveFrame);
  connect(spnOffsetY, &QSpinBox::editingFinished, this, &PicturePage::MoveFrame);
  connect(spnShift, &QSpinBox::valueChanged, this, &PicturePage::Redraw);
  connect(spnZoom, &QSpinBox::valueChanged, this, &PicturePage::Redraw);
  connect(spnDirection, &QSpinBox::valueChanged, this, &PicturePage::Redraw);
  connect(spnFrame, &QSpinBox::valueChanged, this, [this](int frame) {
    sldFrame->setValue(frame);
    Redraw();
  });
  connect(sldFrame, &QSlider::valueChanged, spnFrame, &QSpinBox::setValue);
  connect(btnPlay, &QPushButton::clicked, this, [this] { SetPlaying(!timer_->isActive()); });
  connect(spnSpeed, &QDoubleSpinBox::valueChanged, this,
          [this](double fps) { timer_->setInterval(graphics::Playback::Interval(fps)); });
  timer_->setInterval(graphics::Playback::Interval(kGameSpeed));
  connect(timer_, &QTimer::timeout, this, &PicturePage::Step);
}

void PicturePage::SetSources(Sources sources) {
  sources_ = std::move(sources);
  cmbPalette->clear();
  cmbPalette->addItems(sources_.palettes);
  cmbPalette->addItem(QString::fromUtf8(kPaletteFile));
  cmbColourMap->clear();
  cmbColourMap->addItem(QStringLiteral("No colour shift"));
  cmbColourMap->addItems(sources_.colourMaps);
  colourMap_ = {};
  spnShift->setEnabled(false);
  // The palette chosen before, else the first one that reads.
  int remembered = rememberedPalette_.isEmpty() ? -1 : cmbPalette->findText(rememberedPalette_);
  greyPalette_ = true;
  palette_ = graphics::GreyPalette();
  if (remembered >= 0 && remembered < sources_.palettes.size()) {
    QString why;
    greyPalette_ = !sources_.readPalette(remembered, palette_, why);
  } else if (!paletteFile_.isEmpty() && rememberedPalette_ == paletteFile_) {
    QByteArray bytes;
    QString why;
    greyPalette_ = !(files::ReadFileBytes(paletteFile_, bytes) && graphics::ReadPalette(bytes, palette_, why));
    cmbPalette->insertItem(cmbPalette->count() - 1, QDir::toNativeSeparators(paletteFile_));
    remembered = cmbPalette->count() - 2;
  }
  for (int i = 0; greyPalette_ && i < sources_.palettes.size(); ++i) {
    QString why;
    if (sources_.readPalette(i, palette_, why)) {
      greyPalette_ = false;
      remembered = i;
    }
  }
  if (greyPalette_) palette_ = graphics::GreyPalette();
  paletteShown_ = greyPalette_ ? -1 : remembered;
  ShowPaletteInUse();
  SetText(lblNote, QString::fromUtf8(kNoPaletteNote));
  lblNote->setVisible(greyPalette_);
  Redraw();
}

void PicturePage::ChoosePalette(int index) {
  graphics::Palette palette;
  QString why;
  QString name = cmbPalette->itemText(index);
  bool ok = false;
  if (index < sources_.palettes.size()) {
    ok = sources_.readPalette(index, palette, why);
  } else {
    QString path = index == cmbPalette->count() - 1 ? QString() : paletteFile_;
    if (path.isEmpty()) {
      FileDialog dialog(FileDialog::Open);
      dialog.Filter = QStringLiteral("Palettes (*.dat;*.pl2)|*.dat;*.pl2|All Files (*.*)|*.*");
      dialog.Options = kOpenOptions;
      dialog.Title = QStringLiteral("Open Palette");
      if (!dialog.Execute()) return ShowPaletteInUse();
      path = dialog.FileName;
    }
    QByteArray bytes;
    ok = files::ReadFileBytes(path, bytes) && graphics::ReadPalette(bytes, palette, why);
    if (ok && path != paletteFile_) {
      if (!paletteFile_.isEmpty()) cmbPalette->removeItem(cmbPalette->count() - 2);
      paletteFile_ = path;
      cmbPalette->insertItem(cmbPalette->count() - 1, QDir::toNativeSeparators(path));
    }
    name = QDir::toNativeSeparators(path);
    if (why.isEmpty()) why = QStringLiteral("the file cannot be read");
  }
  if (!ok) {
    // The list goes back to the palette still in use.
    ShowPaletteInUse();
    ui::MessageBox(QStringLiteral("Cannot use the palette %1: %2.").arg(name, why), QStringLiteral("Palette"),
                   ui::mbOk | ui::mbIconError);
    return;
  }
  palette_ = palette;
  greyPalette_ = false;
  rememberedPalette_ = name == QDir::toNativeSeparators(paletteFile_) ? paletteFile_ : name;
  paletteShown_ = cmbPalette->findText(name);
  ShowPaletteInUse();
  lblNote->hide();
  Redraw();
}

void PicturePage::ChooseColourMap(int index) {
  colourMap_ = {};
  if (index > 0) {
    QString why;
    if (!sources_.readColourMap(index - 1, colourMap_, why)) {
      colourMap_ = {};
      cmbColourMap->setCurrentIndex(0);
      ui::MessageBox(QStringLiteral("Cannot use the colour map %1: %2.").arg(cmbColourMap->itemText(index), why),
                     QStringLiteral("Colour Map"), ui::mbOk | ui::mbIconError);
    }
  }
  spnShift->setEnabled(!colourMap_.tables.empty());
  if (!colourMap_.tables.empty()) spnShift->setMaximum(int(colourMap_.tables.size()) - 1);
  Redraw();
}

void PicturePage::ShowPaletteInUse() {
  cmbPalette->setCurrentIndex(paletteShown_);
}

void PicturePage::ChooseBackground(int index) {
  if (index == int(graphics::Background::Colour)) {
    QColor colour = backgroundColour_;
    // Cancelled, the background stays the one in use.
    if (!ui::ChooseColour(QStringLiteral("Background Colour"), colour)) {
      cmbBackground->setCurrentIndex(backgroundShown_);
      return;
    }
    backgroundColour_ = colour;
  }
  backgroundShown_ = index;
  Redraw();
}

const uint8_t* PicturePage::CurrentTable() const {
  if (colourMap_.tables.empty()) return nullptr;
  return colourMap_.tables[size_t(std::min<int>(spnShift->value(), int(colourMap_.tables.size()) - 1))].data();
}

QString PicturePage::Note() const {
  return lblNote->isHidden() ? QString() : lblNote->text();
}

bool PicturePage::ShowPicture(const QByteArray& name, const QByteArray& bytes) {
  SetPlaying(false);
  undo_->clear();
  name_ = name;
  QString fault;
  // A COF set the speed its rate gives; a DC6 or DCC plays at the game's.
  if (!cofPanel->isHidden()) spnSpeed->setValue(kGameSpeed);
  cofPanel->Clear();
  cofPanel->hide();
  const bool ok = picture_.Read(name, bytes, fault);
  SetFrameRange();
  ShowFault(ok, fault);
  Redraw();
  return ok;
}

void PicturePage::ShowFault(bool ok, const QString& fault) {
  if (!ok) {
    SetText(lblNote, QStringLiteral("This picture cannot be shown: %1.").arg(fault));
    lblNote->show();
  } else {
    SetText(lblNote, QString::fromUtf8(kNoPaletteNote));
    lblNote->setVisible(greyPalette_);
  }
}

bool PicturePage::ShowCof(const QByteArray& name, const QByteArray& bytes, graphics::DccLookup lookup) {
  SetPlaying(false);
  undo_->clear();
  name_ = name;
  QString fault;
  cofPanel->show();
  const bool ok = cofPanel->Show(name, bytes, std::move(lookup), fault);
  // Played at the speed the COF's rate gives, which the user may change.
  const double fps = cofPanel->Animation().FramesPerSecond();
  spnSpeed->setValue(ok && fps > 0 ? fps : kGameSpeed);
  if (!ok) {
    picture_ = {};
    SetFrameRange();
    ShowFault(false, fault);
    Redraw();
    return false;
  }
  ShowComposed();
  return true;
}

void PicturePage::ShowComposed() {
  const int direction = spnDirection->value(), frame = spnFrame->value();
  std::vector<std::vector<graphics::IndexFrame>> frames;
  QString fault;
  const bool ok = cofPanel->Animation().ComposeAll(frames, fault);
  picture_.SetFrames(std::move(frames));
  SetFrameRange();
  // A type chosen anew keeps the place shown.
  updating_ = true;
  spnDirection->setValue(direction);
  spnFrame->setValue(frame);
  updating_ = false;
  ShowFault(ok, fault);
  Redraw();
}

void PicturePage::Clear() {
  SetPlaying(false);
  undo_->clear();
  picture_ = {};
  cofPanel->Clear();
  cofPanel->hide();
  name_.clear();
  SetFrameRange();
  Redraw();
}

void PicturePage::SetFrameRange() {
  updating_ = true;
  const bool any = picture_.Directions() > 0 && picture_.Frames() > 0;
  spnDirection->setRange(0, std::max(picture_.Directions() - 1, 0));
  spnFrame->setRange(0, std::max(picture_.Frames() - 1, 0));
  sldFrame->setRange(0, std::max(picture_.Frames() - 1, 0));
  spnDirection->setValue(0);
  spnFrame->setValue(0);
  for (QWidget* w : std::initializer_list<QWidget*>{spnDirection, spnFrame, sldFrame, btnPlay, btnExport})
    w->setEnabled(any);
  btnImport->setEnabled(any && picture_.IsDc6());
  spnOffsetX->setEnabled(any && picture_.IsDc6());
  spnOffsetY->setEnabled(any && picture_.IsDc6());
  updating_ = false;
}

void PicturePage::Redraw() {
  if (updating_) return;
  if (picture_.Directions() == 0 || picture_.Frames() == 0) {
    frameImage_ = {};
    lblView->clear();
    SetText(lblFrameInfo, QString());
    return;
  }
  const graphics::IndexFrame& frame = picture_.Frame(spnDirection->value(), spnFrame->value());
  {
    const QSignalBlocker blockX(spnOffsetX), blockY(spnOffsetY);
    spnOffsetX->setValue(frame.offsetX);
    spnOffsetY->setValue(frame.offsetY);
  }
  frameImage_ = graphics::FrameImage(frame, palette_, CurrentTable());
  const auto background = graphics::Background(std::max(cmbBackground->currentIndex(), 0));
  lblView->setPixmap(QPixmap::fromImage(
      graphics::ViewImage(frame, frameImage_, spnZoom->value(), background, backgroundColour_)));
  SetText(lblFrameInfo, QStringLiteral("%1 \u00d7 %2 pixels, offset %3, %4 from the anchor (the cross)")
                            .arg(frame.width)
                            .arg(frame.height)
                            .arg(frame.offsetX)
                            .arg(frame.offsetY));
}

void PicturePage::Step() {
  const graphics::Playback playback{picture_.Frames(), spnFrame->value()};
  spnFrame->setValue(playback.Next());
}

void PicturePage::SetPlaying(bool playing) {
  if (playing && picture_.Frames() > 0)
    timer_->start();
  else
    timer_->stop();
  btnPlay->setText(timer_->isActive() ? QStringLiteral("Pause") : QStringLiteral("Play"));
  btnPlay->setAccessibleName(btnPlay->text());
}

graphics::ExportKind PicturePage::Kind() const {
  return cmbExportKind->currentIndex() == 1 ? graphics::ExportKind::Indexed : graphics::ExportKind::Rgba;
}

QString PicturePage::BaseName() const {
  const QByteArray leaf = name_.mid(name_.lastIndexOf('\\') + 1);
  const qsizetype dot = leaf.lastIndexOf('.');
  return QString::fromLatin1(dot > 0 ? leaf.left(dot) : leaf);
}

bool PicturePage::WriteFiles(const QString& folder, const std::vector<graphics::ExportFile>& files) {
  size_t written = 0;
  for (const graphics::ExportFile& file : files) {
    files::ReplacingFile out(folder.isEmpty() ? file.name : QDir(folder).filePath(file.name));
    if (file.bytes.isEmpty() || !out.Open() || out.Device().write(file.bytes) != file.bytes.size() ||
        !out.Commit()) {
      ui::MessageBox(QStringLiteral("Cannot write %1 (%2 files before it were written).")
                         .arg(QDir::toNativeSeparators(QDir(folder).filePath(file.name)))
                         .arg(written),
                     QStringLiteral("Export"), ui::mbOk | ui::mbIconError);
      return false;
    }
    ++written;
  }
  return true;
}

void PicturePage::ExportShownFrame() {
  if (picture_.Frames() == 0) return;
  graphics::ExportFile file = graphics::ExportFrame(BaseName(), picture_, spnDirection->value(), spnFrame->value(),
                                                    palette_, CurrentTable(), Kind());
  FileDialog dialog(FileDialog::Save);
  dialog.Filter = QStringLiteral("PNG Pictures (*.png)|*.png|All Files (*.*)|*.*");
  dialog.Options = kSaveOptions;
  dialog.Title = QStringLiteral("Export Frame");
  dialog.DefaultExt = QStringLiteral("png");
  dialog.FileName = file.name;
  if (!dialog.Execute()) return;
  const QFileInfo target(dialog.FileName);
  file.name = target.fileName();
  WriteFiles(target.absolutePath(), {file});
}

void PicturePage::ExportEveryFrame() {
  if (picture_.Frames() == 0) return;
  QString folder;
  if (!ui::BrowseFolder(QStringLiteral("Export every frame to"), QString(), folder)) return;
  WriteFiles(folder, graphics::ExportFrames(BaseName(), picture_, palette_, CurrentTable(), Kind()));
}

void PicturePage::ExportSpriteSheet() {
  if (picture_.Frames() == 0) return;
  QString folder;
  if (!ui::BrowseFolder(QStringLiteral("Export the sprite sheet to"), QString(), folder)) return;
  WriteFiles(folder, {graphics::ExportSheet(BaseName(), picture_, palette_, CurrentTable(), Kind())});
}

namespace {

// One import: the DC6 before and after, put back and forth.
// One change of the DC6 (an import, a frame moved), undone by putting the
// image back as it was.
class ImportCommand : public QUndoCommand {
 public:
  ImportCommand(std::function<void(const graphics::Dc6&)> put, graphics::Dc6 before, graphics::Dc6 after,
                const QString& text = QStringLiteral("Import"))
      : QUndoCommand(text), put_(std::move(put)), before_(std::move(before)),
        after_(std::move(after)) {}
  void undo() override { put_(before_); }
  void redo() override { put_(after_); }

 private:
  std::function<void(const graphics::Dc6&)> put_;
  graphics::Dc6 before_, after_;
};

}  // namespace

void PicturePage::ImportShownFrame() {
  if (picture_.AsDc6()) Import(spnDirection->value() * picture_.Frames() + spnFrame->value());
}

void PicturePage::ImportEveryFrame() {
  if (picture_.AsDc6()) Import(-1);
}

void PicturePage::Import(int index) {
  FileDialog dialog(FileDialog::Open);
  dialog.Filter = QStringLiteral("PNG Pictures (*.png)|*.png|All Files (*.*)|*.*");
  dialog.Options = index < 0 ? kOpenManyOptions : kOpenOptions;
  dialog.Title = index < 0 ? QStringLiteral("Import Every Frame") : QStringLiteral("Import Frame");
  if (!dialog.Execute()) return;
  std::vector<QImage> pictures;
  for (const QString& path : dialog.Files.isEmpty() ? QStringList{dialog.FileName} : dialog.Files) {
    QByteArray bytes;
    QImage picture;
    if (!files::ReadFileBytes(path, bytes) || !picture.loadFromData(bytes, "PNG")) {
      ui::MessageBox(QStringLiteral("%1 is no PNG picture that can be read.").arg(QDir::toNativeSeparators(path)),
                     QStringLiteral("Import"), ui::mbOk | ui::mbIconError);
      return;
    }
    pictures.push_back(picture);
  }
  graphics::Dc6 after = *picture_.AsDc6();
  QString fault;
  if (!graphics::ImportIntoDc6(after, index, pictures, palette_, fault)) {
    ui::MessageBox(QStringLiteral("Cannot import: %1.").arg(fault), QStringLiteral("Import"),
                   ui::mbOk | ui::mbIconError);
    return;
  }
  undo_->push(new ImportCommand([this](const graphics::Dc6& image) { PutDc6(image); }, *picture_.AsDc6(),
                                std::move(after)));
}

void PicturePage::MoveFrame() {
  if (updating_ || !picture_.AsDc6() || picture_.Frames() == 0) return;
  const size_t index = size_t(spnDirection->value() * picture_.Frames() + spnFrame->value());
  graphics::Dc6 after = *picture_.AsDc6();
  graphics::IndexFrame frame = after.frames[index].image;
  if (frame.offsetX == spnOffsetX->value() && frame.offsetY == spnOffsetY->value()) return;
  frame.offsetX = spnOffsetX->value();
  frame.offsetY = spnOffsetY->value();
  graphics::SetDc6Frame(after, index, frame);
  undo_->push(new ImportCommand([this](const graphics::Dc6& image) { PutDc6(image); }, *picture_.AsDc6(),
                                std::move(after), QStringLiteral("Move Frame")));
}

void PicturePage::PutDc6(const graphics::Dc6& image) {
  picture_.SetDc6(image);
  Redraw();
}

QByteArray PicturePage::Dc6Bytes() const {
  return picture_.AsDc6() ? graphics::WriteDc6(*picture_.AsDc6()) : QByteArray();
}
