// The Files list's filter only hides rows: what is shown follows the typed
// text (letter case ignored), sorting and Add; Remove and Export take the
// visible selection; Update still writes and deletes every row; Open clears it.
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "forms/files/FilteredRows.h"

using cmd::Workspace;

namespace {

// A new mod with a row per name, each with a source file holding its name.
void Fill(Workspace& ws, const QList<QByteArray>& names) {
  ws.New(ws.path("out/f.QLM"));
  QList<ModEntry> rows;
  for (const QByteArray& name : names) {
    const QString file = QDir(ws.inputDir()).filePath(QString::number(rows.size()));
    fixtures::writeAll(file, name);
    rows << ModEntry{name, SizeText(int(name.size())), file};
  }
  ws.w->Rows->AppendMany(rows);
}

QList<QByteArray> Shown(const Workspace& ws) {
  QList<QByteArray> shown;
  for (int row = 0; row < ws.w->Shown->rowCount(); ++row)
    shown << ws.w->Rows->Row(ws.w->Shown->SourceRow(row)).Caption;
  return shown;
}

}  // namespace

class TestCmdFilter : public QObject {
  Q_OBJECT
 private slots:
  void typingShowsTheMatchingRows() {
    Workspace ws;
    const QByteArray arena = "data\\global\\excel\\Arena.txt", skills = "DATA\\GLOBAL\\EXCEL\\skills.txt";
    Fill(ws, {arena, "data\\local\\USE", skills, "sound.wav"});
    ws.w->show();
    QVERIFY(QTest::qWaitForWindowActive(ws.w));
    ws.w->ListView->setFocus();
    QTest::keyClick(ws.w->ListView, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), ws.w->edtFilter);
    QTest::keyClicks(ws.w->edtFilter, "Excel\\");
    QCOMPARE(Shown(ws), (QList<QByteArray>{arena, skills}));
    QCOMPARE(ws.w->lblFileCount->text(), QStringLiteral("2 of 4 files"));
    // Tab goes from the filter down into the list and selects its current (first) row, so Enter
    // acts on the row the focus shows; coming back, the row left selected stays, not the first.
    QTest::keyClick(ws.w->edtFilter, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ws.w->ListView);
    QCOMPARE(ws.w->Rows->Row(ws.w->SelectedRow()).Caption, arena);
    QTest::keyClick(ws.w->ListView, Qt::Key_Down);
    QTest::keyClick(ws.w->ListView, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), ws.w->edtFilter);
    QTest::keyClick(ws.w->edtFilter, Qt::Key_Tab);
    QCOMPARE(ws.w->Rows->Row(ws.w->SelectedRow()).Caption, skills);
    ws.w->edtFilter->setFocus();

    ws.w->Rows->sort(ModListModel::NameColumn, Qt::DescendingOrder);
    QCOMPARE(Shown(ws), (QList<QByteArray>{skills, arena}));
    ws.Add({QDir(ws.inputDir()).filePath("0")}, {QByteArray("data\\global\\excel\\cubemain.txt")});
    ws.Add({QDir(ws.inputDir()).filePath("0")}, {QByteArray("other.txt")});
    QCOMPARE(Shown(ws), (QList<QByteArray>{skills, "data\\global\\excel\\cubemain.txt", arena}));
    QCOMPARE(ws.w->lblFileCount->text(), QStringLiteral("3 of 6 files"));

    QTest::keyClick(ws.w->edtFilter, Qt::Key_Escape);
    QVERIFY(ws.w->edtFilter->text().isEmpty());
    QCOMPARE(ws.w->Shown->rowCount(), 6);
    QCOMPARE(ws.w->lblFileCount->text(), QStringLiteral("6 of 6 files"));
  }

  void commandsTakeTheVisibleRowsOnly() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
    Workspace ws;
    Fill(ws, {"a1", "b1", "a2", "b2"});
    ws.w->ArchiveNames = {"a1", "b1", "a2", "b2"};  // as if the archive listed them
    ws.w->SelectRow(1);
    ws.w->edtFilter->setText("A");  // hides the selected b1: no selection is left
    QCOMPARE(ws.w->SelectedRow(), -1);
    ws.w->btnExport->click();  // nothing selected: no dialog
    ws.w->btnRemove->click();  // removes nothing
    QCOMPARE(ws.w->Rows->Count(), 4);

    ws.w->SelectRow(2);  // a2, the second row shown
    const QString exported = ws.path("a2.out");
    ws.ui.ConfirmFileDialog({exported});
    ws.w->btnExport->click();
    QCOMPARE(fixtures::readAll(exported), QByteArray("a2"));
    ws.w->SelectRow(2);
    ws.w->btnRemove->click();
    QCOMPARE(ws.Captions(), (QList<QByteArray>{"a1", "b1", "b2"}));
    QCOMPARE(ws.w->RemovedNames, QList<QByteArray>{"a2"});

    ws.w->SelectRow(0);
    ws.w->edtFilter->setText("a1");  // a1 stays shown, and selected
    QCOMPARE(ws.w->SelectedRow(), 0);
    const QString out = ws.path("all");
    ws.ExportAll(out);  // only what is shown
    QCOMPARE(cmd::ReadTree(out).keys(), QStringList{"a1"});

    cmd::ArchwritCalls calls;
    ws.Update();
    const QStringList lines = calls.Take();
    for (const char* name : {"add a1|", "add b1|", "add b2|", "delete a2|"})
      QVERIFY2(lines.filter(QString::fromLatin1(name)).size() == 1, name);
    ws.Open(ws.w->ModFileName);
    QVERIFY(ws.w->edtFilter->text().isEmpty());
    QCOMPARE(ws.w->Shown->rowCount(), 3);
  }
};

QTEST_MAIN(TestCmdFilter)
#include "test_cmd_filter.moc"
