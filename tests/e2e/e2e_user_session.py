"""A user's session with the installed Quillforge, from a first start to the archive on disk.

Installs the build into a scratch prefix, starts that program on a private X display and drives it with
real clicks and key strokes through its own windows and file dialogs: the about box and preferences,
New, Add of two fixture files, the Mod Info page, Update, Open of the result, a sheet on the Edit page
with one cell changed, Save, Update and Export. Then smpq checks what the archive holds, byte for byte.
Screenshots of the three pages and the about box go to --shots.

Usage: e2e_user_session.py --cmake CMAKE --build BUILD_DIR --fixtures MOD_DIR --shots OUT_DIR
"""
import os
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session as ds  # noqa: E402

SHEET = "data/global/excel/TreasureClassEx.txt"
SOUND = "data/global/sfx/Combat/Player/Assassin/gethit12.wav"
SHEET_NAME = SHEET.replace("/", "\\")
SOUND_NAME = SOUND.replace("/", "\\")
# The cell the user changes: first data row below the header, second column.
EDIT_ROW, EDIT_COL, EDIT_TEXT = 0, 1, "e2e edited"

# What the user types on the Mod Info page, as shown, and as the record stores it (Windows-1252).
MOD_INFO = [
    ("Title", "E2E Test Mod"),
    ("Author", "Zoë Quill™"),
    ("Diablo II Version", "1.14d"),
    ("Website/download URL", "https://example.org/quillforge"),
    ("Mod Version", "1.0"),
    ("Description/Comments", "First line\nSecond line"),
]


def mod_info_record(texts):
    """The "(modinfo)" bytes for the six texts: six lengths, four zero words, the texts."""
    encoded = [t.replace("\n", "\r\n").encode("cp1252") for t in texts]
    return struct.pack("<10i", *[len(e) for e in encoded], 0, 0, 0, 0) + b"".join(encoded)


def edited_sheet(original):
    """The sheet as saved after the one cell change; the fixture is a CR LF sheet whose rows all hold
    as many fields as its header, which the grid writes back byte for byte."""
    lines = original.split(b"\r\n")
    assert lines[-1] == b"", "fixture sheet must end with CR LF"
    widths = {line.count(b"\t") for line in lines[:-1]}
    assert len(widths) == 1, "fixture sheet rows must all have the header's width"
    fields = lines[1 + EDIT_ROW].split(b"\t")
    fields[EDIT_COL] = EDIT_TEXT.encode("cp1252")
    lines[1 + EDIT_ROW] = b"\t".join(fields)
    return b"\r\n".join(lines)


