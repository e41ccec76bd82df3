"""The Debian package as a user meets it, run as root in a scratch root (scripts/test-package): apt
installs it, the desktop names Quillforge for ".QLM" files, /usr/bin/quillforge started with a mod
updates it through the installed ARCHWRIT, and removal leaves none of its files.

Usage: e2e_package.py --deb PACKAGE --fixtures MOD_DIR
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session as ds  # noqa: E402
from e2e_desktop_launch import MOD_TYPE, expect, make_mod_with_smpq  # noqa: E402
from e2e_user_session import mod_info_record  # noqa: E402

NEW_TITLE = "Updated by the installed ARCHWRIT"


def run(*command, env=None, cwd=None):
    result = subprocess.run(command, env=env, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        raise ds.E2EFailure(f"{' '.join(command)} failed:\n{result.stdout}")
    return result.stdout


def desktop_answers(work):
    """For a user with no settings of their own: the default application for the mod type, and the
    type of a file named *.QLM (the name alone decides)."""
    env = ds.user_environment(work)
    sample = os.path.join(work, "Sample.QLM")
    with open(sample, "wb") as f:
        f.write(b"not an archive")
    default = subprocess.run(["xdg-mime", "query", "default", MOD_TYPE], env=env, stdout=subprocess.PIPE, text=True)
    info = run("gio", "info", "-a", "standard::content-type", sample, env=env)
    return default.stdout.strip(), info.rsplit(":", 1)[-1].strip()


def update_with_installed_program(archive, work, fbdir):
    """A new title and Update: with no copy beside the program and no library path set, the mod is
    written through the installed ARCHWRIT or not at all."""
    session = ds.Session(["/usr/bin/quillforge", archive], ds.user_environment(work), fbdir)
    try:
        main = session.window(ds.caption_pattern(os.path.basename(archive)), timeout=20)
        session.click(session.find(main, "page tab", "Mod Info"), 'the "Mod Info" tab')
        session.fill(session.find(main, "text", "Title"), NEW_TITLE)
        update = session.find(session.find(main, "tool bar", "File"), "push button", "Update")
        session.click(update)
        try:
            ds.wait_for("Update to finish and turn off", lambda: not session.enabled(update), timeout=20)
        except ds.E2EFailure as failure:
            shown = [label.name for w in session.windows() for label in session.find_all(w, "label")]
            raise ds.E2EFailure(f"{failure}; the program shows {shown}") from None
        session.menu(main, "File", "Exit")
        session.wait_exit()
    finally:
        session.kill()
    os.makedirs(os.path.join(work, "extracted"))
    run("smpq", "-x", archive, cwd=os.path.join(work, "extracted"))
    with open(os.path.join(work, "extracted", "(modinfo)"), "rb") as f:
        expect(f.read() == mod_info_record([NEW_TITLE, "", "", "", "", ""]),
               "Update wrote the new title into the mod through the installed ARCHWRIT")


def body(options):
    work = ds.scratch("qf-e2e-package-")
    apt = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    expect(desktop_answers(work)[1] != MOD_TYPE, "before the install the desktop knows no mod type")
    run("apt-get", "install", "-y", "--no-install-recommends", options.deb, env=apt)  # the user's install line
    files = [f for f in run("dpkg", "-L", "quillforge").splitlines() if f.startswith("/") and f != "/."]
    try:
        libraries = [f for f in files if f.endswith("/libARCHWRIT.so")]
        expect("/usr/bin/quillforge" in files and len(libraries) == 1 and libraries[0].startswith("/usr/lib/"),
               f"the package installs /usr/bin/quillforge and ARCHWRIT in a private library folder {libraries}")
        expect(desktop_answers(work) == ("quillforge.desktop", MOD_TYPE), "the desktop names Quillforge for .QLM files")
        cache = "/usr/share/icons/hicolor/icon-theme.cache"  # kept where gtk-update-icon-cache is installed
        expect(not os.path.exists(cache) or b"quillforge" in open(cache, "rb").read(), "the icon cache has the icon")
        update_with_installed_program(make_mod_with_smpq(options.fixtures, work), work, options.fbdir)
    finally:
        run("apt-get", "remove", "-y", "quillforge", env=apt)
    owned = lambda path: subprocess.run(["dpkg", "-S", path], capture_output=True).returncode == 0  # noqa: E731
    left = [f for f in files if os.path.lexists(f) and not (os.path.isdir(f) and owned(f))]
    expect(not left, f"removal leaves none of the package's files and folders (left: {left})")
    answers = desktop_answers(work)
    expect("quillforge.desktop" not in answers and MOD_TYPE not in answers, f"the desktop forgets Quillforge {answers}")
    print("PASS: the package installed, updated a mod through its own ARCHWRIT and went away", flush=True)


if __name__ == "__main__":
    ds.run_test(__doc__, lambda parser: parser.add_argument("--deb", required=True, type=os.path.abspath), body)
