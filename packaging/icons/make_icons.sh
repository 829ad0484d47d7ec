#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG (needs rsvg-convert,
# Debian package librsvg2-bin). The PNGs are kept in the repository.
set -eu
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" org.vokabino.Vokabino.svg -o "org.vokabino.Vokabino-$size.png"
done
