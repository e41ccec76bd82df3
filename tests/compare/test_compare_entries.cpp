// Whole sides compared entry by entry: two mods built from the fixtures with
// known differences, the same mod as a folder tree, the open mod's pending
// rows, the game's archives read by the mod's names, and sides that cannot
// be read.
#include <QTemporaryDir>
#include <QtTest>

#include "CompareMods.h"
#include "Fixtures.h"
#include "archive/compare/ArchiveSide.h"
#include "archive/compare/EntryComparison.h"
#include "archive/compare/FolderSide.h"
#include "archive/compare/GameSide.h"
#include "archive/compare/PendingSide.h"

using namespace compare;

namespace {

std::optional<EntryList> Compare(Side& here, Side& there, QString* error = nullptr) {
  QString message;
  auto list = CompareEntries(here, there, {}, message);
  if (error) *error = message;
  return list;
}

// name -> state text, by the name each entry shows.
QMap<QByteArray, QByteArray> States(const EntryList& list) {
  QMap<QByteArray, QByteArray> states;
  for (const Entry& e : list.entries) states.insert(e.Name(), StateText(e.state));
  return states;
}

}  // namespace

class TestCompareEntries : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString here_;
  QString there_;

 private slots:
  void initTestCase() {
    QF_REQUIRE_FIXTURES();
    here_ = dir_.filePath("here.QLM");
    there_ = dir_.filePath("there.QLM");
    QVERIFY(testarchive::Build(here_, comparemods::Here()));
    QVERIFY(testarchive::Build(there_, comparemods::There()));
  }

  // Every name of either side once, with the state its bytes give it; a name
  // in other letters is the same entry; counts add up.
  void twoMods() {
    ArchiveSide here(here_), there(there_);
    const auto list = Compare(here, there);
    QVERIFY(list);
    const auto states = States(*list);
    const qsizetype fixtureCount = comparemods::Here().size();
    QCOMPARE(list->entries.size(), fixtureCount + 1);
    QCOMPARE(states.value(comparemods::kWeapons), "changed");
    QCOMPARE(states.value(comparemods::kMisc), "changed");
    QCOMPARE(states.value(comparemods::kOverlap), "changed");
    QCOMPARE(states.value(comparemods::kArena), "same");
    QVERIFY(!states.contains(comparemods::kArenaThere));
    QCOMPARE(states.value(comparemods::kLowQuality), "only here");
    QCOMPARE(states.value(comparemods::kExtra), "only there");
    QCOMPARE(list->Count(EntryState::Changed), 3);
    QCOMPARE(list->Count(EntryState::OnlyHere), 1);
    QCOMPARE(list->Count(EntryState::OnlyThere), 1);
    QCOMPARE(list->Count(EntryState::Same), fixtureCount - 4);
    QVERIFY(!list->AllSame());
    // Both spellings kept for the entry that matched across letter case.
    const auto arena = std::find_if(list->entries.begin(), list->entries.end(),
                                    [](const Entry& e) { return e.here == comparemods::kArena; });
    QCOMPARE(arena->there, comparemods::kArenaThere);
    // Ordered by name, letter case folded.
    for (qsizetype i = 1; i < list->entries.size(); ++i)
      QVERIFY(list->entries.at(i - 1).Name().toLower() <= list->entries.at(i).Name().toLower());

    // The other way round, the states turn round too.
    ArchiveSide a(there_), b(here_);
    const auto back = Compare(a, b);
    QVERIFY(back);
    QCOMPARE(States(*back).value(comparemods::kLowQuality), "only there");
    QCOMPARE(States(*back).value(comparemods::kExtra), "only here");
    QCOMPARE(States(*back).value(comparemods::kArenaThere), "same");
  }

  // Every changed entry both sides hold is handed over with both versions
  // when asked, and only those; progress reaches the total.
  void changedVersionsHandedOver() {
    ArchiveSide here(here_), there(there_);
    QMap<QByteArray, QPair<QByteArray, QByteArray>> seen;
    qsizetype lastDone = 0, lastTotal = -1;
    CompareOptions options;
    options.changed = [&](const Entry& e, const QByteArray& a, const QByteArray& b) {
      seen[e.here] = {a, b};
    };
    options.progress = [&](qsizetype done, qsizetype total) {
      QVERIFY(done > lastDone);
      lastDone = done;
      lastTotal = total;
    };
    QString error;
    QVERIFY(CompareEntries(here, there, options, error));
    QCOMPARE(seen.keys(),
             (QList<QByteArray>{comparemods::kMisc, comparemods::kWeapons, comparemods::kOverlap}));
    const auto hereEntries = comparemods::Here();
    const auto thereEntries = comparemods::There();
    QCOMPARE(seen[comparemods::kWeapons].first, comparemods::Content(hereEntries, comparemods::kWeapons));
    QCOMPARE(seen[comparemods::kWeapons].second, comparemods::Content(thereEntries, comparemods::kWeapons));
    QCOMPARE(lastDone, lastTotal);
  }

  // A folder tree names its files as Add Folder does; the tree written from a
  // mod is the same as that mod, and compares with the other mod as it does.
  void folderTree() {
    const QString folder = dir_.filePath("tree");
    QVERIFY(comparemods::WriteFolder(folder, comparemods::There()));
    // A dot file is left out, as Add Folder leaves it out.
    QVERIFY(fixtures::writeAll(folder + "/.hidden", "x"));
    // Nor is a file standing in for the mod's record, in any letter case.
    QVERIFY(fixtures::writeAll(folder + "/(MODINFO)", "x"));
    FolderSide tree(folder);
    ArchiveSide there(there_);
    const auto same = Compare(tree, there);
    QVERIFY(same);
    QVERIFY(same->AllSame());
    QCOMPARE(same->entries.size(), comparemods::There().size());

    ArchiveSide here(here_);
    FolderSide tree2(folder);
    const auto list = Compare(here, tree2);
    QVERIFY(list);
    QCOMPARE(States(*list).value(comparemods::kWeapons), "changed");
    QCOMPARE(States(*list).value(comparemods::kArena), "same");
    QCOMPARE(States(*list).value(comparemods::kExtra), "only there");
    QCOMPARE(list->Count(EntryState::Changed), 3);
  }

  // The open mod's pending state: a row with a source file counts as that
  // file, the others as the archive holds them; "(modinfo)" is no game file.
  void pendingRows() {
    QList<PendingRow> rows;
    for (const auto& [name, content] : comparemods::Here()) rows.append({name, QString()});
    const QString source = dir_.filePath("weapons-edited.txt");
    QVERIFY(fixtures::writeAll(source, comparemods::Content(comparemods::There(), comparemods::kWeapons)));
    for (PendingRow& row : rows)
      if (row.name == comparemods::kWeapons) row.source = source;
    rows.append({"(modinfo)", QString()});
    PendingSide pending(here_, rows);
    ArchiveSide there(there_);
    const auto list = Compare(pending, there);
    QVERIFY(list);
    const auto states = States(*list);
    QCOMPARE(states.value(comparemods::kWeapons), "same");
    QCOMPARE(states.value(comparemods::kMisc), "changed");
    QVERIFY(!states.contains("(modinfo)"));

    // A source file gone since counts as changed and says it could not be read.
    QFile::remove(source);
    PendingSide gone(here_, rows);
    ArchiveSide there2(there_);
    const auto after = Compare(gone, there2);
    QVERIFY(after);
    const auto weapons = std::find_if(after->entries.begin(), after->entries.end(),
                                      [](const Entry& e) { return e.here == comparemods::kWeapons; });
    QCOMPARE(weapons->state, EntryState::Changed);
    QVERIFY(weapons->unreadable);
  }

  // The game's archives are asked for the mod's names only, a later archive
  // overriding an earlier one; their file names are found in any case.
  void gameFolder() {
    const QString game = dir_.filePath("game");
    QVERIFY(QDir().mkpath(game));
    const auto hereEntries = comparemods::Here();
    const QByteArray weapons = comparemods::Content(hereEntries, comparemods::kWeapons);
    const QByteArray misc = comparemods::Content(hereEntries, comparemods::kMisc);
    QVERIFY(testarchive::Build(game + "/d2data.mpq", {{comparemods::kWeapons, "old"},
                                                      {comparemods::kMisc, misc},
                                                      {"data\\global\\excel\\gems.txt", "not in the mod"}}));
    QVERIFY(testarchive::Build(game + "/Patch_D2.MPQ", {{"DATA\\GLOBAL\\EXCEL\\WEAPONS.TXT", weapons}}));
    ArchiveSide here(here_);
    GameSide gameSide(game);
    const auto list = Compare(here, gameSide);
    QVERIFY(list);
    const auto states = States(*list);
    QCOMPARE(states.value(comparemods::kWeapons), "same");
    QCOMPARE(states.value(comparemods::kMisc), "same");
    QVERIFY(!states.contains("data\\global\\excel\\gems.txt"));
    QCOMPARE(states.value(comparemods::kOverlap), "only here");
    QCOMPARE(list->Count(EntryState::OnlyThere), 0);

    // The game side may stand on either side.
    GameSide first(game);
    ArchiveSide second(there_);
    const auto turned = Compare(first, second);
    QVERIFY(turned);
    QCOMPARE(States(*turned).value(comparemods::kWeapons), "changed");
    QCOMPARE(States(*turned).value(comparemods::kOverlap), "only there");
  }

  // A side that cannot be read ends the comparison with a message naming it.
  void unreadableSides() {
    const QString notArchive = dir_.filePath("notes.QLM");
    QVERIFY(fixtures::writeAll(notArchive, "not an archive"));
    QString error;
    ArchiveSide bad(notArchive), good(here_);
    QVERIFY(!Compare(good, bad, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(notArchive)), qPrintable(error));

    ArchiveSide missing(dir_.filePath("missing.QLM")), good2(here_);
    QVERIFY(!Compare(missing, good2, &error));
    QVERIFY(error.contains("missing.QLM"));

    FolderSide noFolder(dir_.filePath("no-such-folder"));
    ArchiveSide good3(here_);
    QVERIFY(!Compare(good3, noFolder, &error));
    QVERIFY(error.contains("no-such-folder"));

    const QString emptyGame = dir_.filePath("empty-game");
    QVERIFY(QDir().mkpath(emptyGame));
    GameSide game(emptyGame);
    ArchiveSide good4(here_);
    QVERIFY(!Compare(good4, game, &error));
    QVERIFY(error.contains("d2data.mpq"));

    GameSide a(emptyGame), b(emptyGame);
    QVERIFY(!Compare(a, b, &error));

    // An archive whose entries no "(listfile)" names cannot be listed.
    const QString unlistedPath = dir_.filePath("unlisted.mpq");
    QVERIFY(testarchive::Build(unlistedPath, {{"data\\a.txt", "x"}}, testarchive::Storage::Plain,
                               testarchive::Listing::NoListfile));
    ArchiveSide unlisted(unlistedPath), good5(here_);
    QVERIFY(!Compare(good5, unlisted, &error));
    QVERIFY2(error.contains("(listfile)"), qPrintable(error));
  }
};

QTEST_GUILESS_MAIN(TestCompareEntries)
#include "test_compare_entries.moc"
