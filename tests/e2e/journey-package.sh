# Journey: the Debian package. It is made from the program's own build folder
# (or taken from E2E_DEB, as scripts/package made it), checked by lintian,
# unpacked into a scratch root with dpkg -x, and everything the desktop reads
# from it is checked there: the desktop entry and the software-centre
# metadata validate, the icons have their sizes, the manual page renders, the
# saved games' type is one xdg-mime recognises a .QVD file by. Then the
# unpacked program starts and opens the help unpacked beside it, and, started
# with a WebP picture as the file manager would start it, shows that picture.
source "$(dirname "$0")/lib.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate man update-mime-database \
  xdg-mime mimetype; do
  command -v "$tool" >/dev/null || { note "skipped: $tool is missing (scripts/install-deps test)"; exit 77; }
done

build=$(dirname "$QUAVINTO_BIN")
deb=${E2E_DEB:-}
if [[ -z "$deb" ]]; then
  [[ -f "$build/CPackConfig.cmake" ]] || { note "skipped: $build is no CMake build folder"; exit 77; }
  cpack --config "$build/CPackConfig.cmake" -B "$E2E_WORK/cpack" >"$E2E_WORK/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -20 "$E2E_WORK/cpack.log")"
  deb=$(ls "$E2E_WORK"/cpack/*.deb 2>/dev/null | head -1)
fi
[[ -f "$deb" ]] || fail "no package was made"

# The name Debian's tools expect, and the fields of the package.
version=$(dpkg-deb --field "$deb" Version)
arch=$(dpkg --print-architecture)
[[ "$(basename "$deb")" == "quavinto_${version}_${arch}.deb" ]] || fail "the package is named $(basename "$deb")"
[[ "$(dpkg-deb --field "$deb" Package)" == quavinto ]] || fail "the package is not called quavinto"
depends=$(dpkg-deb --field "$deb" Depends)
# Read from the program by dpkg-shlibdeps: the Qt libraries it links, with versions.
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ ", $depends" == *", $lib (>= "* ]] || fail "Depends lacks a versioned $lib: $depends"
done
[[ "$depends" == *fonts-ipafont-gothic* ]] || fail "Depends lacks the Japanese font: $depends"
# WebP pictures are read by Qt's image-format plugins, not by Qt itself.
[[ "$depends" == *qt6-image-formats-plugins* ]] || fail "Depends lacks Qt's image-format plugins: $depends"
note "quavinto $version ($arch) depends on: $depends"

# lintian: no errors and no warnings, as the README says; its informational
# notes are shown.
lintian --fail-on error,warning --display-info "$deb" >"$E2E_WORK/lintian.log" 2>&1 ||
  fail "lintian: $(cat "$E2E_WORK/lintian.log")"
note "lintian: no errors, no warnings; notes: $(sed -n 's/^I: [^ ]* \([^ ]*\).*/\1/p' "$E2E_WORK/lintian.log" | sort -u | tr '\n' ' ')"

root="$E2E_WORK/root"
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
usr="$root/usr"
# Debian keeps games in /usr/games.
[[ -x "$usr/games/quavinto" ]] || fail "no usr/games/quavinto"
[[ ! -e "$usr/bin" ]] || fail "the package has a usr/bin: $(ls "$usr/bin")"
if file "$usr/games/quavinto" | grep -q 'not stripped'; then fail "the program is not stripped"; fi
entry="$usr/share/applications/quavinto.desktop"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
# File managers open pictures and saved games with it, by the types it declares.
grep -qx 'Exec=quavinto %f' "$entry" || fail "the desktop entry does not pass a file: $(grep '^Exec=' "$entry")"
for type in image/bmp image/gif image/jpeg image/png image/webp application/x-quavinto-game; do
  grep -q "^MimeType=.*$type;" "$entry" || fail "the desktop entry does not declare $type"
done
mime="$usr/share/mime/packages/quavinto.xml"
[[ -f "$mime" ]] || fail "no saved-game type in share/mime/packages"
sh "$E2E_DIR/../check-mime" "$mime" >"$E2E_WORK/mime.log" 2>&1 || fail "the saved-game type: $(cat "$E2E_WORK/mime.log")"
metainfo="$usr/share/metainfo/jp.xan.quavinto.metainfo.xml"
[[ -f "$metainfo" ]] || fail "no software-centre metadata"
appstreamcli validate --no-net --pedantic "$metainfo" >"$E2E_WORK/appstream.log" 2>&1 ||
  fail "the metadata does not validate: $(cat "$E2E_WORK/appstream.log")"
# The metadata, the desktop entry and the icons agree with each other, as a
# software centre reads them from the installed tree.
appstreamcli validate-tree --no-net "$root" >"$E2E_WORK/appstream-tree.log" 2>&1 ||
  fail "the installed tree does not validate: $(cat "$E2E_WORK/appstream-tree.log")"
# The metadata describes this very package: its version, its program, its entry.
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata has no release $version"
grep -q '<launchable type="desktop-id">quavinto.desktop</launchable>' "$metainfo" || fail "the metadata names no desktop entry"
grep -q '<binary>quavinto</binary>' "$metainfo" || fail "the metadata does not name the program"
# Each screenshot it lists, in either language, is one of docs/screenshots, at
# the size it gives.
shots=0
while read -r w h name; do
  file="$E2E_RESOURCES/../docs/screenshots/$name"
  [[ -f "$file" ]] || fail "the metadata lists a screenshot $name that docs/screenshots lacks"
  [[ "$("$CONVERT" "$file" -format '%w %h' info:)" == "$w $h" ]] ||
    fail "the metadata gives $name as $w x $h, docs/screenshots has it at $("$CONVERT" "$file" -format '%w x %h' info:)"
  shots=$((shots + 1))
done < <(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)"[^>]*>.*/\([^/<]*\)</image>.*|\1 \2 \3|p' "$metainfo")
((shots == $(ls "$E2E_RESOURCES/../docs/screenshots" | wc -l))) || fail "the metadata lists $shots of the screenshots"
for size in 32 48 64 128 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/quavinto.png"
  [[ -f "$icon" ]] || fail "no ${size}x${size} icon"
  [[ "$("$CONVERT" "$icon" -format '%m %w %h' info:)" == "PNG $size $size" ]] || fail "the ${size}x${size} icon is no such PNG"
done
page="$usr/share/man/man6/quavinto.6.gz"
[[ -f "$page" ]] || fail "no manual page"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$E2E_WORK/man.txt" 2>"$E2E_WORK/man-warnings.txt" ||
  fail "the manual page does not render"
[[ ! -s "$E2E_WORK/man-warnings.txt" ]] || fail "the manual page renders with warnings: $(cat "$E2E_WORK/man-warnings.txt")"
grep -q '^QUAVINTO(6)' "$E2E_WORK/man.txt" || fail "the manual page is not quavinto(6)"
[[ -f "$usr/share/doc/quavinto/copyright" ]] || fail "no copyright file"
diff -r "$E2E_RESOURCES/help" "$usr/share/quavinto/help" >/dev/null || fail "the packaged help differs from resources/help"

# The unpacked program starts and finds its help beside itself.
sed -i 's|<title>\(.*\)</title>|<title>\1 (packaged copy)</title>|' "$usr/share/quavinto/help/index.html"
fresh_home
start_app "$usr/games/quavinto"
skip_wait_window
cmd_help_contents
poll "$E2E_TIMEOUT" help_shows "QUAVINTO ヘルプ - 目次 (packaged copy)" ||
  fail "the unpacked program's help window is titled '$(help_title)'"
note "the unpacked program started and opened its own help"
stop_app

# Started with a WebP picture, the unpacked program shows it whole.
"$CONVERT" "$E2E_RESOURCES/default.bmp" -flip "$E2E_WORK/flipped.png"
"$CONVERT" "$E2E_WORK/flipped.png" -define webp:lossless=true "$E2E_WORK/given.webp"
start_app "$usr/games/quavinto" "$E2E_WORK/given.webp"
skip_wait_window_to_file
use_pieces "$E2E_WORK/flipped.png" 5 5
expect_board "$(solved_state)"
no_dialog || fail "a dialog came with the WebP picture"
stop_app
note "the unpacked program opened a WebP picture given to it"
