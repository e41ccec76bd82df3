// Pictures on the Edit page: an entry ending in ".dc6", ".dcc" or ".cof" is read
// from its pending file or the mod and shown on the picture page, in the
// game's palettes (through the Game folder preference), the mod's own
// palettes or a file the user picks, shifted by the mod's or the game's
// colour maps.
#include <QBuffer>
#include <QTableView>
#include <QToolButton>

#include "archive/ArchiveReader.h"
#include "archive/Names.h"
#include "archive/graphics/CofAnimation.h"
#include "archive/graphics/GamePalette.h"
#include "forms/edit/picture/PicturePage.h"
#include "forms/main/ModListModel.h"
#include "forms/main/untMain.h"
#include "platform/Ansi.h"
#include "platform/AppError.h"
#include "platform/FileBytes.h"
#include "platform/ReplacingFile.h"
#include "platform/Ui.h"
#include "platform/UiFileDialog.h"

namespace {

// The game's colour maps (data\global\items\Palette\NAME.dat).
constexpr const char* kGameColourMaps[] = {"grey",    "grey2",    "gold",    "brown",    "greybrown",
                                           "invgrey", "invgrey2", "invgold", "invbrown", "invgreybrown"};

QByteArray GameColourMapName(const char* name) {
  return QByteArray("data\\global\\items\\Palette\\") + name + ".dat";
}

bool IsPaletteEntry(const QByteArray& caption) {
  const QByteArray lower = caption.toLower();
  return lower.endsWith("\\pal.dat") || lower == "pal.dat" || lower.endsWith(".pl2");
}

bool IsColourMapEntry(const QByteArray& caption) {
  const QByteArray lower = caption.toLower();
  return lower.contains("items\\palette\\") && lower.endsWith(".dat");
}

}  // namespace

graphics::DccLookup TfrmMain::LayerLookup() const {
  const QString game = GameFolder();
  graphics::DccLookup lookup;
  // The mod's rows (pending files and the archive) first, then the game's.
  lookup.list = [this](const QByteArray& start, const QByteArray& end) {
    std::vector<QByteArray> names;
    const QByteArray low = names::ArchiveKey(start), high = names::ArchiveKey(end);
    for (const ModEntry& entry : Rows->Rows()) {
      const QByteArray name = names::ArchiveKey(entry.Caption);
      if (name.size() > low.size() + high.size() && name.startsWith(low) && name.endsWith(high))
        names.push_back(entry.Caption);
    }
    return names;
  };
  if (!game.isEmpty())
    lookup.holds = [game](const QByteArray& name) { return graphics::GameHoldsFile(game, name); };
  lookup.read = [this, game](const QByteArray& name, QByteArray& bytes) {
    for (int r = 0; r < Rows->Count(); ++r) {
      if (!names::SameEntry(Rows->Row(r).Caption, name)) continue;
      try {
        bytes = PictureBytes(r);
        return true;
      } catch (const AppError&) {
        return false;
      }
    }
    return !game.isEmpty() && graphics::ReadGameFile(game, name, bytes, graphics::kMaxGameDcc);
  };
  return lookup;
}

QByteArray TfrmMain::PictureBytes(int row) const {
  const ModEntry entry = Rows->Row(row);
  QByteArray bytes;
  if (!entry.SourcePath.isEmpty()) {
    if (!files::ReadFileBytes(entry.SourcePath, bytes))
      throw AppError(QStringLiteral("Cannot read the file %1").arg(entry.SourcePath));
    return bytes;
  }
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!ReadEntryToStream(ModFileName, entry.Caption, buffer))
    throw AppError(QStringLiteral("Cannot read %1 from the mod %2").arg(ansi::toDisplay(entry.Caption), ModFileName));
  buffer.close();
  return bytes;
}

