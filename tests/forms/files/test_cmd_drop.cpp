// Files dropped from a file manager onto the Files list run Add's steps for
// them (a prompt per file, the replace question, Update on), always as a
// copy; dropped folders run Add Folder's steps; refused while Add is not
// available, and anything but local files and folders is left out with a
// message.
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include "Fixtures.h"
#include "HandlerLog.h"
#include "Workspace.h"
#include "forms/files/FilesView.h"

using cmd::Workspace;

namespace {

QMimeData* UrlData(const QList<QUrl>& urls) {
  auto* data = new QMimeData;
  data->setUrls(urls);
  return data;
}

QList<QUrl> LocalUrls(const QStringList& paths) {
  QList<QUrl> urls;
  for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
  return urls;
}

struct DropResult {
  bool enterAccepted = false;
  bool moveAccepted = false;
  bool dropAccepted = false;
  Qt::DropAction action = Qt::IgnoreAction;
};

// A drag over the list's viewport and the drop, as the file manager's drag
// brings them; the drop's work runs once the events are handled.
DropResult DragAndDrop(TfrmMain& w, const QList<QUrl>& urls,
                       Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
  std::unique_ptr<QMimeData> data(UrlData(urls));
  QWidget* target = w.ListView->viewport();
  const QPoint at(10, 10);
  DropResult r;
  QDragEnterEvent enter(at, offered, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  r.enterAccepted = enter.isAccepted();
  QDragMoveEvent move(at, offered, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  r.moveAccepted = move.isAccepted();
  QDropEvent drop(QPointF(at), offered, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  r.dropAccepted = drop.isAccepted();
  r.action = drop.dropAction();
  QCoreApplication::processEvents();
  return r;
}

QString MakeFile(Workspace& ws, const QString& name, const QByteArray& bytes) {
  const QString file = QDir(ws.inputDir()).filePath(name);
  fixtures::writeAll(file, bytes);
  return file;
}

}  // namespace

class TestCmdDrop : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
  }

  void droppedFilesRunAddsSteps() {
    QF_REQUIRE_FIXTURES();
    Workspace ws;
    ws.New(ws.path("out/drop.QLM"));
    const QStringList sheets = fixtures::allFiles().filter(QStringLiteral(".txt")).mid(0, 2);
    QCOMPARE(sheets.size(), 2);
    HandlerLog log(*ws.w);
    ws.ui.ConfirmPrompt(QByteArray("data\\global\\excel\\first.txt"));
    ws.ui.ConfirmPrompt();  // the proposal: the first answer's folder and this file's name
    const DropResult r = DragAndDrop(*ws.w, LocalUrls(sheets));
    QVERIFY(r.enterAccepted && r.moveAccepted && r.dropAccepted);
    QCOMPARE(r.action, Qt::CopyAction);  // offered a move, it stays a copy

    QCOMPARE(log.names, QStringList{"AddFiles"});
    QVERIFY(ws.ui.fileDialogs.size() == 1);  // only New's: the drop shows no dialog
    QCOMPARE(ws.ui.prompts.size(), 2);
    QCOMPARE(ws.ui.prompts[0].caption, QStringLiteral("Internal Name"));
    QCOMPARE(ws.ui.prompts[0].preset, QFileInfo(sheets[0]).fileName().toLatin1());
    const QByteArray second = "data\\global\\excel\\" + QFileInfo(sheets[1]).fileName().toLatin1();
    QCOMPARE(ws.ui.prompts[1].preset, second);
    QCOMPARE(ws.Captions(), (QList<QByteArray>{"data\\global\\excel\\first.txt", second}));
    QCOMPARE(ws.w->Rows->Row(0).SourcePath, sheets[0]);
    QCOMPARE(ws.SizeTexts()[1], QStringLiteral("%1 Bytes").arg(QFileInfo(sheets[1]).size()));
    QCOMPARE(ws.UpdateState(), QStringLiteral("on"));
    QVERIFY(QFileInfo::exists(sheets[0]) && QFileInfo::exists(sheets[1]));  // nothing moved
  }

  void dropOnAnExistingNameAsksToReplace() {
    Workspace ws;
    ws.New(ws.path("out/replace.QLM"));
    const QString a = MakeFile(ws, "a.txt", "a"), b = QDir(ws.path("out")).filePath("a.txt");
    QVERIFY(fixtures::writeAll(b, "bb"));
    ws.Add({a}, {std::nullopt});
    ws.ui.ConfirmPrompt();
    ws.ui.AnswerMessage(ui::idYes);
    DragAndDrop(*ws.w, LocalUrls({b}));
    QCOMPARE(ws.ui.messages.last().text, QStringLiteral("That file already exists, replace it?"));
    QCOMPARE(ws.w->Rows->Count(), 1);
    QCOMPARE(ws.w->Rows->Row(0).SourcePath, b);
  }

  void refusedWhileAddIsNotAvailable() {
    Workspace ws;  // no mod open
    const QString a = MakeFile(ws, "a.txt", "a");
    HandlerLog log(*ws.w);
    const DropResult r = DragAndDrop(*ws.w, LocalUrls({a}));
    QVERIFY(!r.enterAccepted && !r.moveAccepted && !r.dropAccepted);
    QVERIFY(log.names.isEmpty());
    QVERIFY(ws.ui.prompts.isEmpty());
    QCOMPARE(ws.w->Rows->Count(), 0);
    QCOMPARE(ws.UpdateState(), QStringLiteral("off"));
  }

  void refusedForFilesElsewhere() {
    Workspace ws;
    ws.New(ws.path("out/remote.QLM"));
    HandlerLog log(*ws.w);
    const DropResult r = DragAndDrop(*ws.w, {QUrl(QStringLiteral("https://example.org/a.txt"))});
    QVERIFY(!r.enterAccepted && !r.dropAccepted);
    // Text that is no list of files is no drop for the list either.
    std::unique_ptr<QMimeData> text(new QMimeData);
    text->setText(QStringLiteral("/etc/passwd"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, text.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ws.w->ListView->viewport(), &enter);
    QVERIFY(!enter.isAccepted());
    QCoreApplication::processEvents();
    QVERIFY(log.names.isEmpty());
    QCOMPARE(ws.w->Rows->Count(), 0);
  }

  void droppedFoldersRunAddFolderAfterTheFiles() {
    Workspace ws;
    ws.New(ws.path("out/folders.QLM"));
    const QString a = MakeFile(ws, "a.txt", "a");
    const QString folder = ws.path("in/sub"), empty = ws.path("in/empty");
    QVERIFY(QDir().mkpath(folder + "/deep") && QDir().mkpath(empty));
    QVERIFY(fixtures::writeAll(folder + "/deep/b.txt", "b"));
    ws.ui.AnswerMessage(ui::idOk);
    ws.ui.ConfirmPrompt();                     // a.txt
    ws.ui.ConfirmPrompt(QByteArray("mod\\"));  // the folder sub
    ws.ui.ConfirmPrompt();                     // the empty folder: nothing in it
    const QList<QUrl> urls = LocalUrls({folder, a, empty})
                             << QUrl(QStringLiteral("https://example.org/b.txt"));
    const DropResult r = DragAndDrop(*ws.w, urls);
    QVERIFY(r.dropAccepted);
    QCOMPARE(ws.ui.order, (QStringList{"file", "message", "prompt", "prompt", "prompt"}));
    const auto& m = ws.ui.messages.last();
    QCOMPARE(m.text, QStringLiteral("Only files on this computer can be added to the mod. Not added:\n"
                                    "https://example.org/b.txt"));
    QCOMPARE(ws.ui.prompts[1].caption, QStringLiteral("Internal Folder"));
    QCOMPARE(ws.ui.prompts[1].preset, QByteArray("sub\\"));
    QCOMPARE(ws.ui.prompts[2].preset, QByteArray("mod\\empty\\"));
    QVERIFY(ws.ui.folders.isEmpty());  // a drop shows no folder dialog
    QCOMPARE(ws.Captions(), (QList<QByteArray>{"a.txt", "mod\\deep\\b.txt"}));
  }
};

QTEST_MAIN(TestCmdDrop)
#include "test_cmd_drop.moc"
