#!/usr/bin/env bash
# Builds Tavrine 3D with its generated content pack and runs the show. Esc ends it early.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh watch
cd build/content
exec ../tavrine3d
