"""The game's pictures in the installed Quillforge's real window.

Builds a mod of a DC6, a DCC and a palette with `quillforge build`, starts the window with it, shows the
DC6 on the Edit page, exports the shown frame, imports another picture's frame over it, saves the DC6 and
Updates; plays the DCC and pauses it. The archive must then hold the DC6 with the imported frame and its
other frames unchanged. Screenshots of the picture page go to --shots when it is given.

Usage: e2e_pictures.py --cmake CMAKE --build BUILD_DIR --fixtures MOD_DIR [--shots OUT_DIR]
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session as ds  # noqa: E402

DC6 = "data/global/ui/plugy/StashBtns.dc6"
DCC = "data/global/monsters/blood/BloodSmall01.dcc"
PALETTE = "data/global/palette/ACT1/pal.dat"
OTHER = "data/global/items/invcap.DC6"
KEY_DOWN = 0xFF54
KEY_RETURN = 0xFF0D


def png_size(path):
    data = open(path, "rb").read(24)
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ds.E2EFailure(f"{path} is not a PNG")
    return struct.unpack(">II", data[16:24])


class PictureSession:
    def __init__(self, options):
        self.o = options
        self.graphics = os.path.join(os.path.dirname(options.fixtures), "graphics")
        self.work = ds.scratch("qf-e2e-pictures-")
        self.tree = os.path.join(self.work, "tree")
        for rel in (DC6, DCC, PALETTE):
            os.makedirs(os.path.dirname(os.path.join(self.tree, rel)), exist_ok=True)
            shutil.copy(os.path.join(self.graphics, rel), os.path.join(self.tree, rel))
        self.archive = os.path.join(self.work, "Pictures.QLM")
        self.out = os.path.join(self.work, "out")
        os.makedirs(self.out)
        self.s = None

    def convert(self, source, folder):
        os.makedirs(folder, exist_ok=True)
        subprocess.run([self.program, "convert", source, folder, "--palette",
                        os.path.join(self.tree, PALETTE)], env=self.env, check=True, stdout=subprocess.DEVNULL)
        return sorted(os.listdir(folder))

    def start(self):
        ds.log(f"scratch folder {self.work}")
        self.program = ds.install(self.o.cmake, self.o.build, os.path.join(self.work, "prefix"))
        self.env = ds.user_environment(self.work)
        subprocess.run([self.program, "build", os.path.join(self.tree, "data"), "-o", self.archive, "--prefix",
                        "data\\", "-q"], env=self.env, check=True)
        # The frame to import: another picture's first frame, with offsets of its own.
        self.other = os.path.join(self.work, "other")
        self.other_png = os.path.join(self.other, self.convert(os.path.join(self.graphics, OTHER), self.other)[0])
        self.s = ds.Session([self.program, self.archive], self.env, self.o.fbdir)
        self.main = self.s.window(ds.caption_pattern("Pictures.QLM"), timeout=20)

    def show_dc6(self):
        self.open_entry(DC6)
        self.size = self.frame_size()

    def export_frame(self):
        s = self.s
        self.pick(self.button("Export Picture"))  # Shown frame...
        exported = os.path.join(self.out, "cap.png")
        s.choose_file("Export Frame", exported, "Save")
        ds.wait_for("the exported frame", lambda: os.path.exists(exported) and os.path.getsize(exported) > 0)
        self.expect(png_size(exported) == self.size, f"the exported PNG is the frame's {self.size} pixels")

    def import_and_save(self):
        s = self.s
        self.pick(self.button("Import Picture"))  # Replace the shown frame...
        s.choose_file("Import Frame", self.other_png, "Open")
        wanted = png_size(self.other_png)
        ds.wait_for(f"the imported frame's {wanted} pixels", lambda: self.frame_size() == wanted)
        self.shot("picture-page.png")
        s.click(s.find(s.find(self.main, "tool bar", "Edit Toolbar"), "push button", "Save"))
        self.saved = os.path.join(self.out, "StashBtns.dc6")
        s.choose_file("Save DC6 Image", self.saved, "Save")
        ds.wait_for("the saved DC6", lambda: os.path.exists(self.saved))
        update = s.find(s.find(self.main, "tool bar", "File"), "push button", "Update")
        s.click(update)
        ds.wait_for("Update to finish and turn off", lambda: not s.enabled(update), timeout=20)

    def play_dcc(self):
        s = self.s
        self.open_entry(DCC)
        frame = s.find(self.main, "spin button", "Frame")
        value = frame.queryValue()
        play = s.find(self.main, "push button", "Play")
        start = value.currentValue
        s.click(play, "Play")
        ds.wait_for("the DCC to move on by itself", lambda: value.currentValue != start, timeout=5)
        self.shot("picture-page-dcc.png")
        s.click(play, "Pause")
        time.sleep(0.3)
        paused = value.currentValue
        time.sleep(0.5)
        self.expect(value.currentValue == paused, "Pause holds the frame")

    def exit(self):
        self.s.menu(self.main, "File", "Exit")
        code = self.s.wait_exit()
        self.expect(code == 0, f"the program exits with 0 (got {code})")

    def check_archive(self):
        extracted = os.path.join(self.work, "extracted")
        os.makedirs(extracted)
        subprocess.run(["smpq", "-x", self.archive], cwd=extracted, check=True, stdout=subprocess.DEVNULL)
        held = open(os.path.join(extracted, DC6), "rb").read()
        self.expect(held == open(self.saved, "rb").read(), "the archive holds the saved DC6 byte for byte")
        self.expect(held != open(os.path.join(self.tree, DC6), "rb").read(), "the DC6 in the archive changed")
        # Frame 0 is the imported picture's; the rest are the old ones.
        after = os.path.join(self.work, "after")
        before = os.path.join(self.work, "before")
        names = self.convert(os.path.join(extracted, DC6), after)
        self.expect(names == self.convert(os.path.join(self.tree, DC6), before), "the DC6 keeps its frames")
        read = lambda folder, name: open(os.path.join(folder, name), "rb").read()  # noqa: E731
        self.expect(read(after, names[0]) == open(self.other_png, "rb").read(),
                    "the first frame is the imported one, pixels and offsets")
        self.expect(len(names) > 1, "the DC6 has frames besides the imported one")
        for name in names[1:]:
            self.expect(read(after, name) == read(before, name), f"{name} is unchanged")

    # -- helpers --

    def open_entry(self, rel):
        s = self.s
        name = rel.replace("/", "\\")
        s.click(s.find(self.main, "page tab", "Files"), 'the "Files" tab')
        table = s.find(self.main, "table", "Files").queryTable()
        row = next((table.getAccessibleAt(r, 0) for r in range(table.nRows)
                    if table.getAccessibleAt(r, 0).name == name), None)
        if row is None:
            raise ds.E2EFailure(f"no row {name!r} in the Files list")
        s.click(row, f'the row "{name}"')
        s.click(s.find(self.main, "page tab", "Edit"), 'the "Edit" tab')
        ds.wait_for(f"{name} on the picture page", lambda: self.frame_size() is not None)

    def frame_size(self):
        """The shown frame's width and height, as the page's frame line gives them."""
        line = self.s.find(self.main, "label", "Frame size and offset").description or ""
        match = re.match(r"(\d+) \u00d7 (\d+) pixels", line)
        return (int(match.group(1)), int(match.group(2))) if match else None

    def button(self, name):
        return self.s.find(self.main, "push button", name)

    def pick(self, button):
        """The first item of the button's menu. Its popup is not on the accessibility bus: the menu
        takes the keyboard once it is open."""
        s = self.s
        s.click(button)
        time.sleep(0.5)
        s.key(KEY_DOWN)
        s.key(KEY_RETURN)

    def shot(self, name):
        if self.o.shots:
            self.s.find(self.main, "spin button", "Zoom").queryValue().currentValue = 3
            self.s.screenshot(self.main, os.path.join(self.o.shots, name))

    def expect(self, condition, what):
        if not condition:
            raise ds.E2EFailure("expected: " + what)
        ds.log("ok: " + what)

    def run(self):
        try:
            for step in (self.start, self.show_dc6, self.export_frame, self.import_and_save, self.play_dcc,
                         self.exit, self.check_archive):
                ds.log("step: " + step.__name__)
                step()
        finally:
            if self.s:
                self.s.kill()
            shutil.rmtree(self.work, ignore_errors=True)


def main():
    def arguments(parser):
        parser.add_argument("--shots", type=os.path.abspath, help="folder for the screenshots")

    def body(options):
        if not os.path.isdir(os.path.join(os.path.dirname(options.fixtures), "graphics")):
            print("SKIP: no graphics fixtures beside the mod fixtures")
            sys.exit(77)
        if options.shots:
            os.makedirs(options.shots, exist_ok=True)
        PictureSession(options).run()
        print("PASS: a DC6 shown, exported, imported and saved, a DCC played, in the real window", flush=True)

    ds.run_test(__doc__, arguments, body)


if __name__ == "__main__":
    main()
