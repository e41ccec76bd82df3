"""The Debian package, installed as a user installs it. Run as root in a scratch root of its own
(scripts/test-package makes one): apt installs the package; the desktop then names Quillforge for
".QLM" files; the installed /usr/bin/quillforge, started with a mod, changes its title and updates it
through the installed ARCHWRIT; removing the package leaves none of its files and the desktop forgets it.

Usage: e2e_package.py --deb PACKAGE --fixtures MOD_DIR
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session as ds  # noqa: E402
from e2e_desktop_launch import MOD_TYPE, expect, make_mod_with_smpq  # noqa: E402
from e2e_user_session import mod_info_record  # noqa: E402

PROGRAM = "/usr/bin/quillforge"
NEW_TITLE = "Updated by the installed ARCHWRIT"


def run(*command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    if result.returncode != 0:
        raise ds.E2EFailure(f"{' '.join(command)} failed:\n{result.stdout}")
    return result.stdout


def desktop_answers(work):
    """What a desktop says of a mod for a user with no settings of their own: the default application
    for the mod type, and the type of a file named *.QLM."""
    home = os.path.join(work, "desktop-user")
    os.makedirs(home, exist_ok=True)
    env = {key: value for key, value in os.environ.items() if not key.startswith("XDG_")}
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_DATA_HOME=os.path.join(home, "data"))
    sample = os.path.join(work, "Sample.QLM")
    with open(sample, "wb") as f:
        f.write(b"not an archive")  # the name alone decides
    default = subprocess.run(["xdg-mime", "query", "default", MOD_TYPE], env=env, stdout=subprocess.PIPE,
                             text=True).stdout.strip()
    info = subprocess.run(["gio", "info", "-a", "standard::content-type", sample], env=env,
                          stdout=subprocess.PIPE, text=True, check=True).stdout
    return default, info.rsplit(":", 1)[-1].strip()


def check_installed(files, work):
    expect(PROGRAM in files, f"the package installs {PROGRAM}")
    libraries = [f for f in files if os.path.basename(f) == "libARCHWRIT.so"]
    expect(len(libraries) == 1 and libraries[0].startswith("/usr/lib/") and libraries[0].endswith("/quillforge/libARCHWRIT.so"),
           f"ARCHWRIT is installed once, in the program's private library folder (got {libraries})")
    expect(desktop_answers(work) == ("quillforge.desktop", MOD_TYPE),
           "the desktop names Quillforge as the application for .QLM files")
    # Debian's trigger rebuilds the icon cache where the system keeps one.
    cache = "/usr/share/icons/hicolor/icon-theme.cache"
    if os.path.exists(cache):
        with open(cache, "rb") as f:
            expect(b"quillforge" in f.read(), "the icon cache knows the Quillforge icon")


def update_with_installed_program(archive, work, fbdir):
    """The installed program opens the mod given on its command line; a new title and Update write the
    mod through whatever ARCHWRIT the program finds: with no copy beside it and no library path set, the
    installed one."""
    env = ds.user_environment(work)
    env.pop("LD_LIBRARY_PATH", None)
    session = ds.Session([PROGRAM, archive], env, fbdir)
    try:
        caption = ds.caption_pattern(os.path.basename(archive))
        main = session.window(caption, timeout=20)
        session.click(session.find(main, "page tab", "Mod Info"), 'the "Mod Info" tab')
        session.fill(session.find(main, "text", "Title"), NEW_TITLE)
        update = session.find(session.find(main, "tool bar", "File"), "push button", "Update")
        session.click(update)
        try:
            ds.wait_for("Update to finish and turn off", lambda: not session.enabled(update), timeout=20)
        except ds.E2EFailure as failure:
            shown = [(w.name, [label.name for label in session.find_all(w, "label")]) for w in session.windows()
                     if session.at.STATE_SHOWING in w.getState().getStates()]
            raise ds.E2EFailure(f"{failure}; the program shows {shown}") from None
        size = int(ds.wait_for("the caption with the new size", lambda: caption.fullmatch(main.name)).group(1))
        expect(size == os.path.getsize(archive), f"the caption shows the updated archive's size: {main.name}")
        session.menu(main, "File", "Exit")
        expect(session.wait_exit() == 0, "the program exits with 0")
    finally:
        session.kill()
    extracted = os.path.join(work, "extracted")
    os.makedirs(extracted)
    subprocess.run(["smpq", "-x", archive], cwd=extracted, check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(extracted, "(modinfo)"), "rb") as f:
        expect(f.read() == mod_info_record([NEW_TITLE, "", "", "", "", ""]),
               "the archive's (modinfo) holds the new title: Update wrote it through the installed ARCHWRIT")


def remove_and_check(files, work):
    """Removing, as a user does, leaves no trace: no package state, no file, no folder of its own."""
    run("apt-get", "remove", "-y", "quillforge")
    expect(subprocess.run(["dpkg", "-s", "quillforge"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode != 0, "dpkg keeps no state of the removed package")
    left = [f for f in files if os.path.lexists(f)
            and not (os.path.isdir(f) and subprocess.run(["dpkg", "-S", f], stdout=subprocess.DEVNULL,
                                                          stderr=subprocess.DEVNULL).returncode == 0)]
    expect(not left, f"removing leaves none of the package's files or folders (left: {left})")
    default, content_type = desktop_answers(work)
    expect(default != "quillforge.desktop" and content_type != MOD_TYPE,
           f"the desktop forgets Quillforge and the mod type (default {default!r}, type {content_type!r})")


def body(options):
    work = ds.scratch("qf-e2e-package-")
    expect(subprocess.run(["dpkg", "-s", "quillforge"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode != 0, "no quillforge package is installed yet")
    expect(desktop_answers(work)[1] != MOD_TYPE, "the desktop knows no mod type before the install")
    archive = make_mod_with_smpq(options.fixtures, work)
    # The user's install line: apt resolves the package's dependencies.
    ds.log(run("apt-get", "install", "-y", "--no-install-recommends", options.deb).strip().splitlines()[-1])
    files = [f for f in run("dpkg", "-L", "quillforge").splitlines() if f.startswith("/") and f != "/."]
    try:
        check_installed(files, work)
        update_with_installed_program(archive, work, options.fbdir)
    finally:
        remove_and_check(files, work)
    print("PASS: the package installed, updated a mod through its own ARCHWRIT and left nothing behind", flush=True)


if __name__ == "__main__":
    ds.run_test(__doc__, lambda parser: parser.add_argument("--deb", required=True, type=os.path.abspath), body)
