#!/usr/bin/env python3
"""Puts the web page together from the module, the page files and the art.

Writes into OUT_DIR:
  index.html            the page, served beside its files
  avelune.js/.wasm      the game module
  prop.bmp.z, AV1.wav.z the atlas and the start sound, deflated (zlib), which
                        the page inflates with DecompressionStream
  avelune-offline.html  everything in one file (module, art as base64), for
                        opening straight from the disk, where nothing can be
                        fetched
Every file is written beside its final name and renamed into place.
"""

import argparse
import base64
import os
import shutil
import sys
import tempfile
import zlib


def read(path, mode="rb"):
    try:
        with open(path, mode) as f:
            return f.read()
    except OSError as e:
        sys.exit(f"make_site: cannot read {path}: {e.strerror}")


def write(path, data):
    folder = os.path.dirname(path) or "."
    fd, temp = tempfile.mkstemp(prefix=".tmp-", dir=folder)
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("utf-8"))
        os.chmod(temp, 0o644)
        os.replace(temp, path)
    except OSError as e:
        os.unlink(temp)
        sys.exit(f"make_site: cannot write {path}: {e.strerror}")


def fill(template, values):
    for key, value in values.items():
        marker = f"@{key}@"
        if marker not in template:
            sys.exit(f"make_site: the page template has no {marker}")
        template = template.replace(marker, value)
    return template


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--page-dir", required=True, help="platform/web/page")
    parser.add_argument("--module", required=True, help="avelune.js (its .wasm beside it)")
    parser.add_argument("--single-module", required=True, help="the module with the wasm inside")
    parser.add_argument("--art-dir", required=True, help="folder with prop.bmp, AV1.wav, avelune.png")
    parser.add_argument("--out-dir", required=True)
    args = parser.parse_args()

    os.makedirs(args.out_dir, exist_ok=True)
    page = read(os.path.join(args.page_dir, "index.html"), "r")
    css = read(os.path.join(args.page_dir, "page.css"), "r")
    js = read(os.path.join(args.page_dir, "page.js"), "r")
    icon = base64.b64encode(read(os.path.join(args.art_dir, "avelune.png"))).decode("ascii")
    icon_url = "data:image/png;base64," + icon

    deflated = {}
    for name in ("prop.bmp", "AV1.wav"):
        deflated[name] = zlib.compress(read(os.path.join(args.art_dir, name)), 9)
        write(os.path.join(args.out_dir, name + ".z"), deflated[name])

    wasm = os.path.splitext(args.module)[0] + ".wasm"
    write(os.path.join(args.out_dir, "avelune.js"), read(args.module))
    write(os.path.join(args.out_dir, "avelune.wasm"), read(wasm))

    common = {"PAGE_CSS": css, "PAGE_JS": js, "ICON_URL": icon_url}
    served = fill(page, dict(common, DATA_BLOCKS="", MODULE_SCRIPT='<script src="avelune.js"></script>'))
    write(os.path.join(args.out_dir, "index.html"), served)

    # A script element never ends early on base64 text, nor on the module as
    # long as it has no closing script tag.
    single_js = read(args.single_module, "r")
    if "</script" in single_js.lower():
        sys.exit("make_site: the module holds a closing script tag and cannot be inlined")
    blocks = "\n".join(
        f'<script type="application/octet-stream" id="data-{name}">{base64.b64encode(data).decode("ascii")}</script>'
        for name, data in deflated.items())
    offline = fill(page, dict(common, DATA_BLOCKS=blocks, MODULE_SCRIPT=f"<script>\n{single_js}\n</script>"))
    write(os.path.join(args.out_dir, "avelune-offline.html"), offline)


if __name__ == "__main__":
    main()
