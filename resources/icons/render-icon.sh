#!/usr/bin/env bash
# Renders Mensuro's application icon (two survey pillars and the measuring
# beam between them) from mensuro-icon.svg to PNG: mensuro-icon.png at
# 78x78 pixels and mensuro-icon-256.png at 256x256, both 32-bit RGBA.
# Needs rsvg-convert, from the Debian package librsvg2-bin.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
svg="$here/mensuro-icon.svg"

if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "render-icon.sh: rsvg-convert not found; install the Debian package librsvg2-bin" >&2
  echo "  (apt-get install -y --no-install-recommends librsvg2-bin)" >&2
  exit 1
fi

render() {
  local size="$1" out="$2"
  rsvg-convert --format=png --width="$size" --height="$size" \
    --output="$out" "$svg"
  echo "Wrote $out (${size}x${size})"
}

render 78 "$here/mensuro-icon.png"
render 256 "$here/mensuro-icon-256.png"

# The Windows icon (programs, installer, shortcuts) from the 256-pixel picture, with the sizes
# Explorer and the Start menu ask for. Needs ImageMagick's convert.
if command -v convert >/dev/null 2>&1; then
  convert "$here/mensuro-icon-256.png" -define icon:auto-resize=256,64,48,32,16 "$here/mensuro.ico"
  echo "Wrote $here/mensuro.ico"
fi
