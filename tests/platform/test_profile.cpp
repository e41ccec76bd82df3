#include <QtTest>

#include "Fixtures.h"
#include "platform/Profile.h"

class TestProfile : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString path(const QString& name = QStringLiteral("QUILL.INI")) const { return dir_.filePath(name); }

 private slots:
  void init() { QFile::remove(path()); }

  void missingFileSectionOrKeyGivesDefault() {
    const Profile none(path(QStringLiteral("absent.ini")));
    QCOMPARE(none.ReadString("Files", "Input", "dflt"), QByteArray("dflt"));
    QVERIFY(fixtures::writeAll(path(), "[Other]\r\nInput=x\r\n[Files]\r\nOutput=y\r\n"));
    const Profile ini(path());
    QCOMPARE(ini.ReadString("Missing", "Input", "d1"), QByteArray("d1"));
    // "Input" exists only in another section.
    QCOMPARE(ini.ReadString("Files", "Input", "d2"), QByteArray("d2"));
    QCOMPARE(ini.ReadString("Files", "Output", "d3"), QByteArray("y"));
  }

  void lookupIgnoresCaseAndBlanksAndTakesFirstMatch() {
    QVERIFY(fixtures::writeAll(path(),
                               "; comment=not a key\n  [ files ]  \nINPUT =  C:\\Mods  \ninput=second\n"
                               "Quoted=\" padded \"\n[FILES]\nOutput=later section\n"));
    const Profile ini(path());
    QCOMPARE(ini.ReadString("Files", "input", ""), QByteArray("C:\\Mods"));
    QCOMPARE(ini.ReadString("FILES", "quoted", ""), QByteArray(" padded "));
    // A second section of the same name is not consulted.
    QCOMPARE(ini.ReadString("Files", "Output", "none"), QByteArray("none"));
    QCOMPARE(ini.ReadString("; comment", "x", "none"), QByteArray("none"));
  }

  void writingCreatesTheFile() {
    const Profile ini(path());
    QVERIFY(ini.WriteString("Files", "Input", ""));
    QVERIFY(ini.WriteString("Files", "Output", "/srv/mods"));
    QCOMPARE(fixtures::readAll(path()), QByteArray("[Files]\r\nInput=\r\nOutput=/srv/mods\r\n"));
    QCOMPARE(ini.ReadString("Files", "Output", "x"), QByteArray("/srv/mods"));
    QCOMPARE(ini.ReadString("Files", "Input", "x"), QByteArray(""));
  }

  void writingKeepsEverythingElseByteForByte() {
    // LF line ends, comments, blank lines, foreign sections and keys, no final line end.
    const QByteArray before =
        "; Quillforge settings\n[Window]\nLeft=10\n\n[files]\n; folders\ninput = old\nOther=keep me\n\n"
        "[Zeta]\nz=1";
    QVERIFY(fixtures::writeAll(path(), before));
    const Profile ini(path());
    QVERIFY(ini.WriteString("Files", "Input", "new"));
    QVERIFY(ini.WriteString("Files", "Output", "out"));
    QVERIFY(ini.WriteString("Extra", "K", "v"));
    QCOMPARE(fixtures::readAll(path()),
             QByteArray(
                 "; Quillforge settings\n[Window]\nLeft=10\n\n[files]\n; folders\ninput=new\nOther=keep me\n"
                 "Output=out\n\n[Zeta]\nz=1\n[Extra]\nK=v\n"));
  }

  void crlfFilesStayCrlf() {
    QVERIFY(fixtures::writeAll(path(), "[A]\r\na=1\r\n"));
    QVERIFY(Profile(path()).WriteString("A", "b", "2"));
    QCOMPARE(fixtures::readAll(path()), QByteArray("[A]\r\na=1\r\nb=2\r\n"));
  }

  void valuesRoundTripEveryByteTheFileCanHold() {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
      if (b != '\r' && b != '\n') all += char(b);
    const Profile ini(path());
    const QList<QByteArray> values = {all, " leading", "trailing\t", "\"quoted\"", "'single'", "a=b", "[x]"};
    for (const QByteArray& v : values) {
      QVERIFY(ini.WriteString("Files", "Input", v));
      QCOMPARE(ini.ReadString("Files", "Input", "?"), v);
    }
  }

  void refusesTextThatWouldBreakTheFile() {
    QVERIFY(fixtures::writeAll(path(), "[Files]\nInput=a\n"));
    const Profile ini(path());
    QVERIFY(!ini.WriteString("Files", "Input", "two\nlines"));
    QVERIFY(!ini.WriteString("Files", "Input", QByteArray("nul\0here", 8)));
    QVERIFY(!ini.WriteString("Files", "In=put", "x"));
    QVERIFY(!ini.WriteString("Fi]les", "Input", "x"));
    QCOMPARE(fixtures::readAll(path()), QByteArray("[Files]\nInput=a\n"));
  }

  void unwritablePlacesReturnFalse() {
    QVERIFY(!Profile(dir_.filePath(QStringLiteral("no/such/folder/QUILL.INI")))
                 .WriteString("Files", "Input", "x"));
    QVERIFY(fixtures::writeAll(path(QStringLiteral("plain")), "file"));
    QVERIFY(!Profile(dir_.filePath(QStringLiteral("plain/QUILL.INI"))).WriteString("Files", "Input", "x"));
    QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("folder.ini")));
    QVERIFY(!Profile(path(QStringLiteral("folder.ini"))).WriteString("Files", "Input", "x"));
  }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
