// DC6 and DCC entries on the Edit page, in a shown window: the frames shown
// as the graphics layer decodes them through the chosen palette and colour
// shift, directions, frames and play, export read back, bad files named; a
// COF's layers composed and played.
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QAction>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include "ArchiveBuilder.h"
#include "Fixtures.h"
#include "ScriptedUi.h"
#include "archive/ArchiveReader.h"
#include "archive/graphics/ColourMap.h"
#include "archive/graphics/Dcc.h"
#include "archive/graphics/FrameImage.h"
#include "archive/graphics/Picture.h"
#include "forms/edit/picture/PicturePage.h"
#include "forms/files/FilesView.h"
#include "forms/files/PictureTips.h"
#include "forms/files/FilteredRows.h"
#include "forms/main/ModListModel.h"
#include "forms/main/untMain.h"
#include "forms/preferences/untPreferences.h"
#include "forms/widgets/FolderEdit.h"

namespace {

const QByteArray kCap = "data\\global\\items\\invcap.DC6";
const QByteArray kBlood = "data\\global\\monsters\\blood\\BloodSmall01.dcc";
const QByteArray kBroken = "data\\global\\items\\broken.dc6";
const QByteArray kMap = "data\\global\\items\\Palette\\invgreybrown.dat";
// A COF whose torso is the fixtures' large DCC and whose legs are damaged.
const QByteArray kCof = "data\\global\\monsters\\S7\\COF\\S7A1HTH.cof";
const QByteArray kTorso = "data\\global\\monsters\\S7\\TR\\S7TRLITA1HTH.dcc";
const QByteArray kLegs = "data\\global\\monsters\\S7\\lg\\s7lglita1hth.dcc";

QString GraphicsDir() {
  return QDir(fixtures::modDir() + "/../graphics").absolutePath();
}

QByteArray Fixture(const QString& below) {
  return fixtures::readAll(GraphicsDir() + "/" + below);
}

graphics::Palette Act1() {
  graphics::Palette palette;
  QString fault;
  if (!graphics::ReadPalette(Fixture("data/global/palette/ACT1/pal.dat"), palette, fault))
    qFatal("%s", qPrintable(fault));
  return palette;
}

}  // namespace

