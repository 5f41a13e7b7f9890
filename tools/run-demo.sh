#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/tools/setup.sh" "$here/build" -DUMBRAFEN_TESTS=OFF
exec "$here/build/bin/umbrafen"
