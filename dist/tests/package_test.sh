#!/usr/bin/env bash
# package_test.sh BUILD_DIR VERSION WITH_GUI: makes the Debian package from
# the build directory's programs (nothing is rebuilt, and everything CPack
# writes goes to a temporary directory), unpacks it into a temporary root and
# runs what it holds: the versions, the help, the manual page, and the data
# directory an installed (not portable) copy uses.
set -euo pipefail
build=$1
version=$2
gui=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" > "$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  fail "cpack could not make the package"
fi
deb="$tmp/out/zvonar_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$tmp/out")"

# Debian's own packages, as dpkg-shlibdeps names them from the libraries
# the programs link, and Qt's platform plugins to open a window with.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(tr ',' '\n' <<< "$depends" | sed -e 's/^ *//' -e 's/ .*//')
wanted=(libc6 libstdc++6 libxlsxwriter4)
[ "$gui" = 1 ] && wanted+=(libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins)
for p in "${wanted[@]}"; do
  grep -qxF "$p" <<< "$names" || fail "Depends lacks $p"
done

root="$tmp/root"
dpkg-deb -x "$deb" "$root"
files=(usr/bin/zvonar-cli usr/share/man/man1/zvonar-cli.1.gz usr/share/zvonar/examples/bill-2008-03.txt
  usr/share/zvonar/examples/abonents.dat usr/share/zvonar/examples/codetype.dat)
[ "$gui" = 1 ] && files+=(usr/bin/zvonar usr/share/applications/zvonar.desktop
  usr/share/icons/hicolor/scalable/apps/zvonar.svg)
for f in "${files[@]}"; do
  [ -f "$root/$f" ] || fail "the package lacks /$f"
done

# The programs run from the unpacked root with nothing but the system's
# libraries; an installed copy keeps its files under XDG_DATA_HOME.
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/xdg"
cli="$root/usr/bin/zvonar-cli"
[ "$("$cli" --version)" = "Zvonar $version" ] || fail "zvonar-cli --version printed \"$("$cli" --version)\""
if [ "$gui" = 1 ]; then
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/zvonar" --version)
  [ "$out" = "Zvonar $version" ] || fail "zvonar --version printed \"$out\""
fi
[ ! -e "$tmp/xdg" ] && [ ! -e "$tmp/home" ] || fail "--version touched the data directory"
[ "$("$cli" datadir)" = "$tmp/xdg/zvonar/" ] || fail "the installed zvonar-cli uses $("$cli" datadir)"

# "help" lists the commands; each one's usage is in "help COMMAND" and, with
# the same words, in the manual page.
commands=$("$cli" help | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\) .*/\1/p')
[ "$(wc -w <<< "$commands")" -ge 9 ] || fail "help lists only: $commands"
man=$(zcat "$root/usr/share/man/man1/zvonar-cli.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\f(CW//g')
grep -q '^zvonar-cli - ' <<< "$man" || fail "the manual page has no NAME line"
for c in $commands; do
  usage=$("$cli" help "$c" | sed -n '1s/^Usage: //p')
  [ -n "$usage" ] || fail "help $c prints no usage"
  grep -qF "$usage" <<< "$man" || fail "the manual page lacks \"$usage\""
done
# The report's PDF writer is a program zvonar-cli runs from where the package
# puts it.
writer=$(find "$root/usr/lib" -name zvonar-report-pdf -type f -perm -u+x)
[ -n "$writer" ] || fail "the package lacks the PDF writer zvonar-report-pdf"
printf '79001\t2024.03.01 10:00:00\t79031112233\t\t1\t1\t60\t1\t1.50\t\t1.50\t\n' >"$tmp/rows.tsv"
"$cli" --dir "$tmp/data" load-tsv "$tmp/rows.tsv" >/dev/null || fail "load-tsv failed in the installed copy"
"$cli" --dir "$tmp/data" report --pdf "$tmp/report.pdf" >/dev/null || fail "the installed zvonar-cli wrote no report"
# export-xlsx runs in the companion build, which the package puts beside the
# PDF writer when zvonar-cli is linked statically.
"$cli" --dir "$tmp/data" export-xlsx "$tmp/calls.xlsx" >/dev/null || fail "the installed zvonar-cli wrote no spreadsheet"
[ "$(head -c 2 "$tmp/calls.xlsx")" = PK ] || fail "the installed zvonar-cli's spreadsheet is not a zip file"
echo "package $(basename "$deb") ok: $(wc -w <<< "$commands") commands"
