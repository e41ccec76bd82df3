#include "forms/files/PictureTips.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QHelpEvent>
#include <QToolTip>

#include "archive/ArchiveReader.h"
#include "archive/graphics/GamePalette.h"
#include "archive/graphics/Picture.h"
#include "platform/Ansi.h"
#include "platform/FileBytes.h"

namespace {

// A tooltip no larger than this; a larger frame is scaled down to fit.
constexpr int kMaxTipSide = 256;
// Pictures larger than this are not read for a tooltip.
constexpr qsizetype kMaxTipFile = qsizetype(16) << 20;

}  // namespace

PictureTips::PictureTips(QAbstractItemView* view, SourceOf sourceOf)
    : QObject(view), view_(view), sourceOf_(std::move(sourceOf)) {
  pool_.setMaxThreadCount(1);
  view_->viewport()->installEventFilter(this);
}

PictureTips::~PictureTips() {
  pool_.clear();
  pool_.waitForDone();
}

QByteArray PictureTips::KeyOf(const Source& source) {
  return source.name + '\n' + source.pending.toUtf8() + '\n' + source.mod.toUtf8() + '\n' + source.game.toUtf8();
}

QString PictureTips::TipText(const QImage& image, const QByteArray& name) {
  QImage shown = image;
  if (shown.width() > kMaxTipSide || shown.height() > kMaxTipSide)
    shown = shown.scaled(kMaxTipSide, kMaxTipSide, Qt::KeepAspectRatio, Qt::FastTransformation);
  return QStringLiteral("<p>%1</p><img src=\"data:image/png;base64,%2\">")
      .arg(ansi::toDisplay(name).toHtmlEscaped(), QString::fromLatin1(graphics::PngBytes(shown).toBase64()));
}

QImage PictureTips::FirstFrame(const Source& source, QString& fault) {
  QByteArray bytes;
  if (!source.pending.isEmpty()) {
    if (!files::ReadFileBytes(source.pending, bytes)) {
      fault = QStringLiteral("the pending file cannot be read");
      return {};
    }
  } else if (!ReadEntryBytes(source.mod, source.name, bytes)) {
    fault = QStringLiteral("the entry cannot be read");
    return {};
  }
  if (bytes.size() > kMaxTipFile) {
    fault = QStringLiteral("too large for a tooltip");
    return {};
  }
  graphics::IndexFrame frame;
  if (!graphics::Picture::ReadFirstFrame(source.name, bytes, frame, fault)) return {};
  graphics::Palette palette = graphics::GreyPalette();
  QString why;
  if (source.game.isEmpty() || !graphics::ReadGamePalette(source.game, 1, palette, why))
    palette = graphics::GreyPalette();
  if (frame.pixels.isEmpty()) frame = graphics::BlankFrame(1, 1, 0, 0);
  return graphics::FrameImage(frame, palette);
}

void PictureTips::Forget() {
  tips_.clear();
}

bool PictureTips::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip || watched != view_->viewport()) return false;
  auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = view_->indexAt(help->pos());
  const std::optional<Source> source = index.isValid() ? sourceOf_(index.row()) : std::nullopt;
  if (!source) return false;
  const QByteArray key = KeyOf(*source);
  hovered_ = key;
  hoveredAt_ = help->globalPos();
  const auto kept = tips_.constFind(key);
  if (kept != tips_.constEnd()) {
    QToolTip::showText(hoveredAt_, *kept, view_->viewport(), view_->visualRect(index));
    return true;
  }
  if (!pending_.contains(key)) {
    pending_.insert(key);
    const Source copy = *source;
    pool_.start([this, key, copy] {
      QString fault;
      const QImage image = FirstFrame(copy, fault);
      // Handed back to the GUI thread; dropped if this object is gone.
      QMetaObject::invokeMethod(
          this, [this, key, image, fault] { Decoded(key, image, fault); }, Qt::QueuedConnection);
    });
  }
  // Nothing shown until the picture is there.
  QToolTip::hideText();
  return true;
}

void PictureTips::Decoded(const QByteArray& key, const QImage& image, const QString& fault) {
  pending_.remove(key);
  const QByteArray name = key.left(key.indexOf('\n'));
  // A picture that cannot be decoded says why instead.
  tips_.insert(key, image.isNull() ? QStringLiteral("%1 cannot be shown: %2.")
                                         .arg(ansi::toDisplay(name), fault)
                                         .toHtmlEscaped()
                                   : TipText(image, name));
  // Still over the same row: the tooltip shows now.
  if (key == hovered_ && view_->viewport()->underMouse())
    QToolTip::showText(hoveredAt_, tips_.value(key), view_->viewport());
  emit decoded(key);
}
