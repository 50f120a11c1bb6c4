#!/usr/bin/env bash
# hardening-check on the three executables of the package that scripts/package wrote
# (QUINTREL_PACKAGE_DEB): PIE, stack protector, FORTIFY, RELRO and BIND_NOW, stack clash
# and control-flow protection where the system can have it; skipped without a package.
set -euo pipefail
deb=${QUINTREL_PACKAGE_DEB:-}
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    echo "skip: no package; set QUINTREL_PACKAGE_DEB to the .deb that scripts/package writes"
    exit 77
fi
# Control-flow protection shows only when every object linked carries it, the C library's
# start files too; Debian 12's do not, so no program built there has it (dpkg neither).
options=()
readelf -n "$(c++ -print-file-name=crt1.o)" | grep IBT >/dev/null || options+=(--nocfprotection)
# Branch protection is arm64's; newer hardening-check asks for it on every architecture
# (and its --help exits non-zero).
help=$(hardening-check --help 2>&1 || true)
if [ "$(uname -m)" != aarch64 ] && [[ $help == *--nobranchprotection* ]]; then
    options+=(--nobranchprotection)
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
hardening-check "${options[@]}" "$root/usr/bin/quintrel-companion" \
    "$root/usr/libexec/quintrel-companion/quintrel-sound" \
    "$root/usr/libexec/quintrel-companion/quintrel-dashboard"
