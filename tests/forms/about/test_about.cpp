#include <QtTest>

#include "forms/about/AboutPicture.h"
#include "forms/about/AboutScroll.h"
#include "forms/about/untAbout.h"

namespace {

bool rowHasWhite(const QImage& frame, int y) {
  for (int x = 0; x < frame.width(); ++x)
    if (qGray(frame.pixel(x, y)) > 128) return true;
  return false;
}

bool allBlack(const QImage& frame) {
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x)
      if (frame.pixel(x, y) != qRgb(0, 0, 0)) return false;
  return true;
}

}  // namespace

class TestAbout : public QObject {
  Q_OBJECT
 private slots:
  void builtAsABlackToolWindow() {
    TfrmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About...."));
    QCOMPARE(about.size(), QSize(377, 152));
    QVERIFY(about.windowFlags().testFlag(Qt::Tool));
    QCOMPARE(about.Scroll->objectName(), QStringLiteral("Scroll"));
    QCOMPARE(about.Scroll->palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(about.Scroll->Timer().interval(), 70);
    QCOMPARE(about.Scroll->Timer().thread(), QThread::currentThread());
  }

  void pictureHasItsSizeColoursAndTransparentCorner() {
    const QImage drawn = about::PictureImage();
    QCOMPARE(drawn.size(), QSize(115, 142));
    QCOMPARE(drawn.format(), QImage::Format_Indexed8);
    QVERIFY(drawn.colorCount() <= 256);
    const QImage shown = about::Picture().toImage();
    QCOMPARE(qAlpha(shown.pixel(0, 141)), 0);
    QCOMPARE(qAlpha(shown.pixel(57, 70)), 255);  // the parchment
  }

  void showingStartsFromTheBottomEveryTime() {
    TfrmAbout about;
    about.show();
    AboutScroll* s = about.Scroll;
    QVERIFY(s->IsScrolling());
    QCOMPARE(s->Offset(), 0);
    QCOMPARE(s->Frame().size(), s->TextArea().size());
    QVERIFY(allBlack(s->Frame()));  // the first line waits just below the edge
    for (int i = 0; i < 40; ++i) s->Step();
    QCOMPARE(s->Offset(), 40);
    QVERIFY(!allBlack(s->Frame()));

    about.hide();
    QVERIFY(!s->IsScrolling());
    QVERIFY(s->Frame().isNull());
    about.show();
    QCOMPARE(s->Offset(), 0);
    QVERIFY(allBlack(s->Frame()));
  }

  void scrollingCyclesAfterTheLastLineLeaves() {
    TfrmAbout about;
    about.show();
    AboutScroll* s = about.Scroll;
    const int cycle = s->CycleLength();
    QCOMPARE(cycle, s->TextArea().height() + 24 * s->LineHeight());
    for (int i = 0; i < cycle; ++i) s->Step();
    QCOMPARE(s->Offset(), cycle);
    QVERIFY(allBlack(s->Frame()));  // all lines have left at the top
    s->Step();
    QCOMPARE(s->Offset(), 0);
    s->Step();
    QCOMPARE(s->Offset(), 1);
  }

  void blankLinesScrollAsFullRows() {
    TfrmAbout about;
    about.show();
    AboutScroll* s = about.Scroll;
    const int h = s->LineHeight();
    // Bring line 8 (blank) to the top of the area: lines 8, 9, ... follow it.
    const int offset = s->TextArea().height() + 7 * h;
    while (s->Offset() < offset) s->Step();
    const QImage& f = s->Frame();
    for (int y = 0; y < h; ++y) QVERIFY2(!rowHasWhite(f, y), "line 8 is blank");
    bool line9 = false;
    for (int y = h; y < 2 * h; ++y) line9 |= rowHasWhite(f, y);
    QVERIFY(line9);
  }

  void theTimerDrivesTheSteps() {
    TfrmAbout about;
    about.show();
    QTRY_VERIFY_WITH_TIMEOUT(about.Scroll->Offset() >= 2, 2000);
    about.hide();
    const int stopped = about.Scroll->Offset();
    QTest::qWait(200);
    QCOMPARE(about.Scroll->Offset(), stopped);
  }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