void TfrmMain::ShowPictureEntry(int row) {
  PicturePage::Sources sources;
  const QString game = GameFolder();
  std::vector<int> paletteRows, mapRows;
  for (int r = 0; r < Rows->Count(); ++r) {
    const QByteArray& caption = Rows->Row(r).Caption;
    if (IsPaletteEntry(caption)) paletteRows.push_back(r);
    if (IsColourMapEntry(caption)) mapRows.push_back(r);
  }
  const int gamePalettes = game.isEmpty() ? 0 : 5;
  for (int act = 1; act <= gamePalettes; ++act) sources.palettes << QStringLiteral("ACT%1 (game)").arg(act);
  for (int r : paletteRows) sources.palettes << QStringLiteral("%1 (mod)").arg(ansi::toDisplay(Rows->Row(r).Caption));
  sources.readPalette = [this, game, gamePalettes, paletteRows](int index, graphics::Palette& palette,
                                                                 QString& why) {
    if (index < gamePalettes) return graphics::ReadGamePalette(game, index + 1, palette, why);
    try {
      return graphics::ReadPalette(PictureBytes(paletteRows[size_t(index - gamePalettes)]), palette, why);
    } catch (const AppError& e) {
      why = e.message();
      return false;
    }
  };
  for (int r : mapRows) sources.colourMaps << QStringLiteral("%1 (mod)").arg(ansi::toDisplay(Rows->Row(r).Caption));
  const int modMaps = int(mapRows.size());
  if (!game.isEmpty())
    for (const char* name : kGameColourMaps) sources.colourMaps << QStringLiteral("%1 (game)").arg(QLatin1String(name));
  sources.readColourMap = [this, game, modMaps, mapRows](int index, graphics::ColourMap& map, QString& why) {
    QByteArray bytes;
    if (index < modMaps) {
      try {
        bytes = PictureBytes(mapRows[size_t(index)]);
      } catch (const AppError& e) {
        why = e.message();
        return false;
      }
    } else {
      const QByteArray name = GameColourMapName(kGameColourMaps[index - modMaps]);
      if (!graphics::ReadGameFile(game, name, bytes)) {
        why = QStringLiteral("the game folder %1 holds no %2").arg(game, QString::fromLatin1(name));
        return false;
      }
    }
    return graphics::ReadColourMap(bytes, map, why);
  };
  PicturesPage->SetSources(std::move(sources));
  const QByteArray caption = Rows->Row(row).Caption;
  QByteArray bytes;
  try {
    bytes = PictureBytes(row);
  } catch (const AppError&) {
    PicturesPage->Clear();
    throw;
  }
  // The picture page takes the focus before the grid hides, so it stays on the page.
  const bool focusInside = tbsEdit->isAncestorOf(focusWidget());
  PicturesPage->show();
  if (focusInside) PicturesPage->setFocus(Qt::OtherFocusReason);
  StringGrid->hide();
  tbSheetSave->setEnabled(false);
  if (graphics::IsCofName(caption))
    PicturesPage->ShowCof(caption, bytes, LayerLookup());
  else
    PicturesPage->ShowPicture(caption, bytes);
  ShowEditEntry(row);
}

void TfrmMain::HidePicturePage() {
  if (PicturesPage->isHidden()) return;
  PicturesPage->Clear();
  StringGrid->show();
  PicturesPage->hide();
  tbSheetSave->setEnabled(!ModFileName.isEmpty());
}

bool TfrmMain::MayDiscardPicture() {
  if (PicturesPage->isHidden() || !PicturesPage->Modified()) return true;
  if (ui::MessageBox(QStringLiteral("Discard the changes to the picture?"), QStringLiteral("Discard Changes"),
                     ui::mbYesNo | ui::mbIconQuestion) != ui::idYes)
    return false;
  PicturesPage->SetSaved();
  return true;
}

// The row of the entry the picture page shows: the selected one when it is
// that entry (the selection may have moved on while a discard was declined),
// else the first row of that name; -1 when the entry has left the list.
int TfrmMain::PictureRow() const {
  const QByteArray& name = PicturesPage->ShownName();
  const int selected = SelectedRow();
  if (selected >= 0 && Rows->Row(selected).Caption == name) return selected;
  for (int r = 0; r < Rows->Count(); ++r)
    if (Rows->Row(r).Caption == name) return r;
  return -1;
}

void TfrmMain::SavePicture() {
  const QByteArray bytes = PicturesPage->Dc6Bytes();
  if (bytes.isEmpty()) return;
  if (PictureRow() < 0) {
    ui::MessageBox(QStringLiteral("The entry %1 is no longer in the list; the picture was not saved.")
                       .arg(ansi::toDisplay(PicturesPage->ShownName())),
                   QStringLiteral("Save"), ui::mbOk | ui::mbIconExclamation);
    return;
  }
  SaveDialog.Filter = QStringLiteral("DC6 Images (*.dc6)|*.dc6|All Files (*.*)|*.*");
  SaveDialog.Options = kSaveOptions;
  SaveDialog.Title = QStringLiteral("Save DC6 Image");
  SaveDialog.DefaultExt = QStringLiteral("dc6");
  SaveDialog.FileName.clear();
  SaveDialog.InitialDir = InputFolder();
  if (!SaveDialog.Execute()) return;
  const int row = PictureRow();
  if (row < 0) return;
  files::ReplacingFile file(SaveDialog.FileName);
  if (!file.Open() || file.Device().write(bytes) != bytes.size() || !file.Commit())
    throw AppError(QStringLiteral("Cannot write %1").arg(SaveDialog.FileName));
  Rows->SetSourcePath(row, SaveDialog.FileName);
  PicturesPage->SetSaved();
  ShowEditEntry(row);
  CommandsChanged();
}
