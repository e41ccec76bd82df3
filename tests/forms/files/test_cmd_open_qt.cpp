// Open end to end with the real Qt file dialog and message boxes (no scripted
// answers): a timer finds each modal window as it comes up and works it the
// way a user would, typing the path or choosing the file and clicking OK.
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "Fixtures.h"
#include "Workspace.h"
#include "forms/main/untMain.h"
#include "forms/preferences/untPreferences.h"

namespace {

// Works the modal windows that come up, one step per window, in order.
class User : public QObject {
 public:
  using Step = std::function<bool(QWidget*)>;  // true once it has dealt with the window
  explicit User(QList<Step> steps) : steps_(std::move(steps)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      // A window no step can deal with is closed after a while, so the test
      // fails instead of waiting for ever.
      if (modal && clock_.hasExpired(10000)) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        return;
      }
      if (!modal || steps_.isEmpty() || modal == last_) return;
      if (steps_.first()(modal)) {
        steps_.removeFirst();
        last_ = modal;
      }
    });
    timer_.start(20);
    clock_.start();
  }
  bool done() const { return steps_.isEmpty(); }

 private:
  QList<Step> steps_;
  QTimer timer_;
  QElapsedTimer clock_;
  QPointer<QWidget> last_;
};

User::Step TypePath(const QString& path) {
  return [path](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    auto* edit = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    if (!edit) return false;
    edit->setText(path);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    return true;
  };
}

// Types the name into the folder the dialog shows and presses its Open button.
User::Step PressOpen(const QString& path) {
  return [path](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    auto* edit = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    auto* buttons = dialog ? dialog->findChild<QDialogButtonBox*>() : nullptr;
    if (!edit || !buttons) return false;
    dialog->setDirectory(QFileInfo(path).absolutePath());
    edit->setText(QFileInfo(path).fileName());
    QMetaObject::invokeMethod(buttons->button(QDialogButtonBox::Open), &QPushButton::click,
                              Qt::QueuedConnection);
    return true;
  };
}

User::Step ClickOk(QStringList* seen) {
  return [seen](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) return false;
    *seen << box->windowTitle() + ": " + box->text();
    QMetaObject::invokeMethod(box->button(QMessageBox::Ok), &QPushButton::click, Qt::QueuedConnection);
    return true;
  };
}

}  // namespace

class TestCmdOpenQt : public QObject {
  Q_OBJECT
 private slots:
  void openThroughTheRealDialogs() {
    if (!cmd::HaveSmpq()) QSKIP("smpq is not installed");
    QTemporaryDir dir;
    TfrmPreferences::SetIniFileNameForTesting(dir.filePath("QUILL.INI"));
    TfrmMain w;
    auto* preferences = new TfrmPreferences(&w);
    w.SetForms(nullptr, preferences);
    w.show();

    const QString junk = dir.filePath("junk.QLM"), mod = dir.filePath("mod.QLM");
    QVERIFY(fixtures::writeAll(junk, "not an archive"));
    QVERIFY(
        cmd::SmpqCreate(mod, {{"data/a.txt", "aaa"}, {"(modinfo)", EncodeModInfo(cmd::SampleModInfo())}}));

    QStringList boxes;
    {
      User user({TypePath(junk), ClickOk(&boxes), ClickOk(&boxes)});
      w.btnOpen->click();
      QTRY_VERIFY(user.done());
    }
    QCOMPARE(boxes, (QStringList{"Error: Error reading archive listfile.",
                                 "Error: Error reading mod information."}));
    QCOMPARE(w.ModFileName, junk);
    QCOMPARE(w.Rows->Count(), 0);

    {
      User user({PressOpen(mod)});
      w.btnOpen->click();
      QTRY_VERIFY(user.done());
    }
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(w.ModFileName, mod);
    QCOMPARE(w.Rows->Count(), 1);
    QCOMPARE(w.Rows->Row(0).Caption, QByteArray("data\\a.txt"));
    QCOMPARE(w.Rows->Row(0).SizeText, QStringLiteral("3 Bytes"));
    QVERIFY(cmd::SameModInfo(w.ModInfoFromFields(), cmd::SampleModInfo()));
    QVERIFY(!w.btnUpdate->isEnabled());
    TfrmPreferences::SetIniFileNameForTesting({});
  }
};

QTEST_MAIN(TestCmdOpenQt)
#include "test_cmd_open_qt.moc"
