#pragma once
// The Files list's tooltips for DC6 and DCC entries: the first frame, read
// and decoded on a worker thread and kept, so hovering never stalls the
// list. Only the GUI thread touches widgets: the worker hands back an image,
// and the tooltip is shown from here.
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QSet>
#include <QThreadPool>
#include <functional>
#include <optional>

class QAbstractItemView;

class PictureTips : public QObject {
  Q_OBJECT

 public:
  // What a row's tooltip is made from; nullopt for a row that is no picture.
  struct Source {
    QByteArray name;    // the internal name
    QString pending;    // the pending file, when there is one
    QString mod;        // else the mod it is read from
    QString game;       // the game folder, for the ACT1 palette (empty: grey)
  };
  using SourceOf = std::function<std::optional<Source>(int viewRow)>;

  PictureTips(QAbstractItemView* view, SourceOf sourceOf);
  ~PictureTips() override;

  // The tooltip's text for an image: the picture itself, as HTML.
  static QString TipText(const QImage& image, const QByteArray& name);
  // The first frame as the tooltip shows it; a null image with fault set
  // when the entry cannot be read or decoded.
  static QImage FirstFrame(const Source& source, QString& fault);

  // Forgets every kept picture (a mod opened, entries changed).
  void Forget();

 signals:
  // A picture was decoded and kept (or failed, with an empty image).
  void decoded(const QByteArray& key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static QByteArray KeyOf(const Source& source);
  void Decoded(const QByteArray& key, const QImage& image, const QString& fault);

  QAbstractItemView* view_;
  SourceOf sourceOf_;
  QHash<QByteArray, QString> tips_;  // key -> tooltip text
  QSet<QByteArray> pending_;
  QByteArray hovered_;  // the key of the row the last tooltip was asked for
  QPoint hoveredAt_;
  QThreadPool pool_;    // last: waited for before the rest goes
};
