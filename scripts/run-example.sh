#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is needed, builds Glossa and opens it on the bundled example source, in file
# mode with the caret on a procedure. Without a display it runs under Xvfb, saves a screenshot
# of the window to screenshots/ and ends.
set -euo pipefail
cd "$(dirname "$0")/.."

# Xvfb only when there is no display to open the window on.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  bash scripts/install-deps.sh build
else
  bash scripts/install-deps.sh example
fi

cmake --preset dev >/dev/null
cmake --build --preset dev --target glossa

work=$(mktemp -d)
cp examples/example.pb "$work/example.pb"
echo "Editing a copy of examples/example.pb: $work/example.pb"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/dev/glossa "$work/example.pb" -caret:20x5 || true
  echo "Source after the run: $work/example.pb"
else
  mkdir -p screenshots
  shot="$PWD/screenshots/glossa-example.png"
  echo "No display: running under Xvfb and saving a screenshot to $shot"
  GLOSSA_SCREENSHOT="$shot" timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" \
    build/dev/glossa "$work/example.pb" -caret:20x5 || true
  if [ -f "$shot" ]; then
    echo "Screenshot saved: $shot"
  else
    echo "No screenshot was written (see the output above)." >&2
  fi
fi