class UserSession:
    def __init__(self, options):
        self.o = options
        self.work = ds.scratch("qf-e2e-")
        self.mods = os.path.join(self.work, "mods")
        self.out = os.path.join(self.work, "out")
        os.makedirs(self.mods)
        os.makedirs(self.out)
        self.archive = os.path.join(self.mods, "MyMod.QLM")
        # The user's own copies of two files of the fixture mod.
        self.input = os.path.join(self.work, "input")
        os.makedirs(self.input)
        self.sheet_src = shutil.copy(os.path.join(options.fixtures, SHEET), self.input)
        self.sound_src = shutil.copy(os.path.join(options.fixtures, SOUND), self.input)
        self.s = None

    # -- steps --

    def start(self):
        ds.log(f"scratch folder {self.work} (kept when the run fails)")
        prefix = os.path.join(self.work, "prefix")
        program = ds.install(self.o.cmake, self.o.build, prefix)
        self.prefix = prefix
        self.s = ds.Session([program], ds.user_environment(self.work), self.o.fbdir)
        self.main = self.s.window("Quillforge 0.4 Beta", timeout=20)
        files = self.s.find(self.main, "table", "Files")
        self.expect(not self.rows(files), "the Files list is empty at start")
        self.expect(not self.s.enabled(self.button("Update")), "Update is off at start")
        self.expect(not self.s.enabled(self.button("Add")), "Add is off at start")

    def about_box(self):
        s = self.s
        s.menu(self.main, "About")
        about = s.window("About....")
        # Let a few lines of the credits scroll up into view before taking the picture.
        ds.time.sleep(3.5)
        s.screenshot(about, os.path.join(self.o.shots, "about-box.png"))
        s.key(ds.KEY_ESCAPE)
        s.window_gone("About....")

    def preferences(self):
        """Chooses the input folder (the user's own copies of two fixture files) and the output folder
        (where the mod goes) by browsing, as a first start needs."""
        s = self.s
        s.menu(self.main, "File", "Preferences")
        prefs = s.window("Preferences")
        browse = s.find_all(prefs, "push button")
        browse = [b for b in browse if b.name == "Browse"]
        # Input and output folders first, then Check Mod's game folder and rules file.
        self.expect(len(browse) == 4, "the dialog has a Browse button for each folder and the rules file")
        for name, folder, button in (("Input Path", self.input, browse[0]), ("Output Path", self.mods, browse[1])):
            field = s.find(prefs, "text", name)
            self.expect(s.text(field) == "", f"{name} is empty on a first start")
            s.click(button, f"Browse for {name}")
            chooser = s.window("Browse for Folder")
            s.fill(s.find(chooser, "text", "Directory:"), folder)
            s.press(chooser, "Choose")
            s.closed(chooser)
            ds.wait_for(f"{name} to show the chosen folder", lambda: s.text(field) == folder)
        s.press(prefs, "OK")
        s.window_gone("Preferences")
        places = [os.path.join(self.prefix, "bin", "QUILL.INI"),
                  os.path.join(self.work, "home", ".config", "Quillforge", "QUILL.INI")]
        written = [p for p in places if os.path.exists(p)]
        self.expect(len(written) == 1, f"closing the dialog stored QUILL.INI in one place (found {written})")
        ini = open(written[0], encoding="latin-1").read()
        self.expect(f"Input={self.input}" in ini and f"Output={self.mods}" in ini,
                    f"QUILL.INI holds both folders:\n{ini}")

    def new_mod(self):
        s = self.s
        s.click(self.button("New"))
        # Typed without the extension: the dialog adds ".QLM".
        s.choose_file("Create Diablo II Mod", "MyMod", "Save")
        ds.wait_for("the caption of the new mod", lambda: self.main.name == "Quillforge (MyMod.QLM)")
        self.expect(s.enabled(self.button("Add")), "Add is on after New")
        self.expect(not s.enabled(self.button("Update")), "Update is off after New")

    def add_files(self):
        s = self.s
        s.click(self.button("Add"))
        dialog = s.window("Add file(s)")
        self.expect(s.find(dialog, "combo box").name == self.input, "Add opens in the input folder")
        s.fill(s.find(dialog, "text", "File name:"), '"TreasureClassEx.txt" "gethit12.wav"')
        s.press(dialog, "Open")
        s.window_gone("Add file(s)")
        # One prompt per chosen file, in the dialog's order: the first proposes the bare file name,
        # the next one the folder typed for the first.
        answers = {"TreasureClassEx.txt": SHEET_NAME, "gethit12.wav": SOUND_NAME}
        folder, expected_rows = "", []
        for _ in range(2):
            prompt = s.window("Internal Name")
            field = s.find(prompt, "text", "Enter the internal directory and name:")
            proposal = s.text(field)
            base = proposal.rsplit("\\", 1)[-1]
            self.expect(base in answers and proposal == folder + base,
                        f"the prompt proposes {folder!r} and a chosen file's name (got {proposal!r})")
            answer = answers.pop(base)
            s.fill(field, answer)
            s.press(prompt, "OK")
            s.closed(prompt)
            folder = answer[:answer.rindex("\\") + 1]
            expected_rows.append([answer, f"{os.path.getsize(os.path.join(self.input, base))} Bytes"])
        files = s.find(self.main, "table", "Files")
        rows = ds.wait_for("two rows in the Files list", lambda: len(self.rows(files)) == 2 and self.rows(files))
        self.expect(rows == expected_rows, f"the Files list shows both files with their sizes (got {rows})")
        self.expect(s.enabled(self.button("Update")), "Update is on after Add")

    def type_mod_info(self):
        s = self.s
        self.page("Mod Info")
        title = s.find(self.main, "text", "Title")
        s.click(title)
        ds.wait_for("the Title field to take the focus", lambda: s.at.STATE_FOCUSED in title.getState().getStates())
        s.type(MOD_INFO[0][1])  # typed key by key
        ds.wait_for("the typed title", lambda: s.text(title) == MOD_INFO[0][1])
        for name, text in MOD_INFO[1:]:
            s.fill(s.find(self.main, "text", name), text)
        s.screenshot(self.main, os.path.join(self.o.shots, "mod-info-page.png"))

    def update(self):
        s = self.s
        s.click(self.button("Update"))
        ds.wait_for("Update to finish and turn off", lambda: not s.enabled(self.button("Update")), timeout=20)
        match = ds.caption_pattern("MyMod.QLM").fullmatch(self.main.name)
        size = os.path.getsize(self.archive)
        self.expect(match and int(match.group(1)) == size,
                    f"the caption shows the archive's size {size}: {self.main.name}")

    def open_mod(self):
        s = self.s
        s.click(self.button("Open"))
        s.choose_file("Open Diablo II Mod", self.archive, "Open")
        pattern = ds.caption_pattern("MyMod.QLM")
        ds.wait_for("the caption of the opened mod", lambda: pattern.fullmatch(self.main.name), timeout=20)
        self.page("Files")
        files = s.find(self.main, "table", "Files")
        rows = ds.wait_for("the listed entries", lambda: self.rows(files))
        names = sorted(r[0] for r in rows)
        self.expect(names == sorted([SHEET_NAME, SOUND_NAME]),
                    f"the opened mod lists the two entries and hides (modinfo) (got {names})")
        self.expect(not s.enabled(self.button("Update")), "a freshly opened mod has no pending changes")
        s.screenshot(self.main, os.path.join(self.o.shots, "files-page.png"))
        self.page("Mod Info")
        for name, text in MOD_INFO:
            shown = s.text(s.find(self.main, "text", name)).replace("\r\n", "\n")
            self.expect(shown == text, f"{name} reads back {text!r} from the archive (got {shown!r})")

    def edit_sheet(self):
        s = self.s
        self.page("Files")
        files = s.find(self.main, "table", "Files")
        s.click(self.cell(files, SHEET_NAME), f'the row "{SHEET_NAME}"')
        self.page("Edit")
        grid = s.find(self.main, "table", "Sheet grid")
        original = open(self.sheet_src, "rb").read()
        header = original.split(b"\r\n", 1)[0].split(b"\t")
        table = grid.queryTable()
        ds.wait_for("the sheet in the grid",
                    lambda: table.nColumns == len(header) and table.nRows == original.count(b"\r\n") - 1,
                    timeout=20)
        heading = table.getColumnDescription(EDIT_COL)
        self.expect(heading == header[EDIT_COL].decode("cp1252"),
                    f"the header row is the grid's fixed row (got {heading!r})")
        cell = table.getAccessibleAt(EDIT_ROW, EDIT_COL)
        before = cell.name
        s.click(cell, "the cell to change")
        # The cell editor opens in the current cell; replace its text key by key. The grid stores
        # every change at once, so the cell reads what was typed.
        s.key(ds.KEY_END)
        for _ in range(len(before)):
            s.key(ds.KEY_BACKSPACE)
        s.type(EDIT_TEXT)
        ds.wait_for("the typed cell text", lambda: table.getAccessibleAt(EDIT_ROW, EDIT_COL).name == EDIT_TEXT)
        s.screenshot(self.main, os.path.join(self.o.shots, "edit-page.png"))

        s.click(self.find_button(self.main, "Save", "Edit Toolbar"))
        saved = os.path.join(self.out, "TreasureClassEx.txt")
        s.choose_file("Save Diablo II Sheet", saved, "Save")
        expected = edited_sheet(original)
        ds.wait_for("the saved sheet file", lambda: os.path.exists(saved) and open(saved, "rb").read() == expected)
        # The saved file is now the entry's pending source, so Update has something to write.
        self.expect(s.enabled(self.button("Update")), "saving a sheet turns Update on")

    def change_mod_version(self):
        s = self.s
        self.page("Mod Info")
        MOD_INFO[4] = ("Mod Version", "1.1")
        s.fill(s.find(self.main, "text", "Mod Version"), "1.1")
        self.expect(s.enabled(self.button("Update")), "Update stays on after a Mod Info change")

    def export_sound(self):
        s = self.s
        self.page("Files")
        files = s.find(self.main, "table", "Files")
        s.click(self.cell(files, SOUND_NAME), f'the row "{SOUND_NAME}"')
        s.click(self.button("Export"))
        dialog = s.window("Export File")
        field = s.find(dialog, "text", "File name:")
        self.expect(s.text(field) == "gethit12.wav", f"Export proposes the entry's file name (got {s.text(field)!r})")
        exported = os.path.join(self.out, "gethit12-exported.wav")
        s.fill(field, exported)
        s.press(dialog, "Save")
        s.window_gone("Export File")
        expected = open(self.sound_src, "rb").read()
        ds.wait_for("the exported file", lambda: os.path.exists(exported) and open(exported, "rb").read() == expected)

    def exit(self):
        self.s.menu(self.main, "File", "Exit")
        code = self.s.wait_exit()
        self.expect(code == 0, f"the program exits with 0 (got {code})")

    def check_archive(self):
        listing = subprocess.run(["smpq", "-l", self.archive], stdout=subprocess.PIPE, text=True, check=True).stdout
        # Lines of size, date, time and name; smpq shows the archive's backslashes as slashes.
        names = {line.split(None, 3)[3] for line in listing.splitlines() if len(line.split(None, 3)) == 4}
        for name in (SHEET, SOUND, "(modinfo)"):
            self.expect(name in names, f"smpq lists {name} (listing: {sorted(names)})")
        extracted = os.path.join(self.work, "extracted")
        os.makedirs(extracted)
        subprocess.run(["smpq", "-x", self.archive], cwd=extracted, check=True, stdout=subprocess.DEVNULL)
        read = lambda rel: open(os.path.join(extracted, rel), "rb").read()  # noqa: E731
        self.expect(read(SHEET) == edited_sheet(open(self.sheet_src, "rb").read()),
                    "the archive holds the edited sheet byte for byte")
        self.expect(read(SOUND) == open(self.sound_src, "rb").read(), "the archive holds the sound unchanged")
        self.expect(read("(modinfo)") == mod_info_record([t for _, t in MOD_INFO]),
                    "the archive's (modinfo) is the record of the typed texts, with the new version")

    # -- helpers --

    def button(self, caption):
        return self.find_button(self.main, caption, "File")

    def find_button(self, window, caption, toolbar):
        return self.s.find(self.s.find(window, "tool bar", toolbar), "push button", caption)

    PAGE_CONTROLS = {"Files": ("table", "Files"), "Edit": ("table", "Sheet grid"), "Mod Info": ("text", "Title")}

    def page(self, caption):
        """Clicks the page's tab and waits until a control of that page is on the screen."""
        tab = self.s.find(self.main, "page tab", caption)
        self.s.click(tab, f'the "{caption}" tab')
        role, name = self.PAGE_CONTROLS[caption]
        self.s.find(self.main, role, name)

    def rows(self, files):
        table = files.queryTable()
        return [[table.getAccessibleAt(r, c).name for c in range(table.nColumns)] for r in range(table.nRows)]

    def cell(self, files, name):
        table = files.queryTable()
        for r in range(table.nRows):
            if table.getAccessibleAt(r, 0).name == name:
                return table.getAccessibleAt(r, 0)
        raise ds.E2EFailure(f"no row {name!r} in the Files list")

    def expect(self, condition, what):
        if not condition:
            raise ds.E2EFailure("expected: " + what)
        ds.log("ok: " + what)

    def run(self):
        steps = [self.start, self.about_box, self.preferences, self.new_mod, self.add_files, self.type_mod_info,
                 self.update, self.open_mod, self.edit_sheet, self.change_mod_version, self.update,
                 self.export_sound, self.exit, self.check_archive]
        try:
            for step in steps:
                ds.log("step: " + step.__name__)
                step()
        finally:
            if self.s:
                self.s.kill()
        shutil.rmtree(self.work, ignore_errors=True)


def main():
    def arguments(parser):
        parser.add_argument("--shots", required=True, type=os.path.abspath, help="folder for the screenshots")

    def body(options):
        os.makedirs(options.shots, exist_ok=True)
        UserSession(options).run()
        print("PASS: the user session ran from a first start to the checked archive", flush=True)

    ds.run_test(__doc__, arguments, body)


if __name__ == "__main__":
    main()
