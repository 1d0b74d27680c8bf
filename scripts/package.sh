#!/usr/bin/env bash
# Builds the Debian package k71t_VERSION_amd64.deb into the project folder
# and checks it: lintian (errors fail, warnings are listed), the desktop
# entry with desktop-file-validate, the AppStream metainfo, every file the
# package must hold, and the installed tools run from a temporary root in a
# folder that holds no settings: --help, a read from the simulator, and the
# program's work-folder cases.
#   scripts/package.sh            build and check
#   apt install ./k71t_2.1.0_amd64.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" package
# The package is made from build/ when it is an optimised build (as
# scripts/test.sh and scripts/run.sh make it); a Debug build/ is left alone
# and the package gets a build of its own.
build="$root/build"
type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)"
case "$type" in
  ""|RelWithDebInfo|Release|MinSizeRel) ;;
  *) build="$root/build-package" ;;
esac
# CPack installs without building everything first: the package's own
# targets are built just below.
cmake -S "$root" -B "$build" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target k71t k71t-cli k71t-sim manpages changelog test_app >/dev/null
version="$(sed -n 's/^project(k71t VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
deb="k71t_${version}_amd64.deb"
rm -f "$build/$deb"
(cd "$build" && cpack -G DEB >/dev/null)
cp "$build/$deb" "$root/$deb"
echo "package: $root/$deb"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$root/$deb" "$work/root"
failed=0
for f in usr/bin/k71t usr/bin/k71t-cli usr/bin/k71t-sim \
         usr/share/applications/k71t.desktop usr/share/icons/hicolor/scalable/apps/k71t.svg \
         usr/share/metainfo/pl.k71t.K71T.metainfo.xml \
         usr/share/man/man1/k71t.1.gz usr/share/man/man1/k71t-cli.1.gz usr/share/man/man1/k71t-sim.1.gz \
         usr/share/doc/k71t/examples/k71t-automat.service usr/share/doc/k71t/copyright \
         usr/share/doc/k71t/MANUAL.md; do
  [ -f "$work/root/$f" ] || { echo "package: missing /$f" >&2; failed=1; }
done
# Every picture the manual shows is in the package beside it.
for picture in $(grep -o 'screenshots/[a-z0-9-]*\.png' "$work/root/usr/share/doc/k71t/MANUAL.md" | sort -u); do
  [ -f "$work/root/usr/share/doc/k71t/$picture" ] || { echo "package: the manual's $picture is missing" >&2; failed=1; }
done
echo "package: Depends: $(dpkg-deb -f "$root/$deb" Depends)"
# The manual pages keep the Polish letters of --help (UTF-8, no "??").
for tool in k71t k71t-cli k71t-sim; do
  page="$work/root/usr/share/man/man1/$tool.1.gz"
  if ! zcat "$page" | grep -q "wskaźnika" || zcat "$page" | grep -q '??'; then
    echo "package: the manual page of $tool lost its Polish letters" >&2
    failed=1
  fi
done
desktop-file-validate "$work/root/usr/share/applications/k71t.desktop"
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/pl.k71t.K71T.metainfo.xml" >/dev/null || \
  appstreamcli validate --no-net "$work/root/usr/share/metainfo/pl.k71t.K71T.metainfo.xml"
# The installed tools, from a folder without any settings file.
mkdir -p "$work/empty"
for tool in k71t k71t-cli k71t-sim; do
  (cd "$work/empty" && env -i PATH=/usr/bin:/bin HOME="$work/empty" "$work/root/usr/bin/$tool" --help >"$work/$tool.help")
  head -n 1 "$work/$tool.help"
done
[ -z "$(ls -A "$work/empty")" ] || { echo "package: --help wrote files: $(ls -A "$work/empty")" >&2; failed=1; }
# The installed command-line tool reads the installed simulator's registers
# through a pseudo-terminal, from a folder without settings.
(cd "$work/empty" && exec env -i PATH=/usr/bin:/bin HOME="$work/empty" "$work/root/usr/bin/k71t-sim" --link "$work/tty" >/dev/null) &
sim=$!
for _ in $(seq 100); do [ -e "$work/tty" ] && break; sleep 0.1; done
if (cd "$work/empty" && env -i PATH=/usr/bin:/bin HOME="$work/empty" "$work/root/usr/bin/k71t-cli" --device "$work/tty" read 4000 2 >"$work/read.out"); then
  echo "package: k71t-cli read from k71t-sim: $(tr '\t\n' '= ' <"$work/read.out")"
else
  echo "package: the installed k71t-cli could not read the installed k71t-sim" >&2
  failed=1
fi
kill "$sim" 2>/dev/null || true
wait "$sim" 2>/dev/null || true
[ -z "$(ls -A "$work/empty")" ] || { echo "package: the tools left files: $(ls -A "$work/empty")" >&2; failed=1; }
# The installed program: the current folder, --workdir and --user-workdir
# (the work-folder cases of the test suite, run against it).
if ! K71T_PROGRAM_UNDER_TEST="$work/root/usr/bin/k71t" QT_QPA_PLATFORM=offscreen \
     "$build/tests/test_app" --gtest_filter='WorkFolder.*' --gtest_brief=1 >"$work/workfolder.log" 2>&1; then
  cat "$work/workfolder.log" >&2
  echo "package: the installed k71t failed the work-folder cases" >&2
  failed=1
else
  echo "package: the installed k71t passed the work-folder cases"
fi
echo "package: lintian"
lintian --fail-on error --tag-display-limit 0 "$root/$deb" || failed=1
exit "$failed"
