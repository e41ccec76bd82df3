// Writes a picture of the main window with a few rows, for the documentation:
//   xvfb-run -a ./qf_screenshot docs/main-window.png
#include <QApplication>
#include <QTimer>

#include "forms/ModListModel.h"
#include "forms/untMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");
  TfrmMain frm;
  frm.Rows->AppendMany({
      {"data\\global\\excel\\Armor.txt", SizeText(121345), QString()},
      {"data\\global\\excel\\Weapons.txt", SizeText(310442), QString()},
      {"data\\global\\excel\\Skills.txt", SizeText(2456001), QString()},
      {"data\\global\\ui\\panel\\invchar6.dc6", SizeText(36288), QString()},
  });
  frm.SetCaption(TfrmMain::CaptionWithSize(QStringLiteral("/mods/Example.QLM")));
  frm.CommandsModStarted();
  frm.show();
  frm.SelectRow(0);
  int code = 1;
  QTimer::singleShot(500, [&] {
    code = frm.grab().save(out) ? 0 : 1;
    app.quit();
  });
  app.exec();
  return code;
}
