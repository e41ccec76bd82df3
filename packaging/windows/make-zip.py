#!/usr/bin/env python3
"""Packs a folder into a zip that comes out byte for byte the same from the
same files: entries in sorted order below one top folder named as the folder
itself, each with the same time (SOURCE_DATE_EPOCH, else 1 January 1980) and
the same attributes, whatever the files' own times and modes.

    make-zip.py FOLDER OUT.zip"""
import os
import sys
import time
import zipfile


def entries(folder):
    """Every file and folder below folder, as (zip name, path), sorted by name."""
    top = os.path.basename(os.path.normpath(folder))
    found = [(top + "/", folder)]
    for root, dirs, files in os.walk(folder):
        rel = os.path.relpath(root, folder)
        prefix = top + "/" if rel == "." else top + "/" + rel.replace(os.sep, "/") + "/"
        found += [(prefix + d + "/", os.path.join(root, d)) for d in dirs]
        found += [(prefix + f, os.path.join(root, f)) for f in files]
    return sorted(found)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, out = sys.argv[1], sys.argv[2]
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # a zip holds no time before 1980
    part = out + ".part"
    with zipfile.ZipFile(part, "w") as archive:
        for name, path in entries(folder):
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 0  # MS-DOS attributes, as a Windows zip has them
            if name.endswith("/"):
                info.external_attr = 0x10  # a folder
                archive.writestr(info, b"")
                continue
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as data:
                archive.writestr(info, data.read(), compresslevel=9)
    os.replace(part, out)


if __name__ == "__main__":
    main()