class TestPicturePage : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString mod_;
  std::unique_ptr<ScriptedUi> ui_;
  std::unique_ptr<TfrmPreferences> prefs_;
  std::unique_ptr<TfrmMain> frm_;

  PicturePage& page() const { return *frm_->PicturesPage; }
  template <class W>
  W* child(const char* name) const {
    return page().findChild<W*>(QString::fromLatin1(name));
  }

  void show(const QByteArray& name) {
    for (int r = 0; r < frm_->Rows->Count(); ++r)
      if (frm_->Rows->Row(r).Caption == name) frm_->SelectRow(r);
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    frm_->ListView->setFocus();
    frm_->PageControl->setCurrentWidget(frm_->tbsEdit);
  }

  static graphics::Picture Decoded(const QByteArray& name, const QByteArray& bytes) {
    graphics::Picture picture;
    QString fault;
    if (!picture.Read(name, bytes, fault)) qFatal("%s", qPrintable(fault));
    return picture;
  }

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    if (!QDir(GraphicsDir()).exists()) QSKIP("graphics fixtures not found");
    QVERIFY(dir_.isValid());
    mod_ = dir_.filePath("Pictures.QLM");
    QVERIFY(testarchive::Build(mod_, {{kCap, Fixture("data/global/items/invcap.DC6")},
                                      {kBlood, Fixture("data/global/monsters/blood/BloodSmall01.dcc")},
                                      {kBroken, Fixture("data/global/items/invcap.DC6").left(100)},
                                      {kMap, Fixture("data/global/items/Palette/invgreybrown.dat")},
                                      {kCof, Fixture("data/global/monsters/blood/NEWL1HT.cof")},
                                      {kTorso, Fixture("data/global/monsters/blood/S7TRLITA1HTH.dcc")},
                                      {kLegs, Fixture("data/global/monsters/blood/S7TRLITA1HTH.dcc").left(4000)}}));
    TfrmPreferences::SetIniFileNameForTesting(dir_.filePath("QUILL.INI"));
  }
  void cleanupTestCase() { ReleaseArchiveState(); }

  void init() {
    ui_ = std::make_unique<ScriptedUi>();
    prefs_ = std::make_unique<TfrmPreferences>();
    // The fixtures hold the palette as a game folder holds it extracted.
    prefs_->edtGameFolder->setText(GraphicsDir());
    frm_ = std::make_unique<TfrmMain>();
    frm_->SetForms(nullptr, prefs_.get());
    frm_->ModFileName = mod_;
    for (const QByteArray& name : {kCap, kBlood, kBroken, kMap})
      frm_->Rows->Append({name, SizeText(EntrySize(mod_, name)), QString()});
    frm_->CommandsModStarted();
    frm_->show();
    frm_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frm_.get()));
  }
  void cleanup() {
    if (frm_) frm_->CommandsUpdated();
    frm_.reset();
    prefs_.reset();
    ui_.reset();
  }

  void aDc6ShowsInTheGamePaletteAndEachColourShift() {
    show(kCap);
    QVERIFY(!page().isHidden());
    QVERIFY(frm_->StringGrid->isHidden());
    QVERIFY(!frm_->tbSheetSave->isEnabled());
    QVERIFY(page().Note().isEmpty());
    const graphics::Picture cap = Decoded(kCap, Fixture("data/global/items/invcap.DC6"));
    const graphics::Palette act1 = Act1();
    QCOMPARE(page().FrameShown(), graphics::ToImage(cap.Frame(0, 0), act1));
    // The mod's colour map, table 11: the cap as that transform colour makes it.
    graphics::ColourMap map;
    QString fault;
    QVERIFY(graphics::ReadColourMap(Fixture("data/global/items/Palette/invgreybrown.dat"), map, fault));
    auto* maps = child<QComboBox>("cmbColourMap");
    const int mod = maps->findText(QStringLiteral("%1 (mod)").arg(QString::fromLatin1(kMap)));
    QVERIFY(mod > 0);
    maps->setCurrentIndex(mod);
    emit maps->activated(mod);
    child<QSpinBox>("spnShift")->setValue(11);
    const QImage tinted = graphics::ToImage(graphics::Mapped(cap.Frame(0, 0), map.tables[11].data()), act1);
    QCOMPARE(page().FrameShown(), tinted);
    QVERIFY(page().FrameShown() != graphics::ToImage(cap.Frame(0, 0), act1));
    // Leaving for a sheet-less entry and back to a grid entry puts the grid back.
    show(kMap);
    QVERIFY(page().isHidden());
  }

  void aDccStepsThroughDirectionsAndPlays() {
    show(kBlood);
    const graphics::Picture blood = Decoded(kBlood, Fixture("data/global/monsters/blood/BloodSmall01.dcc"));
    QVERIFY(blood.Frames() > 1);
    auto* direction = child<QSpinBox>("spnDirection");
    auto* frame = child<QSpinBox>("spnFrame");
    QCOMPARE(direction->maximum(), blood.Directions() - 1);
    QCOMPARE(frame->maximum(), blood.Frames() - 1);
    const int d = blood.Directions() - 1;
    direction->setValue(d);
    frame->setValue(1);
    QCOMPARE(page().FrameShown(), graphics::ToImage(blood.Frame(d, 1), Act1()));
    // Play: each tick shows the next frame, the last wrapping to the first.
    auto* play = child<QPushButton>("btnPicturePlay");
    play->click();
    QVERIFY(page().PlayTimer()->isActive());
    QCOMPARE(page().PlayTimer()->interval(), 40);
    QVERIFY(QMetaObject::invokeMethod(page().PlayTimer(), "timeout"));
    QCOMPARE(frame->value(), 2 % blood.Frames());
    frame->setValue(blood.Frames() - 1);
    QVERIFY(QMetaObject::invokeMethod(page().PlayTimer(), "timeout"));
    QCOMPARE(frame->value(), 0);
    QCOMPARE(page().FrameShown(), graphics::ToImage(blood.Frame(d, 0), Act1()));
    play->click();
    QVERIFY(!page().PlayTimer()->isActive());
    QCOMPARE(play->text(), QStringLiteral("Play"));
  }

  void exportWritesFramesAndSheetThatReadBack() {
    show(kBlood);
    const graphics::Picture blood = Decoded(kBlood, Fixture("data/global/monsters/blood/BloodSmall01.dcc"));
    QTemporaryDir out;
    QVERIFY(out.isValid());
    ui_->ConfirmFolder(out.path());
    page().ExportEveryFrame();
    const graphics::Palette act1 = Act1();
    for (int d = 0; d < blood.Directions(); ++d)
      for (int f = 0; f < blood.Frames(); ++f) {
        const QImage read(out.filePath(QStringLiteral("BloodSmall01-d%1-f%2.png").arg(d).arg(f)));
        QVERIFY2(!read.isNull(), qPrintable(QStringLiteral("d%1 f%2").arg(d).arg(f)));
        QCOMPARE(read.convertToFormat(QImage::Format_ARGB32), graphics::ToImage(blood.Aligned(d, f), act1));
      }
    // Indexed: the indices come back as they are, with the palette.
    auto* kind = child<QComboBox>("cmbExportKind");
    kind->setCurrentIndex(1);
    ui_->ConfirmFolder(out.path());
    page().ExportSpriteSheet();
    const QImage sheet(out.filePath("BloodSmall01-sheet.png"));
    QCOMPARE(sheet.format(), QImage::Format_Indexed8);
    QCOMPARE(sheet.color(5), act1.colours[5]);
    QCOMPARE(qAlpha(sheet.color(0)), 0);
    const graphics::IndexFrame first = blood.Frame(0, 0);
    QCOMPARE(sheet.width() % blood.Frames(), 0);
    QCOMPARE(sheet.height() % blood.Directions(), 0);
    // The cell's first frame holds the frame's pixels somewhere: every
    // opaque index of the frame is counted in its cell.
    const int cellWidth = sheet.width() / blood.Frames(), cellHeight = sheet.height() / blood.Directions();
    qsizetype opaqueSheet = 0, opaqueFrame = 0;
    for (int y = 0; y < cellHeight; ++y)
      for (int x = 0; x < cellWidth; ++x) opaqueSheet += sheet.pixelIndex(x, y) != 0;
    for (char c : first.pixels) opaqueFrame += c != 0;
    QCOMPARE(opaqueSheet, opaqueFrame);
    // The shown frame, under the name the dialog gives.
    kind->setCurrentIndex(0);
    ui_->ConfirmFileDialog({out.filePath("one.png")});
    page().ExportShownFrame();
    QCOMPARE(QImage(out.filePath("one.png")).convertToFormat(QImage::Format_ARGB32),
             graphics::ToImage(blood.Aligned(0, 0), act1));
  }

  // Import into a DC6: a frame given back as it was keeps the file's bytes;
  // a changed one is one undo step; Save writes the DC6 as the entry's
  // pending file.
  void importReplacesAFrameUndoesAndSaves() {
    show(kCap);
    const QByteArray original = Fixture("data/global/items/invcap.DC6");
    const graphics::Picture cap = Decoded(kCap, original);
    QTemporaryDir in;
    QVERIFY(in.isValid());
    const graphics::Palette act1 = Act1();
    const QString same = in.filePath("same.png"), flipped = in.filePath("flipped.png");
    QVERIFY(graphics::ToIndexedImage(cap.Frame(0, 0), act1).save(same));
    QImage mirror = graphics::ToImage(cap.Frame(0, 0), act1).mirrored(true, false);
    mirror.setText(graphics::kOffsetXKey, QString());
    mirror.setText(graphics::kOffsetYKey, QString());
    QVERIFY(QImage(mirror.convertToFormat(QImage::Format_ARGB32)).save(flipped));
    ui_->ConfirmFileDialog({same});
    page().ImportShownFrame();
    QCOMPARE(page().Dc6Bytes(), original);
    ui_->ConfirmFileDialog({flipped});
    page().ImportShownFrame();
    QVERIFY(page().Modified());
    QVERIFY(frm_->tbSheetSave->isEnabled());
    const graphics::Picture changed = Decoded(kCap, page().Dc6Bytes());
    QCOMPARE(changed.Frame(0, 0).offsetX, cap.Frame(0, 0).offsetX);
    QCOMPARE(changed.Frame(0, 0).offsetY, cap.Frame(0, 0).offsetY);
    QCOMPARE(graphics::ToImage(changed.Frame(0, 0), act1), graphics::ToImage(cap.Frame(0, 0), act1).mirrored(true, false));
    page().Undo()->undo();
    QCOMPARE(page().Dc6Bytes(), original);
    page().Undo()->redo();
    // Save: the file chosen holds the new DC6 and becomes the pending source.
    const QString saved = in.filePath("saved.dc6");
    ui_->ConfirmFileDialog({saved});
    frm_->actEditSave->trigger();
    QCOMPARE(fixtures::readAll(saved), page().Dc6Bytes());
    QCOMPARE(frm_->Rows->Row(0).SourcePath, saved);
    QVERIFY(!page().Modified());
    // A count that does not match is refused with a message.
    ui_->ConfirmFileDialog({same, same});
    ui_->AnswerMessage(ui::idOk);
    page().ImportEveryFrame();
    QVERIFY(ui_->messages.last().text.startsWith(QStringLiteral("Cannot import: ")));
  }

  // Save writes the entry the page shows, also when the selection moved on
  // while the user kept the picture's changes.
  void saveWritesTheEntryShown() {
    auto rowOf = [&](const QByteArray& name) {
      for (int r = 0; r < frm_->Rows->Count(); ++r)
        if (frm_->Rows->Row(r).Caption == name) return r;
      return -1;
    };
    show(kCap);
    QImage frame(5, 4, QImage::Format_ARGB32);
    frame.fill(Qt::red);
    const QString png = dir_.filePath("red.png");
    QVERIFY(frame.save(png));
    ui_->ConfirmFileDialog({png});
    page().ImportShownFrame();
    QFile::remove(png);
    QVERIFY(page().Modified());
    // To the DCC, the discard declined: the cap stays shown, and is what Save writes.
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    frm_->ListView->setFocus();
    frm_->SelectRow(rowOf(kBlood));
    ui_->AnswerMessage(ui::idNo);
    frm_->PageControl->setCurrentWidget(frm_->tbsEdit);
    QTRY_COMPARE(ui_->messages.size(), 1);
    QCOMPARE(page().ShownName(), kCap);
    const QString saved = dir_.filePath("saved.dc6");
    ui_->ConfirmFileDialog({saved});
    QVERIFY(frm_->tbSheetSave->isEnabled());
    frm_->tbSheetSave->click();
    QCOMPARE(frm_->Rows->Row(rowOf(kCap)).SourcePath, saved);
    QVERIFY(frm_->Rows->Row(rowOf(kBlood)).SourcePath.isEmpty());
    QFile::remove(saved);
  }

  // A picture after an entry no editor shows, and back: each time the Edit
  // tab shows the entry selected (the control the page had focused is
  // hidden by then).
  void theEditTabFollowsEverySelection() {
    for (const QByteArray& name : {kCap, kBlood, kMap, kCap, kMap, kBlood}) {
      show(name);
      if (name == kMap)
        QTRY_VERIFY(page().isHidden() && frm_->lblNoEditor->isVisible());
      else
        QTRY_COMPARE(page().ShownName(), name);
    }
  }

  // A DC6 frame moved against its anchor by the offset boxes: one undo step;
  // undone, the DC6 is its own bytes again. A DCC's offsets are not edited.
  void theOffsetBoxesMoveADc6Frame() {
    show(kCap);
    const QByteArray original = Fixture("data/global/items/invcap.DC6");
    auto* x = child<QSpinBox>("spnOffsetX");
    QVERIFY(x->isEnabled());
    x->setValue(page().Shown().Frame(0, 0).offsetX + 7);
    emit x->editingFinished();
    QCOMPARE(page().Shown().Frame(0, 0).offsetX, Decoded(kCap, original).Frame(0, 0).offsetX + 7);
    QVERIFY(page().Modified());
    graphics::Picture saved = Decoded(kCap, page().Dc6Bytes());
    QCOMPARE(saved.Frame(0, 0).offsetX, page().Shown().Frame(0, 0).offsetX);
    page().Undo()->undo();
    QCOMPARE(page().Dc6Bytes(), original);
    QCOMPARE(x->value(), Decoded(kCap, original).Frame(0, 0).offsetX);
    show(kBlood);
    QVERIFY(!x->isEnabled());
  }

  void aBrokenPictureShowsTheReadersMessage() {
    show(kBroken);
    QVERIFY(!page().isHidden());
    QVERIFY(page().Note().startsWith(QStringLiteral("This picture cannot be shown: ")));
    QVERIFY(page().FrameShown().isNull());
    QVERIFY(!child<QPushButton>("btnPicturePlay")->isEnabled());
  }

  // A palette that cannot be used, or a colour dialog cancelled, leaves the
  // list showing what is still in use.
  void aRefusedChoiceLeavesTheListsOnWhatIsInUse() {
    show(kCap);
    auto* palettes = child<QComboBox>("cmbPalette");
    const QString inUse = palettes->currentText();
    QVERIFY(!inUse.isEmpty());
    const QImage before = page().FrameShown();
    const QString bad = dir_.filePath("short.dat");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a palette") > 0);
    file.close();
    ui_->ConfirmFileDialog({bad});
    ui_->AnswerMessage(ui::idOk);
    const int pick = palettes->count() - 1;
    palettes->setCurrentIndex(pick);
    emit palettes->activated(pick);
    QCOMPARE(ui_->messages.size(), 1);
    QVERIFY(ui_->messages[0].text.startsWith(QStringLiteral("Cannot use the palette ")));
    QCOMPARE(palettes->currentText(), inUse);
    QCOMPARE(page().FrameShown(), before);
    QFile::remove(bad);

    auto* backgrounds = child<QComboBox>("cmbBackground");
    auto corner = [&] { return child<QLabel>("lblPictureView")->pixmap().toImage().pixelColor(0, 0); };
    const QColor chosen(0x12, 0x34, 0x56);
    ui_->ConfirmColour(chosen);
    backgrounds->setCurrentIndex(2);
    emit backgrounds->activated(2);
    QCOMPARE(corner(), chosen);
    backgrounds->setCurrentIndex(1);
    emit backgrounds->activated(1);
    ui_->CancelColour();
    backgrounds->setCurrentIndex(2);
    emit backgrounds->activated(2);
    QCOMPARE(backgrounds->currentIndex(), 1);
    QCOMPARE(corner(), QColor(Qt::black));
    QCOMPARE(ui_->colourCaptions, QStringList({QStringLiteral("Background Colour"), QStringLiteral("Background Colour")}));
  }

  void withNoPaletteTheFrameIsGreyAndTheNoteSaysWhereToSetOne() {
    prefs_->edtGameFolder->setText(QString());
    show(kCap);
    QVERIFY(page().Note().contains(QStringLiteral("Game folder")));
    const graphics::Picture cap = Decoded(kCap, Fixture("data/global/items/invcap.DC6"));
    QCOMPARE(page().FrameShown(), graphics::ToImage(cap.Frame(0, 0), graphics::GreyPalette()));
  }

  // Hovering a row: decoded in the background, kept, then shown as the
  // first frame; a file that cannot be decoded says why.
  void hoveringARowShowsItsFirstFrame() {
    frm_->PageControl->setCurrentWidget(frm_->tbsFiles);
    auto tipOf = [&](const QByteArray& name) {
      int viewRow = -1;
      for (int r = 0; r < frm_->ListView->model()->rowCount(); ++r)
        if (frm_->Rows->Row(frm_->Shown->SourceRow(r)).Caption == name) viewRow = r;
      const QRect rect = frm_->ListView->visualRect(frm_->ListView->model()->index(viewRow, 0));
      QWidget* viewport = frm_->ListView->viewport();
      auto hover = [&] {
        QHelpEvent help(QEvent::ToolTip, rect.center(), viewport->mapToGlobal(rect.center()));
        QCoreApplication::sendEvent(viewport, &help);
      };
      QSignalSpy decoded(frm_->FileTips, &PictureTips::decoded);
      hover();
      if (!decoded.wait(10000)) return QString();
      QToolTip::hideText();
      hover();
      return QToolTip::text();
    };
    const QString tip = tipOf(kCap);
    const QString marker = QStringLiteral("base64,");
    QVERIFY(tip.contains(marker));
    const QByteArray png = QByteArray::fromBase64(tip.mid(tip.indexOf(marker) + marker.size()).section('"', 0, 0).toLatin1());
    const graphics::Picture cap = Decoded(kCap, Fixture("data/global/items/invcap.DC6"));
    QCOMPARE(QImage::fromData(png).convertToFormat(QImage::Format_ARGB32), graphics::ToImage(cap.Frame(0, 0), Act1()));
    QVERIFY(tipOf(kBroken).contains(QStringLiteral("cannot be shown")));
  }

  // The COF's layers listed, its torso drawn on the box the DCC gives it,
  // the damaged legs and the layers with no DCC named, played at its rate.
  void aCofShowsItsLayersComposedAndPlays() {
    for (const QByteArray& name : {kCof, kTorso, kLegs})
      frm_->Rows->Append({name, SizeText(EntrySize(mod_, name)), QString()});
    show(kCof);
    QVERIFY(!page().isHidden());
    const QWidget* panel = child<QWidget>("CofPanel");
    QVERIFY(panel && panel->isVisible());
    QCOMPARE(child<QLabel>("lblCofInfo")->text(),
             QStringLiteral("16 directions, 8 frames a direction, animation rate 256 (25 frames a second)"));
    auto* layers = child<QTableWidget>("tblCofLayers");
    QCOMPARE(layers->rowCount(), 9);
    QCOMPARE(layers->item(1, 0)->text(), QStringLiteral("TR"));
    QCOMPARE(layers->item(1, 6)->text(), QString::fromLatin1(kTorso));
    auto* type = child<QComboBox>("cmbLayerType1");
    QVERIFY(type && type->currentText() == QStringLiteral("LIT") && !type->accessibleName().isEmpty());
    QVERIFY(layers->item(0, 6)->text().endsWith(QStringLiteral(", left out")));
    QCOMPARE(layers->item(6, 6)->text(), QStringLiteral("missing"));
    const QString notes = child<QLabel>("lblCofNotes")->text();
    QVERIFY2(notes.contains(QStringLiteral("HD: missing")) && notes.contains(QStringLiteral("LG: ")) &&
                 notes.contains(QStringLiteral("the DCC has 8 directions, the COF 16")),
             qPrintable(notes));

    graphics::Dcc torso;
    QString fault;
    QVERIFY(graphics::ReadDcc(Fixture("data/global/monsters/blood/S7TRLITA1HTH.dcc"), torso, fault));
    QCOMPARE(page().FrameShown(), graphics::ToImage(torso.directions[0].OnBox(0), Act1()));
    child<QSpinBox>("spnDirection")->setValue(11);
    QCOMPARE(page().FrameShown(), graphics::ToImage(torso.directions[3].OnBox(0), Act1()));
    QTest::mouseClick(child<QPushButton>("btnPicturePlay"), Qt::LeftButton);
    QVERIFY(page().PlayTimer()->isActive());
    QCOMPARE(page().PlayTimer()->interval(), 40);
    QTRY_COMPARE(child<QSpinBox>("spnFrame")->value(), 2);
    QCOMPARE(page().FrameShown(), graphics::ToImage(torso.directions[3].OnBox(2), Act1()));
    for (QWidget* w : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
      QVERIFY2(!w->objectName().isEmpty() && !w->accessibleName().isEmpty(), w->metaObject()->className());
    // A picture shown next hides the COF's panel.
    show(kCap);
    QVERIFY(!panel->isVisible());
  }

  void everyControlIsNamed() {
    show(kCap);
    for (QWidget* w : page().findChildren<QWidget*>()) {
      if (qobject_cast<QLabel*>(w) && !w->objectName().startsWith("lbl")) continue;
      if (!w->isVisibleTo(&page()) || w->parentWidget() != &page()) continue;
      QVERIFY2(!w->objectName().isEmpty() && !w->accessibleName().isEmpty(), w->metaObject()->className());
    }
  }
};

QTEST_MAIN(TestPicturePage)
#include "test_picturepage.moc"
