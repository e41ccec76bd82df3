// The rules file: how its lines read, what a bad line gives, and the key
// column other features ask for.
#include <QtTest>

#include "archive/check/AcceptLines.h"
#include "archive/check/DefaultRules.h"
#include "archive/check/RulesReader.h"

using namespace check;

class TestCheckRules : public QObject {
  Q_OBJECT

 private slots:
  // The program's own rules are a resource and read without a problem.
  void defaultRulesReadClean() {
    const QByteArray text = DefaultRulesText();
    QVERIFY(!text.isEmpty());
    Rules rules;
    QStringList problems;
    QVERIFY2(ReadRules(text, QStringLiteral("default.rules"), rules, problems),
             qPrintable(problems.join('\n')));
    QVERIFY(rules.Key("items") && rules.Key("items")->unique);
    QCOMPARE(rules.Key("items")->sheets, QList<QByteArray>({"weapons.txt", "armor.txt", "misc.txt"}));
    QVERIFY(!rules.Key("uniques")->unique);
    QCOMPARE(rules.SeverityOf("space"), Severity::Warning);
    QVERIFY(rules.qualifiers.value(ColumnKey("cubemain.txt", "Input 7")).contains("qty"));
    QVERIFY(rules.allowed.value(ColumnKey("CUBEMAIN.TXT", "output c")).contains("pandemonium finale portal"));
    QVERIFY(!rules.allowed.value(ColumnKey("cubemain.txt", "input 1")).contains("cow portal"));
  }

  // Quotes keep blanks in a word; braces expand as a shell expands them.
  void wordsQuotesAndBraces() {
    QList<QByteArray> words;
    QString why;
    QVERIFY(SplitRuleWords("ref  x.txt : aprop{1..2}{a,b} \"input {6..7}\"\t->  t", words, why));
    QCOMPARE(words, QList<QByteArray>({"ref", "x.txt", ":", "aprop1a", "aprop1b", "aprop2a", "aprop2b",
                                       "input 6", "input 7", "->", "t"}));
    words.clear();
    QVERIFY(!SplitRuleWords("allow a : b = \"open", words, why));
    QVERIFY(!SplitRuleWords("allow a : b{1..", words, why));
    QVERIFY(!SplitRuleWords("allow a : b{9..1}", words, why));
  }

  // Braces multiply: a line that would stand for more words than a rules
  // file can mean, or a range past the numbers a word can count, is a bad
  // line, found without building its words.
  void bracesBounded() {
    QList<QByteArray> words;
    QString why;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!SplitRuleWords("allow a : c{1..1000}{1..1000}{1..1000} = v", words, why));
    QVERIFY(!why.isEmpty());
    QVERIFY(words.size() <= 4096);
    words.clear();
    QVERIFY(!SplitRuleWords("allow a : c{-2000000000..2000000000} = v", words, why));
    QVERIFY(words.size() <= 4096);
    words.clear();
    QVERIFY(!SplitRuleWords("allow a : " + QByteArray("{a}").repeated(20000) + " = v", words, why));
    QVERIFY(timer.elapsed() < 10000);

