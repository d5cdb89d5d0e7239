#!/usr/bin/env bash
# Renders the About box picture of Mensuro (a total station on a tripod)
# from total-station.svg to PNG: totalStas_cropped.png at 348x300 pixels,
# 24-bit RGB (the drawing is fully opaque). The About box stretches it to
# about 122x105, so the PNG keeps that 1.16:1 shape.
# Needs rsvg-convert, from the Debian package librsvg2-bin.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
svg="$here/total-station.svg"
out="$here/totalStas_cropped.png"
width=348
height=300

if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "render-picture.sh: rsvg-convert not found; install the Debian package librsvg2-bin" >&2
  echo "  (apt-get install -y --no-install-recommends librsvg2-bin)" >&2
  exit 1
fi

rsvg-convert --format=png --width="$width" --height="$height" \
  --output="$out" "$svg"
echo "Wrote $out (${width}x${height})"
