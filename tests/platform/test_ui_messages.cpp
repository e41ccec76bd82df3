#include <QPushButton>
#include <QtTest>

#include "ModalDriver.h"
#include "ScriptedUi.h"
#include "platform/AppError.h"
#include "platform/Ui.h"
#include "platform/UiQt.h"

namespace {

// Clicks the given button of the next message box once it is up, and records
// what the box showed.
struct BoxClicker {
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  void clickWhenShown(QMessageBox::StandardButton which) {
    modal::WhenShown<QMessageBox>([this, which](QMessageBox* box) {
      text = box->text();
      title = box->windowTitle();
      icon = box->icon();
      buttons = box->standardButtons();
      box->button(which)->click();
    });
  }
};

}  // namespace

class TestUiMessages : public QObject {
  Q_OBJECT
 private slots:
  void errorBoxFullStopRule_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("letter") << "Cannot create file /tmp/x"
                            << "Cannot create file /tmp/x.";
    QTest::newRow("closing parenthesis") << "List index out of bounds (0)"
                                         << "List index out of bounds (0)";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("comma sorts before") << "a,"
                                        << "a,";
    QTest::newRow("slash sorts after") << "dir/"
                                       << "dir/.";
    QTest::newRow("digit") << "error 7"
                           << "error 7.";
    QTest::newRow("blank") << "ends with a blank "
                           << "ends with a blank ";
    QTest::newRow("high byte") << QString::fromUtf8("caf\u00e9") << QString::fromUtf8("caf\u00e9.");
    QTest::newRow("not in code page") << QString::fromUtf8("\u4e2d") << QString::fromUtf8("\u4e2d.");
  }
  void errorBoxFullStopRule() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ui::ErrorBoxText(message), shown);
  }

  void errorBoxIsTitledWithTheApplicationTitle() {
    ScriptedUi script;
    ui::SetApplicationTitle(QStringLiteral("Quillforge (a.QLM)"));
    script.AnswerMessage(ui::idOk);
    ui::ShowAppError(QStringLiteral("Unable to write to /x/QUILL.INI"));
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages[0].text, QStringLiteral("Unable to write to /x/QUILL.INI."));
    QCOMPARE(script.messages[0].title, QStringLiteral("Quillforge (a.QLM)"));
    QCOMPARE(script.messages[0].flags, 16);
  }

  void runCommandShowsUnhandledErrorsAndStops() {
    ScriptedUi script;
    script.AnswerMessage(ui::idOk);
    script.AnswerMessage(ui::idOk);
    bool after = false;
    QVERIFY(!ui::RunCommand([&] {
      throw AppError(QStringLiteral("Cannot open file x"));
      after = true;
    }));
    QVERIFY(!after);
    QVERIFY(!ui::RunCommand([] { throw std::runtime_error("boom"); }));
    QVERIFY(ui::RunCommand([] {}));
    QCOMPARE(script.messages.size(), 2);
    QCOMPARE(script.messages[0].text, QStringLiteral("Cannot open file x."));
    QCOMPARE(script.messages[1].text, QStringLiteral("boom."));
  }

  void boxFlagsMapOntoButtonsAndIcons_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("defaultButton");
    QTest::newRow("16 error") << 16 << int(QMessageBox::Ok) << int(QMessageBox::Critical)
                              << int(QMessageBox::Ok);
    QTest::newRow("36 question") << 36 << int(QMessageBox::Yes | QMessageBox::No)
                                 << int(QMessageBox::Question) << int(QMessageBox::Yes);
    QTest::newRow("48 exclamation") << 48 << int(QMessageBox::Ok) << int(QMessageBox::Warning)
                                    << int(QMessageBox::Ok);
    QTest::newRow("yes/no/cancel, second default")
        << (ui::mbYesNoCancel | ui::mbDefButton2)
        << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) << int(QMessageBox::NoIcon)
        << int(QMessageBox::No);
  }
  void boxFlagsMapOntoButtonsAndIcons() {
    QFETCH(int, flags);
    QFETCH(int, buttons);
    QFETCH(int, icon);
    QFETCH(int, defaultButton);
    QMessageBox box;
    ui::ConfigureMessageBox(box, QStringLiteral("<b>not bold</b>"), QStringLiteral("T"), flags);
    QCOMPARE(int(box.standardButtons()), buttons);
    QCOMPARE(int(box.icon()), icon);
    QCOMPARE(int(box.standardButton(box.defaultButton())), defaultButton);
    QCOMPARE(box.textFormat(), Qt::PlainText);
    QCOMPARE(box.windowTitle(), QStringLiteral("T"));
  }

  void realQuestionBoxReturnsYesOrNo() {
    for (auto [button, expected] : {std::pair{QMessageBox::Yes, 6}, std::pair{QMessageBox::No, 7}}) {
      BoxClicker clicker;
      clicker.clickWhenShown(button);
      QCOMPARE(ui::MessageBox(QStringLiteral("Save changes to a.QLM"), QStringLiteral("Save Changes"), 36),
               expected);
      QCOMPARE(clicker.text, QStringLiteral("Save changes to a.QLM"));
      QCOMPARE(clicker.title, QStringLiteral("Save Changes"));
      QCOMPARE(clicker.icon, QMessageBox::Question);
      QCOMPARE(clicker.buttons, QMessageBox::Yes | QMessageBox::No);
    }
  }

  void realErrorBoxReturnsOk() {
    BoxClicker clicker;
    clicker.clickWhenShown(QMessageBox::Ok);
    ui::SetApplicationTitle(QStringLiteral("Hearthwarden"));
    ui::ShowAppError(QStringLiteral("Cannot create file /nowhere/x"));
    QCOMPARE(clicker.text, QStringLiteral("Cannot create file /nowhere/x."));
    QCOMPARE(clicker.title, QStringLiteral("Hearthwarden"));
    QCOMPARE(clicker.icon, QMessageBox::Critical);
  }

  void unansweredBoxIsRecordedNotWaitedFor() {
    ScriptedUi script;
    script.SetFailOnUnanswered(false);
    QCOMPARE(ui::MessageBox(QStringLiteral("q"), QStringLiteral("t"), 36), ui::idNo);
    QCOMPARE(script.errors.size(), 1);
    QVERIFY(script.errors[0].contains(QStringLiteral("\"t\": \"q\"")));
  }
};

QTEST_MAIN(TestUiMessages)
#include "test_ui_messages.moc"
