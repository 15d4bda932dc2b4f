#!/usr/bin/env bash
# Builds the web page into build-web/site/ and serves it on 127.0.0.1.
#
#   scripts/web.sh             build, then serve on port 8000 (or $AVELUNE_WEB_PORT)
#   scripts/web.sh --build     build only
#   scripts/web.sh --test      build, then run the browser tests (tests/web/) in
#                              headless Chromium, with puppeteer-core installed
#                              by npm ci from tests/web/package-lock.json
#
# The art is drawn by the native generator, so the native release build's
# atlasgen runs first (target avelune_art); then emscripten builds the game and
# the page. build-web/site/avelune-offline.html is the same page in one file,
# to open straight from the disk.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-packages.sh

# emcc's JavaScript optimiser finds Debian's acorn there whatever node runs it.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
jobs="$(nproc)"

echo "=== native: the art generator"
bash scripts/configure.sh release
cmake --build --preset release -j"$jobs" --target avelune_art
echo "=== web: the game and its page"
bash scripts/configure.sh web
cmake --build --preset web -j"$jobs"

site="$root/build-web/site"
echo "=== the page: $site/index.html (one file: $site/avelune-offline.html)"
[[ "${1:-}" == "--build" ]] && exit 0

if [[ "${1:-}" == "--test" ]]; then
  echo "=== web: the browser tests"
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
  exec node --test tests/web/*.test.mjs
fi

port="${AVELUNE_WEB_PORT:-8000}"
echo "=== serving at http://127.0.0.1:$port/  (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
