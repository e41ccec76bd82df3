#include "cli/CheckCommand.h"

#include "archive/check/BaseGame.h"
#include "archive/check/DefaultRules.h"
#include "archive/check/FindingText.h"
#include "archive/check/ModChecker.h"
#include "archive/check/ModSheets.h"
#include "archive/check/RulesReader.h"
#include "cli/ModArgument.h"
#include "cli/Options.h"
#include "cli/OutputText.h"
#include "platform/CheckPreferences.h"
#include "platform/FileBytes.h"

const char kCheckUsage[] =
    "usage: quillforge check MOD.QLM [--game FOLDER] [--rules FILE]\n"
    "\n"
    "Checks the mod's sheets for faults the game would trip over: rows whose\n"
    "cells are shifted [cells], spaces around keys and references [space],\n"
    "repeated keys [dup] and references to keys that do not exist [ref].\n"
    "\n"
    "  --game FOLDER  the game's folder (d2data.mpq, d2exp.mpq, patch_d2.mpq,\n"
    "                 or extracted data\\global\\excel\\ sheets), so references\n"
    "                 into sheets the mod does not replace are checked too\n"
    "  --rules FILE   a rules file that adds to the program's own rules\n"
    "                 (values, relations, checks turned off)\n"
    "\n"
    "Without --game or --rules, the Game folder and Rules file set in the\n"
    "program's Preferences are used (--game \"\" checks without the game).\n"
    "The findings are followed by the messages that repeat most, each with its\n"
    "count and first place, and the totals.\n"
    "\n"
    "Exit status: 0 no errors, 1 errors found, 2 the mod, the game folder (any\n"
    "one of its archives or sheets) or the rules could not be read.\n"
    "\n"
    "Example:\n"
    "  quillforge check MyMod.QLM --game ~/Games/Diablo2 --rules my.rules\n";

namespace {

// How many of the repeated messages the summary names, the most repeated
// first (a value a mod's engine adds can repeat in thousands of rows).
constexpr int kRepeatLines = 10;

void Fail(cli::Io& io, const QString& message) {
  cli::Complain(io, "check", message);
}

struct Options {
  QString mod;
  QString game;
  QString rules;
  bool gameGiven = false;
  bool rulesGiven = false;
  bool help = false;
};

// False, with why, for words that are no valid call.
bool ParseOptions(const QStringList& args, Options& o, QString& why) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args.at(i);
    auto value = [&](const QString& option, QString& into, bool& given) {
      if (a.startsWith(option + '=')) {
        into = a.mid(option.size() + 1);
      } else if (i + 1 < args.size()) {
        into = args.at(++i);
      } else {
        why = QStringLiteral("%1 needs a value").arg(option);
        return false;
      }
      given = true;
      return true;
    };
    if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
      o.help = true;
    } else if (a == QLatin1String("--game") || a.startsWith(QLatin1String("--game="))) {
      if (!value(QStringLiteral("--game"), o.game, o.gameGiven)) return false;
    } else if (a == QLatin1String("--rules") || a.startsWith(QLatin1String("--rules="))) {
      if (!value(QStringLiteral("--rules"), o.rules, o.rulesGiven)) return false;
    } else if (a.startsWith('-') && a.size() > 1) {
      why = QStringLiteral("unknown option %1").arg(a);
      return false;
    } else if (o.mod.isEmpty()) {
      o.mod = a;
    } else {
      why = QStringLiteral("one mod at a time (%1 is one too many)").arg(a);
      return false;
    }
  }
  if (o.mod.isEmpty() && !o.help) why = QStringLiteral("no mod given");
  return why.isEmpty();
}

bool LoadRules(const QString& path, check::Rules& rules, cli::Io& io) {
  rules = check::DefaultRules();
  if (path.isEmpty()) return true;
  QByteArray text;
  if (!files::ReadFileBytes(path, text)) {
    Fail(io, QStringLiteral("cannot read the rules file %1").arg(path));
    return false;
  }
  QStringList problems;
  if (check::ReadRules(text, path, rules, problems)) return true;
  for (const QString& p : problems) cli::WriteLine(io.err, p.toUtf8());
  Fail(io, QStringLiteral("the rules file %1 has lines that cannot be understood").arg(path));
  return false;
}

}  // namespace

int RunCheckCommand(const QStringList& args, cli::Io& io) {
  Options o;
  QString why;
  if (!ParseOptions(args, o, why)) {
    Fail(io, why);
    std::fputs(kCheckUsage, io.err);
    return cli::kFailed;
  }
  if (o.help) {
    std::fputs(kCheckUsage, io.out);
    return cli::kOk;
  }
  if (!o.gameGiven) o.game = prefs::StoredGameFolder();
  if (!o.rulesGiven) o.rules = prefs::StoredRulesFile();

  check::Rules rules;
  if (!LoadRules(o.rules, rules, io)) return cli::kFailed;

  check::BaseGame base;
  if (!o.game.isEmpty()) {
    if (!check::ReadBaseGame(o.game, rules.Sheets(), base, why)) {
      Fail(io, why);
      return cli::kFailed;
    }
    if (!base.problems.isEmpty()) {
      // A check without the sheets that could not be read would pass what
      // they would have found: no result rather than a wrong one.
      for (const QString& p : base.problems) Fail(io, p);
      Fail(io, QStringLiteral("the game folder %1 cannot be read whole; mend it, or check without "
                              "the game (--game \"\")")
                   .arg(o.game));
      return cli::kFailed;
    }
  }

  check::SheetFiles sheets;
  QList<QByteArray> unread;
  if (!check::ReadModSheets(o.mod, sheets, unread)) {
    const QString held = cli::HeldModReason(o.mod);
    Fail(io, held.isEmpty() ? QStringLiteral("cannot read the mod %1").arg(o.mod) : held);
    return cli::kFailed;
  }
  for (const QByteArray& name : unread)
    Fail(io, QStringLiteral("cannot read %1 from the mod").arg(QString::fromUtf8(cli::LineText(name))));

  check::CheckReport report = check::CheckSheets(rules, sheets, base.sheets);
  report.sheetsUnread = int(unread.size());
  for (const check::Finding& f : report.findings) cli::WriteLine(io.out, check::FindingLine(f));
  for (const QByteArray& line : check::RepeatLines(report, kRepeatLines)) cli::WriteLine(io.out, line);
  cli::WriteLine(io.out, check::SummaryLine(report));
  std::fflush(io.out);
  if (!unread.isEmpty()) return cli::kFailed;
  return report.Count(check::Severity::Error) > 0 ? cli::kFound : cli::kOk;
}

void DeclareCheckOptions(cli::Options& options) {
  options.Value(QStringLiteral("--game"));
  options.Value(QStringLiteral("--rules"));
}
