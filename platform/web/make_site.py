#!/usr/bin/env python3
"""Puts the web page together from the module, the page files and the art.

Writes into OUT_DIR:
  index.html            the page, served beside its files
  avelune.js, .wasm.z   the game module, its wasm deflated
  prop.bmp.z, AV1.wav.z the atlas and the start sound, deflated (zlib), which
                        the page inflates with DecompressionStream
  avelune-offline.html  everything in one file (module, art as base64), for
                        opening straight from the disk, where nothing can be
                        fetched
  manifest.webmanifest, avelune.png, avelune192.png, avelune512.png, sw.js
                        what makes the served page installable (icons drawn
                        at 32, 192 and 512 pixels) and lets it
                        start offline: the service worker caches this
                        version's files (the version is a hash of them all)
Every file is written beside its final name and renamed into place.
"""

import argparse
import base64
import hashlib
import json
import os
import shutil
import sys
import tempfile
import zlib

ICON_FILES = ("avelune.png", "avelune192.png", "avelune512.png")


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


def png_size(data, name):
    """The "WxH" a manifest gives for a PNG: its header's width and height."""
    if len(data) < 24 or data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit(f"make_site: {name} is not a PNG file")
    return f"{int.from_bytes(data[16:20], 'big')}x{int.from_bytes(data[20:24], 'big')}"


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
    touch_js = read(os.path.join(args.page_dir, "touch.js"), "r")
    # The menu bar's keyboard goes first: the page's script calls it.
    js = read(os.path.join(args.page_dir, "menubar.js"), "r") + "\n" + js
    icon = base64.b64encode(read(os.path.join(args.art_dir, "avelune.png"))).decode("ascii")
    icon_url = "data:image/png;base64," + icon

    deflated = {}
    for name in ("prop.bmp", "AV1.wav"):
        deflated[name] = zlib.compress(read(os.path.join(args.art_dir, name)), 9)
        write(os.path.join(args.out_dir, name + ".z"), deflated[name])

    wasm = os.path.splitext(args.module)[0] + ".wasm"
    module_js, module_wasm = read(args.module), read(wasm)
    write(os.path.join(args.out_dir, "avelune.js"), module_js)
    # The page fetches the wasm deflated too and compiles it itself.
    write(os.path.join(args.out_dir, "avelune.wasm.z"), zlib.compress(module_wasm, 9))
    stale = os.path.join(args.out_dir, "avelune.wasm")
    if os.path.exists(stale):
        os.unlink(stale)
    # The icons the manifest lists, as the generator drew them at each size.
    icons = {}
    for name in ICON_FILES:
        icons[name] = read(os.path.join(args.art_dir, name))
        write(os.path.join(args.out_dir, name), icons[name])

    # The version: every byte the served page is made of.
    sw_template = read(os.path.join(args.page_dir, "sw.js"), "r")
    digest = hashlib.sha256()
    for part in (page, css, js, touch_js, sw_template, module_js, module_wasm, *icons.values(), *deflated.values()):
        digest.update(part.encode("utf-8") if isinstance(part, str) else part)
        digest.update(b"\0")
    version = digest.hexdigest()[:16]

    common = {"PAGE_CSS": css, "PAGE_JS": js, "TOUCH_JS": touch_js, "ICON_URL": icon_url, "VERSION": version}
    served = fill(page, dict(common, DATA_BLOCKS="", MODULE_SCRIPT='<script src="avelune.js"></script>',
                             MANIFEST='<link rel="manifest" href="manifest.webmanifest">'))
    write(os.path.join(args.out_dir, "index.html"), served)

    manifest = {
        "name": "Avelune", "short_name": "Avelune", "description": "Instrument landing trainer",
        "start_url": "./", "scope": "./", "display": "standalone",
        "background_color": "#000000", "theme_color": "#000080",
        "icons": [{"src": name, "sizes": png_size(data, name), "type": "image/png", "purpose": "any"}
                  for name, data in icons.items()],
    }
    write(os.path.join(args.out_dir, "manifest.webmanifest"), json.dumps(manifest, indent=2) + "\n")
    files = ["./", "index.html", "avelune.js", "avelune.wasm.z", "prop.bmp.z", "AV1.wav.z", *ICON_FILES,
             "manifest.webmanifest"]
    write(os.path.join(args.out_dir, "sw.js"), fill(sw_template, {"VERSION": version, "FILES": json.dumps(files)}))

    # A script element never ends early on base64 text, nor on the module as
    # long as it has no closing script tag.
    single_js = read(args.single_module, "r")
    if "</script" in single_js.lower():
        sys.exit("make_site: the module holds a closing script tag and cannot be inlined")
    blocks = "\n".join(
        f'<script type="application/octet-stream" id="data-{name}">{base64.b64encode(data).decode("ascii")}</script>'
        for name, data in deflated.items())
    offline = fill(page, dict(common, DATA_BLOCKS=blocks, MODULE_SCRIPT=f"<script>\n{single_js}\n</script>",
                              MANIFEST=""))
    write(os.path.join(args.out_dir, "avelune-offline.html"), offline)


if __name__ == "__main__":
    main()
