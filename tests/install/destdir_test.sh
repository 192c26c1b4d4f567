#!/usr/bin/env bash
# Installs the build into a scratch root (DESTDIR) and checks what lands where:
# the three executables, a valid desktop entry, the icon, the man pages; the
# installed command-line tool runs and, beside a folder it may not write to,
# takes the settings file from the user's configuration folder. Then builds the
# .deb and checks its dependencies and contents.
# Usage: destdir_test.sh BUILD_DIR SIM_EXECUTABLE
set -euo pipefail
build="$1"
root="$(mktemp -d)"
trap 'chmod -R u+w "$root"; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root/dest" cmake --install "$build" --prefix /usr >/dev/null
d="$root/dest/usr"
for f in bin/zovax-ether bin/zovax bin/zovax-board-sim \
         share/applications/zovax-ether.desktop \
         share/icons/hicolor/scalable/apps/zovax-ether.svg \
         share/man/man1/zovax.1 share/man/man1/zovax-ether.1 share/man/man1/zovax-board-sim.1; do
    [ -f "$d/$f" ] || fail "missing $f"
done
desktop-file-validate "$d/share/applications/zovax-ether.desktop" || fail "desktop entry does not validate"
for m in zovax zovax-ether zovax-board-sim; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$d/share/man/man1/$m.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page $m: $warnings"
done
"$d/bin/zovax" --help | grep -q "Usage: zovax COMMAND" || fail "zovax --help"

# A system folder (no write bit): the settings come from ~/.config/zovax-ether.
chmod a-w "$d/bin"
mkdir -p "$root/home/.config/zovax-ether"
printf '[LEARN]\r\nLTime___=notanumber\r\n[CLCNF]\r\nHost____=127.000.000.001\r\nPort____=1\r\n' \
    > "$root/home/.config/zovax-ether/zovax-ether.ini"
set +e
msg=$(HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" "$d/bin/zovax" version --timeout 500 2>&1)
status=$?
set -e
[ "$status" = 3 ] || fail "zovax version against a closed port: status $status ($msg)"
echo "$msg" | grep -q "127.000.000.001/1" || fail "settings not taken from the user folder: $msg"
chmod u+w "$d/bin"

# The package.
(cd "$build" && cpack -G DEB -B "$root/pkg" >/dev/null) || fail "cpack"
deb=$(ls "$root"/pkg/zovax-ether_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6core6 libqt6network6 libqt6serialport6 libqt6widgets6 libqt6gui6 qt6-qpa-plugins; do
    echo "$depends" | grep -q "$p" || fail "package does not depend on $p: $depends"
done
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/zovax ./usr/bin/zovax-ether ./usr/bin/zovax-board-sim ./usr/share/applications/zovax-ether.desktop; do
    echo "$contents" | grep -q " $f\$" || fail "package lacks $f"
done
echo "install and package: ok ($(basename "$deb"))"
