// Where QUILL.INI lives on a POSIX system: never beside a program in a shared
// folder (/usr/bin), else below $XDG_CONFIG_HOME; the writability check as an
// unprivileged user, and the preferences dialog storing in either place.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "Fixtures.h"
#include "ScriptedUi.h"
#include "forms/preferences/untPreferences.h"
#include "forms/widgets/FolderEdit.h"
#include "platform/ConfigLocation.h"
#include "platform/Profile.h"
#include "platform/Ui.h"

namespace {

// Sets an environment variable for one scope (unset: remove it).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<QByteArray>& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    if (value)
      qputenv(name, *value);
    else
      qunsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

QStringList entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class TestConfigLocationPosix : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    config::SetProgramFolderForTesting({});
    TfrmPreferences::SetIniFileNameForTesting({});
  }

  void sharedProgramFoldersAreNeverPortable() {
    // Root can write /usr/bin; its preferences still belong in its own folder,
    // unless a preferences file was put there on purpose.
    const auto rootCanWrite = [](const QString& path) { return !path.endsWith(QStringLiteral("QUILL.INI")); };
    for (const QString& bin : {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin/")})
      QCOMPARE(config::ChooseIniFile(bin, QStringLiteral("/root/.config"), rootCanWrite),
               QStringLiteral("/root/.config/Quillforge/QUILL.INI"));
    QCOMPARE(config::ChooseIniFile(QStringLiteral("/usr/bin"), QStringLiteral("/root/.config"),
                                   [](const QString&) { return true; }),
             QStringLiteral("/usr/bin/QUILL.INI"));
  }

  void configHomeFollowsXdg() {
    {
      ScopedEnv xdg("XDG_CONFIG_HOME", QByteArray("/srv/cfg/"));
      QCOMPARE(config::ConfigHome(), QStringLiteral("/srv/cfg"));
    }
    const QString fallback = QDir::homePath() + QStringLiteral("/.config");
    for (const std::optional<QByteArray>& value :
         {std::optional<QByteArray>(), std::optional<QByteArray>(""), std::optional<QByteArray>("rel/cfg")}) {
      ScopedEnv xdg("XDG_CONFIG_HOME", value);
      QCOMPARE(config::ConfigHome(), fallback);  // unset, empty and relative values are no setting
    }
  }

  // Tests run as root, who may write anywhere: the locked cases are checked by
  // a child that has given up root for "nobody".
  void realCheckAsAnUnprivilegedUser() {
    QTemporaryDir dir;
    const QString locked = dir.filePath(QStringLiteral("locked"));
    const QString open = dir.filePath(QStringLiteral("open"));
    QVERIFY(QDir().mkpath(locked) && QDir().mkpath(open));
    const QString lockedFile = open + QStringLiteral("/QUILL.INI");
    QVERIFY(fixtures::writeAll(lockedFile, "x"));
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    QCOMPARE(::chmod(QFile::encodeName(locked).constData(), 0555), 0);
    QCOMPARE(::chmod(QFile::encodeName(open).constData(), 0777), 0);
    QCOMPARE(::chmod(QFile::encodeName(lockedFile).constData(), 0444), 0);

    auto check = [&] {
      return (config::CanWrite(open) ? 1 : 0) | (config::CanWrite(locked) ? 2 : 0) |
             (config::CanWrite(lockedFile) ? 4 : 0);
    };
    int result = 0;
    if (::getuid() != 0) {
      result = check();
    } else {
      const pid_t child = ::fork();
      QVERIFY(child >= 0);
      if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        ::_exit(check());
      }
      int status = 0;
      QCOMPARE(::waitpid(child, &status, 0), child);
      QVERIFY(WIFEXITED(status));
      result = WEXITSTATUS(status);
      QVERIFY2(result != 100, "could not become nobody");
    }
    QCOMPARE(result, 1);  // only the open folder
    QCOMPARE(entries(open), QStringList{QStringLiteral("QUILL.INI")});
  }

  // The dialog through the real choice: a writable program folder keeps the
  // file beside it; a program folder that cannot be written (here one that
  // does not exist) sends it to the configuration folder, created on saving.
  void preferencesAreStoredWhereTheChoiceSays() {
    QTemporaryDir scratch;
    const QString config = scratch.filePath(QStringLiteral("config"));
    ScopedEnv xdg("XDG_CONFIG_HOME", QFile::encodeName(config));
    ScriptedUi script;

    const QString portable = scratch.filePath(QStringLiteral("portable"));
    QVERIFY(QDir().mkpath(portable));
    config::SetProgramFolderForTesting(portable);
    QCOMPARE(TfrmPreferences::IniFileName(), portable + QStringLiteral("/QUILL.INI"));
    {
      TfrmPreferences d;
      d.edtInputPath->setText(QStringLiteral("/in/portable"));
      d.FormHide();
    }
    QCOMPARE(Profile(portable + QStringLiteral("/QUILL.INI")).ReadString("Files", "Input", ""),
             QByteArray("/in/portable"));
    QVERIFY(!QFile::exists(config));

    config::SetProgramFolderForTesting(scratch.filePath(QStringLiteral("usr/bin")));
    const QString installed = config + QStringLiteral("/Quillforge/QUILL.INI");
    QCOMPARE(TfrmPreferences::IniFileName(), installed);
    {
      TfrmPreferences d;
      QCOMPARE(d.edtInputPath->text(), QString());  // nothing there yet
      d.edtInputPath->setText(QStringLiteral("/in/installed"));
      d.FormHide();
      d.edtInputPath->setText(QString());
      d.FormShow();  // loads from the same place
      QCOMPARE(d.edtInputPath->text(), QStringLiteral("/in/installed"));
    }
    QCOMPARE(Profile(installed).ReadString("Files", "Input", ""), QByteArray("/in/installed"));
    QVERIFY(script.messages.isEmpty());
  }

  void configFolderThatCannotBeMadeIsReported() {
    QTemporaryDir scratch;
    const QString blocker = scratch.filePath(QStringLiteral("file"));
    QVERIFY(fixtures::writeAll(blocker, "not a folder"));
    ScopedEnv xdg("XDG_CONFIG_HOME", QFile::encodeName(blocker));
    config::SetProgramFolderForTesting(scratch.filePath(QStringLiteral("no/such/bin")));
    ui::SetApplicationTitle(QStringLiteral("Hearthwarden"));
    ScriptedUi script;
    script.AnswerMessage(ui::idOk);
    TfrmPreferences d;
    d.FormHide();
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages[0].text,
             QStringLiteral("Unable to write to ") + blocker + QStringLiteral("/Quillforge/QUILL.INI."));
    QCOMPARE(script.messages[0].flags, 16);
    QCOMPARE(fixtures::readAll(blocker), QByteArray("not a folder"));
  }
};

QTEST_MAIN(TestConfigLocationPosix)
#include "test_config_location_posix.moc"