    // Sheets times columns is bounded too, each part well under the words.
    Rules rules;
    QStringList problems;
    QVERIFY(!ReadRules("allow s{1..100}.txt : c{1..100} = v\nallow t.txt : c = w\n", QStringLiteral("u"), rules,
                       problems));
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems.first().startsWith("u:1: "));
    QVERIFY(rules.allowed.value(ColumnKey("t.txt", "c")).contains("w"));
    QVERIFY(!rules.allowed.contains(ColumnKey("s1.txt", "c1")));

    // What the program's own rules need still reads.
    words.clear();
    QVERIFY(SplitRuleWords("ref x.txt : a{1..30}{a,b,c} -> t", words, why));
    QCOMPARE(words.size(), 2 + 1 + 90 + 2);
  }

  // A bad line is left out and named with its line number; the good lines
  // around it still count.
  void badLinesNamedGoodLinesKept() {
    Rules rules = DefaultRules();
    QStringList problems;
    const QByteArray text =
        "allow cubemain.txt : output = void\n"
        "refer x.txt : a -> items\n"
        "ref x.txt : a -> nosuchkey\n"
        "ref x.txt a -> items\n"
        "severity ref loud\n"
        "unique nosuchkey\n"
        "key short : code\n"
        "\n"
        "off dup\n";
    QVERIFY(!ReadRules(text, QStringLiteral("mine.rules"), rules, problems));
    QCOMPARE(problems, QStringList({"mine.rules:2: unknown statement \"refer\"",
                                    "mine.rules:3: no key \"nosuchkey\" defined before",
                                    "mine.rules:4: expected sheets, then \":\" and columns",
                                    "mine.rules:5: expected: severity CHECK error|warning",
                                    "mine.rules:6: no key \"nosuchkey\" defined before",
                                    "mine.rules:7: expected: key NAME SHEET... : COLUMN [\"DESCRIPTION\"]"}));
    QVERIFY(rules.allowed.value(ColumnKey("cubemain.txt", "output")).contains("void"));
    QVERIFY(rules.IsOff("dup", "anything.txt"));
    QVERIFY(!rules.IsOff("ref", "anything.txt"));
  }

  // A key redefined by a user's file replaces the program's and stays unique;
  // a relation of the user's adds to those there are.
  void userFileReplacesKeysAddsRelations() {
    Rules rules = DefaultRules();
    const size_t relations = rules.relations.size();
    QStringList problems;
    QVERIFY(ReadRules(
        "key skills skills.txt : skill \"skill name\"\nref MonStats2.txt : Skill9 -> skills [warning]\n",
        QStringLiteral("u"), rules, problems));
    QVERIFY(rules.Key("skills")->unique);
    QCOMPARE(rules.Key("skills")->description, QByteArray("skill name"));
    QCOMPARE(rules.relations.size(), relations + 1);
    QVERIFY(rules.relations.back().hasSeverity);
    QCOMPARE(rules.relations.back().severity, Severity::Warning);
  }

  // The lines that accept a reported value: one per sheet, naming its
  // columns, blanks quoted. A value no word of a rules file can hold is
  // refused rather than written as something else.
  void acceptLinesPerSheet() {
    const auto finding = [](const char* sheet, const char* column, const char* value) {
      Finding f;
      f.file = QByteArray("data\\global\\excel\\") + sheet;
      f.column = column;
      f.value = value;
      return f;
    };
    const Finding a = finding("UniqueItems.txt", "prop1", "my fire"), b = finding("UniqueItems.txt", "prop2", "my fire"),
                  c = finding("SetItems.txt", "prop1", "my fire"), d = finding("uniqueitems.txt", "PROP1", "my fire");
    QList<QByteArray> lines;
    QString why;
    QVERIFY(AcceptLines({&a, &b, &c, &d}, lines, why));
    QCOMPARE(lines, QList<QByteArray>({"allow UniqueItems.txt : prop1 prop2 = \"my fire\"",
                                       "allow SetItems.txt : prop1 = \"my fire\""}));
    for (const char* bad : {"fi\"re", "{1..3}", "="}) {
      const Finding e = finding("UniqueItems.txt", "prop1", bad);
      QVERIFY(!AcceptLines({&e}, lines, why));
      QVERIFY(lines.isEmpty() && !why.isEmpty());
    }
  }

  // The key column of a sheet, by file or internal name in any case.
  void keyColumnForSheets() {
    const Rules rules = DefaultRules();
    QCOMPARE(KeyColumnFor(rules, "Weapons.txt"), QByteArray("code"));
    QCOMPARE(KeyColumnFor(rules, "data\\global\\excel\\TREASURECLASSEX.TXT"), QByteArray("Treasure Class"));
    QCOMPARE(KeyColumnFor(rules, "data\\global\\excel\\UniqueItems.txt"), QByteArray("index"));
    QCOMPARE(KeyColumnFor(rules, "cubemain.txt"), QByteArray());
  }
};

QTEST_GUILESS_MAIN(TestCheckRules)
#include "test_check_rules.moc"
