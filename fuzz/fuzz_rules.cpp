// A user's rules file as Check Mod reads it, after the program's own rules:
// every line is either taken or named with its number, never both, and the
// rules that result drive a check of a few small sheets without a fault.
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/TextLines.h"
#include "archive/check/DefaultRules.h"
#include "archive/check/ModChecker.h"
#include "archive/check/RulesReader.h"

namespace {

const check::SheetFiles& Sheets() {
  static const check::SheetFiles sheets = {
      {"data\\global\\excel\\weapons.txt", "name\ttype\tcode\r\nAxe\taxe\taxe\r\nAxe\taxe\taxe \r\n"},
      {"data\\global\\excel\\misc.txt", "name\tcode\r\nRing\trin\r\n"},
      {"data\\global\\excel\\armor.txt", "name\tcode\r\nCap\tcap\r\n"},
      {"data\\global\\excel\\ItemTypes.txt", "Code\r\naxe\r\n"},
      {"data\\global\\excel\\cubemain.txt",
       "description\tinput 1\toutput\tmod 1\r\nr\t\"axe,qty=2,zzz\"\t\"usetype,rem\"\tfire\r\nshort\r\n"}};
  return sheets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::EnsureApp();
  const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
  static const check::Rules defaults = check::DefaultRules();
  check::Rules rules = defaults;
  QStringList problems;
  const bool clean = check::ReadRules(text, QStringLiteral("fuzz.rules"), rules, problems);
  fuzz::Check(clean == problems.isEmpty(), "a clean read named problems, or a failed one none");
  const qsizetype lines = SplitLines(text.data(), text.size()).size();
  for (const QString& p : problems) {
    fuzz::Check(p.startsWith(QStringLiteral("fuzz.rules:")), "a problem without its source");
    const int line = p.section(':', 1, 1).toInt();
    fuzz::Check(line >= 1 && line <= lines, "a problem names a line that is not there");
  }
  fuzz::Check(rules.keys.size() >= defaults.keys.size(), "a user's file took keys away");
  fuzz::Check(rules.relations.size() >= defaults.relations.size(), "a user's file took relations away");
  for (const check::Relation& r : rules.relations)
    for (const QByteArray& t : r.targets) fuzz::Check(rules.Key(t) != nullptr, "a relation to no key");

  const check::CheckReport report = check::CheckSheets(rules, Sheets());
  fuzz::Check(report.sheetsChecked == int(Sheets().size()), "a sheet left unchecked");
  for (const check::Finding& f : report.findings)
    fuzz::Check(f.line >= 2 && f.message.endsWith(" [" + f.check + ']'), "a finding out of shape");
  return 0;
}
