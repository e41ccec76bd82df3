"""Unsaved sheet edits discarded by opening another sheet, with the installed Quillforge.

Builds a mod of two fixture sheets with `quillforge build`, starts the window with it, changes a cell of
the first sheet without saving, selects the second sheet on the Files page, clicks the Edit tab and
answers Yes to the discard question; the window must still be there, showing the second sheet, and its
cell editor must still take typing. Then the first sheet again, edited, and the second one opened by a
double-click on a Problems finding in it.

Usage: e2e_discard_edits.py --cmake CMAKE --build BUILD_DIR --fixtures MOD_DIR
"""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session as ds  # noqa: E402

FIRST = "data/global/excel/misc.txt"
SECOND = "data/global/excel/cubemain.txt"
FIRST_NAME = FIRST.replace("/", "\\")
SECOND_NAME = SECOND.replace("/", "\\")
KEY_F7 = 0xFFC4
KEY_RETURN = 0xFF0D


class DiscardSession:
    def __init__(self, options):
        self.o = options
        self.work = ds.scratch("qf-e2e-discard-")
        self.tree = os.path.join(self.work, "tree")
        for rel in (FIRST, SECOND):
            os.makedirs(os.path.dirname(os.path.join(self.tree, rel)), exist_ok=True)
            shutil.copy(os.path.join(options.fixtures, rel), os.path.join(self.tree, rel))
        self.archive = os.path.join(self.work, "Two.QLM")
        self.s = None

    def start(self):
        ds.log(f"scratch folder {self.work}")
        program = ds.install(self.o.cmake, self.o.build, os.path.join(self.work, "prefix"))
        env = ds.user_environment(self.work)
        # The mod comes from the folder through the command line, as a modder builds one.
        subprocess.run([program, "build", os.path.join(self.tree, "data"), "-o", self.archive, "--prefix",
                        "data\\", "-q"], env=env, check=True)
        self.s = ds.Session([program, self.archive], env, self.o.fbdir)
        self.main = self.s.window(ds.caption_pattern("Two.QLM"), timeout=20)

    def edit_first(self):
        """The first sheet on the Edit page with one cell typed over, not saved."""
        s = self.s
        self.open_by_tab(FIRST_NAME)
        table = self.sheet_table(FIRST)
        s.click(table.getAccessibleAt(0, 1), "a cell of the first sheet")
        s.type("unsaved")
        ds.wait_for("the typed cell", lambda: "unsaved" in table.getAccessibleAt(0, 1).name)

    def discard_by_tab(self):
        self.open_by_tab(SECOND_NAME)
        self.answer_discard()
        self.expect_second_shown()

    def discard_by_finding(self):
        """misc shown again (its edits discarded once more), edited, Check Mod, a double-click on a
        finding in cubemain, Yes."""
        s = self.s
        self.open_by_tab(FIRST_NAME)
        self.answer_discard()
        table = self.sheet_table(FIRST)
        s.click(table.getAccessibleAt(0, 1), "a cell of the first sheet")
        s.type("unsaved")
        ds.wait_for("the typed cell", lambda: "unsaved" in table.getAccessibleAt(0, 1).name)
        s.key(KEY_F7)
        problems = s.find(self.main, "tree", "Problems", timeout=20)
        ds.wait_for("a finding in the second sheet",
                    lambda: self.first_finding(problems) or self.first_finding(problems, many=True))
        group = self.first_finding(problems, many=True)
        if group and not self.first_finding(problems):
            # Only messages met in many places: a double-click opens one to its places.
            s.click(group[0], "a message met in many places", double=True)
        finding = ds.wait_for("a place in the second sheet", lambda: self.first_finding(problems))
        cell, line, column = finding
        s.click(cell, "the finding", double=True)
        self.answer_discard()
        header = open(os.path.join(self.tree, SECOND), "rb").read().split(b"\r\n", 1)[0].split(b"\t")
        # Line 1 is the header, the grid's fixed row.
        self.expect_second_shown((line - 2, header.index(column.encode("cp1252"))))

    # -- helpers --

    def open_by_tab(self, name):
        s = self.s
        self.page("Files")
        files = s.find(self.main, "table", "Files")
        s.click(self.row(files, name), f'the row "{name}"')
        self.page("Edit")

    def answer_discard(self):
        box = self.s.window("Discard Changes")
        self.s.press(box, "Yes")
        self.s.closed(box)

    def expect_second_shown(self, at=(0, 0)):
        """The second sheet in the grid, the current cell `at` (grid row, column) taking typing."""
        s = self.s
        self.alive()
        table = self.sheet_table(SECOND)
        header = open(os.path.join(self.tree, SECOND), "rb").read().split(b"\r\n", 1)[0].split(b"\t")
        self.expect(table.getColumnDescription(0) == header[0].decode("cp1252"), "the grid shows the second sheet")
        # What is typed goes into the current cell.
        row, col = at
        s.type("Z")
        ds.wait_for(f"the typed key in the cell at row {row}, column {col}",
                    lambda: (table.getAccessibleAt(row, col).name or "").endswith("Z"))
        self.alive()

    def sheet_table(self, rel):
        s = self.s
        grid = s.find(self.main, "table", "Sheet grid")
        rows = open(os.path.join(self.tree, rel), "rb").read().count(b"\r\n") - 1
        table = grid.queryTable()
        ds.wait_for(f"{rel} in the grid", lambda: table.nRows == rows, timeout=20)
        return table

    def page(self, caption):
        tab = self.s.find(self.main, "page tab", caption)
        self.s.click(tab, f'the "{caption}" tab')

    def row(self, files, name):
        table = files.queryTable()
        for r in range(table.nRows):
            if table.getAccessibleAt(r, 0).name == name:
                return table.getAccessibleAt(r, 0)
        raise ds.E2EFailure(f"no row {name!r} in the Files list")

    def first_finding(self, problems, many=False):
        """The File cell of the first finding in the second sheet, its line and its column's name:
        of a place (a message met once, or a place of one met many times), or with `many` of a message
        met in many places."""
        table = problems.queryTable()
        heads = [table.getColumnDescription(c) for c in range(table.nColumns)]
        for r in range(table.nRows):
            cells = {heads[c]: table.getAccessibleAt(r, c) for c in range(table.nColumns)}
            grouped = (cells["Message"].name or "").endswith(" times)")
            if grouped != many:
                continue
            if cells["File"].name == SECOND_NAME and cells["Column"].name and cells["Line"].name.isdigit():
                return cells["File"], int(cells["Line"].name), cells["Column"].name
        return None

    def alive(self):
        self.expect(self.s.process.poll() is None, "the program is still running")

    def expect(self, condition, what):
        if not condition:
            raise ds.E2EFailure("expected: " + what)
        ds.log("ok: " + what)

    def run(self):
        try:
            for step in (self.start, self.edit_first, self.discard_by_tab, self.discard_by_finding):
                ds.log("step: " + step.__name__)
                step()
        finally:
            if self.s:
                self.s.kill()
            shutil.rmtree(self.work, ignore_errors=True)


def main():
    def body(options):
        DiscardSession(options).run()
        print("PASS: unsaved edits were discarded for another sheet and the window lived on", flush=True)

    ds.run_test(__doc__, lambda parser: None, body)


if __name__ == "__main__":
    main()
