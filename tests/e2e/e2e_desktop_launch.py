"""Desktop integration of the installed copy: the launcher entry, its icon and the ".QLM" file type
are in place, and starting the program the way the entry says, with a mod made by another tool as
its file, opens that mod.

Usage: e2e_desktop_launch.py --cmake CMAKE --build BUILD_DIR --fixtures MOD_DIR
"""
import configparser
import os
import re
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session as ds  # noqa: E402

MOD_TYPE = "application/x-quillforge-mod"
ENTRIES = ["data/global/excel/Arena.txt", "data/global/ui/panel/overlap.DC6"]
TITLE = "Made with smpq"


def expect(condition, what):
    if not condition:
        raise ds.E2EFailure("expected: " + what)
    ds.log("ok: " + what)


def desktop_entry(prefix):
    path = os.path.join(prefix, "share", "applications", "quillforge.desktop")
    expect(os.path.isfile(path), f"the launcher entry is installed at {path}")
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    return path, parser["Desktop Entry"]


def check_installed_files(prefix, entry):
    expect(entry.get("Type") == "Application", "the entry is an application")
    expect(entry.get("Exec") == "quillforge %f", f"the entry starts the program with one file (Exec={entry.get('Exec')})")
    expect(MOD_TYPE in entry.get("MimeType", "").split(";"), f"the entry handles {MOD_TYPE}")
    icon = os.path.join(prefix, "share", "icons", "hicolor", "scalable", "apps", entry.get("Icon", "") + ".svg")
    expect(os.path.isfile(icon), f"the entry's icon is installed at {icon}")
    bindir = os.path.join(prefix, "bin")
    expect(not os.path.exists(os.path.join(bindir, "libARCHWRIT.so")), "no library is installed among the programs")
    dynamic = subprocess.run(["readelf", "-d", os.path.join(bindir, "quillforge")],
                             stdout=subprocess.PIPE, text=True).stdout
    runpath = re.search(r"\(RUNPATH\)\s+Library runpath: \[(.*)\]", dynamic)
    folders = runpath.group(1).split(":") if runpath else []
    expect(folders and all(f.startswith("$ORIGIN/") for f in folders),
           f"the program's run path is relative to the program, so the installed copy can move ({folders})")
    expect(any(os.path.isfile(os.path.join(f.replace("$ORIGIN", bindir), "libARCHWRIT.so")) for f in folders),
           "the run path leads to the installed libARCHWRIT.so in the private library folder")


def check_file_type(prefix, work):
    """After update-mime-database, "*.QLM" and "*.qlm" files have the mod type."""
    mime = os.path.join(prefix, "share", "mime")
    expect(os.path.isfile(os.path.join(mime, "packages", "quillforge.xml")), "the MIME type is installed")
    subprocess.run(["update-mime-database", mime], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, XDG_DATA_DIRS=os.path.join(prefix, "share") + ":/usr/share",
               XDG_DATA_HOME=os.path.join(work, "no-user-data"))
    for name in ("Sample.QLM", "sample.qlm"):
        path = os.path.join(work, name)
        with open(path, "wb") as f:
            f.write(b"not an archive")  # the name alone decides
        info = subprocess.run(["gio", "info", "-a", "standard::content-type", path], env=env,
                              stdout=subprocess.PIPE, text=True, check=True).stdout
        expect(f"standard::content-type: {MOD_TYPE}" in info, f"{name} is a {MOD_TYPE} file")


def make_mod_with_smpq(fixtures, work):
    """A mod that another tool wrote: two fixture files and a "(modinfo)" record, by smpq."""
    staging = os.path.join(work, "staging")
    for rel in ENTRIES:
        os.makedirs(os.path.join(staging, os.path.dirname(rel)), exist_ok=True)
        shutil.copy(os.path.join(fixtures, rel), os.path.join(staging, rel))
    title = TITLE.encode("cp1252")
    with open(os.path.join(staging, "(modinfo)"), "wb") as f:
        f.write(struct.pack("<10i", len(title), 0, 0, 0, 0, 0, 0, 0, 0, 0) + title)
    archive = os.path.join(work, "From Elsewhere.QLM")
    subprocess.run(["smpq", "-c", "-q", "-M", "1", archive, "(modinfo)", *ENTRIES], cwd=staging, check=True)
    return archive


def launch_from_entry(desktop_file, archive, env):
    """`gio launch` reads the entry, puts the file in for %f and starts the program found on PATH,
    as a desktop does when a mod is opened from the file manager."""
    # The program inherits gio's output, so it goes to a file, not to a pipe that would stay open.
    with open(os.path.join(env["TMPDIR"], "gio-launch.log"), "w+") as out:
        gio = subprocess.run(["gio", "launch", desktop_file, archive], env=env, stdout=out, stderr=out,
                             timeout=30)
        out.seek(0)
        expect(gio.returncode == 0, f"gio launch starts the entry {out.read().strip()}")


def body(options):
    work = ds.scratch("qf-e2e-desktop-")
    session = None
    try:
        prefix = os.path.join(work, "prefix")
        ds.install(options.cmake, options.build, prefix)
        desktop_file, entry = desktop_entry(prefix)
        check_installed_files(prefix, entry)
        check_file_type(prefix, work)
        archive = make_mod_with_smpq(options.fixtures, work)

        env = ds.user_environment(work)
        env["PATH"] = os.path.join(prefix, "bin") + os.pathsep + os.environ.get("PATH", "")
        try:
            session = ds.Session(lambda: launch_from_entry(desktop_file, archive, env), env, options.fbdir)
        except ds.E2EFailure as failure:
            with open(os.path.join(env["TMPDIR"], "gio-launch.log")) as out:
                raise ds.E2EFailure(f"{failure}; the program said:\n{out.read()}") from None
        caption = ds.caption_pattern(os.path.basename(archive))
        main = session.window(caption, timeout=20)
        size = int(caption.fullmatch(main.name).group(1))
        expect(size == os.path.getsize(archive), f"the caption names the mod and its size: {main.name}")
        files = session.find(main, "table", "Files")
        table = files.queryTable()
        names = sorted(table.getAccessibleAt(r, 0).name for r in range(table.nRows))
        expect(names == sorted(e.replace("/", "\\") for e in ENTRIES),
               f"the Files list shows the mod's entries (got {names})")
        tab = session.find(main, "page tab", "Mod Info")
        session.click(tab, 'the "Mod Info" tab')
        title = session.find(main, "text", "Title")
        expect(session.text(title) == TITLE, f"the Mod Info page shows the mod's title (got {session.text(title)!r})")
        session.menu(main, "File", "Exit")
        session.wait_exit()
    finally:
        if session:
            session.kill()
    shutil.rmtree(work, ignore_errors=True)
    print("PASS: the installed copy, started from its launcher entry with a mod, opened that mod", flush=True)


if __name__ == "__main__":
    ds.run_test(__doc__, lambda parser: None, body)
