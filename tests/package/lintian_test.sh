#!/usr/bin/env bash
# Debian's own checker on the package that scripts/package wrote (QUINTREL_PACKAGE_DEB):
# any error or warning fails; skipped without a package.
set -euo pipefail
deb=${QUINTREL_PACKAGE_DEB:-}
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    echo "skip: no package; set QUINTREL_PACKAGE_DEB to the .deb that scripts/package writes"
    exit 77
fi
options=(--fail-on error,warning)
# lintian refuses to run as root unless told; test machines and containers run as root.
[ "$(id -u)" -ne 0 ] || options+=(--allow-root)
lintian "${options[@]}" "$deb"
echo "lintian: no errors or warnings"
