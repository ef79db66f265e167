#!/usr/bin/env bash
# The Debian packages of one build, end to end: cpack makes them from the build tree, lintian
# checks them, dpkg installs them into a throw-away root with a database of its own (never
# the machine's), the installed programs, manual pages and development files are used, and
# dpkg --purge must leave nothing behind. Everything made lives in one temporary directory,
# removed on every exit.
#
# Environment, set by the test's registration:
#   ZV_BUILD_DIR  ZV_SOURCE_DIR  ZV_DEB_ARCH  ZV_LIB_ARCH  ZV_VERSION  ZV_RUNTIME
#   ZV_CPACK  ZV_CMAKE  ZV_CC  ZV_CXX  ZV_C_FLAGS  ZV_CXX_FLAGS  ZV_EMULATOR (may be empty)
# Exit status: 0 passed, 1 failed, 77 skipped (the reason is printed).
set -euo pipefail
# No grep -q after a pipe: it would end before the writer, whose SIGPIPE fails the pipeline.

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
step() { echo "--- $*"; }

for tool in dpkg dpkg-deb dpkg-query dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup-deps installs it)"
done
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  # dpkg gives the files root's ownership; fakeroot lets an ordinary user run it.
  command -v fakeroot >/dev/null || skip "not root and fakeroot is not installed: dpkg cannot install"
  as_root=(fakeroot)
fi
if [ "$ZV_DEB_ARCH" != "$(dpkg --print-architecture)" ] &&
   ! dpkg-query -W -f='${Status}' "libc6:$ZV_DEB_ARCH" 2>/dev/null | grep "install ok installed" >/dev/null; then
  skip "libc6:$ZV_DEB_ARCH is not installed: the $ZV_DEB_ARCH packages' dependencies cannot be computed (scripts/setup-deps installs it)"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zvexe-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
out=$work/packages root=$work/root admin=$work/admin
libdir=usr/lib/$ZV_LIB_ARCH

step "cpack: the packages of $ZV_BUILD_DIR"
"$ZV_CPACK" --config "$ZV_BUILD_DIR/CPackConfig.cmake" -B "$out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$out/zvexe_${ZV_VERSION}_${ZV_DEB_ARCH}.deb
devdeb=$out/zvexe-dev_${ZV_VERSION}_${ZV_DEB_ARCH}.deb
[ -f "$deb" ] && [ -f "$devdeb" ] || { ls "$out"; fail "the packages do not have their Debian file names"; }

step "control fields"
field() { dpkg-deb --field "$1" "$2"; }
for d in "$deb" "$devdeb"; do
  [ "$(field "$d" Architecture)" = "$ZV_DEB_ARCH" ] || fail "$d: Architecture $(field "$d" Architecture)"
  [ "$(field "$d" Version)" = "$ZV_VERSION" ] || fail "$d: Version $(field "$d" Version)"
  dpkg-deb --ctrl-tarfile "$d" | tar -t | grep -E '(^|/)(preinst|postinst|prerm|postrm|config)$' >/dev/null &&
    fail "$d: has maintainer scripts"
done
depends=$(field "$deb" Depends)
echo "zvexe Depends: $depends"
echo "zvexe-dev Depends: $(field "$devdeb" Depends)"
depends_names=$(echo "$depends" | tr ',' '\n' | sed -E 's/^ *([^ (]+).*/\1/')
# Computed by dpkg-shlibdeps: the C and C++ libraries of this architecture, nothing by hand.
for p in libc6 libstdc++6 libgcc-s1; do
  grep -qxF "$p" <<<"$depends_names" || fail "zvexe does not depend on $p: $depends"
done
[ "$(field "$devdeb" Depends)" = "zvexe (= $ZV_VERSION)" ] || fail "zvexe-dev must depend on this very zvexe"
dpkg-deb --info "$deb" shlibs | grep -x "libhostio 1 zvexe (>= $ZV_VERSION)" >/dev/null || fail "shlibs lacks libhostio"
dpkg-deb --info "$deb" shlibs | grep -x "libzvexternal 1 zvexe (>= $ZV_VERSION)" >/dev/null || fail "shlibs lacks libzvexternal"
dpkg-deb --info "$deb" triggers | grep -x "activate-noawait ldconfig" >/dev/null || fail "no ldconfig trigger"

if command -v lintian >/dev/null; then
  step "lintian"
  lintian --fail-on error,warning "$deb" "$devdeb" || fail "lintian reports errors or warnings"
else
  echo "lintian is not installed: the packages were not checked by it (scripts/setup-deps installs it)"
fi

step "dpkg -i into the throw-away root $root"
mkdir -p "$root" "$admin/info" "$admin/updates" "$admin/triggers"
: >"$admin/status"
: >"$admin/available"
# dpkg wants ldconfig and start-stop-daemon on its PATH, which an ordinary user's may lack.
export PATH=$PATH:/usr/sbin:/sbin
dpkg_private=("${as_root[@]}" dpkg --admindir="$admin" --instdir="$root" --log="$work/dpkg.log")
[ "$ZV_DEB_ARCH" = "$(dpkg --print-architecture)" ] || "${dpkg_private[@]}" --add-architecture "$ZV_DEB_ARCH"
# The packages the dependencies name are recorded in the private database as this machine
# has them, so that dpkg checks the computed versions against real ones.
for p in $depends_names; do
  dpkg-query -s "$p:$ZV_DEB_ARCH" >>"$admin/status" 2>/dev/null ||
    fail "$p:$ZV_DEB_ARCH, which zvexe depends on, is not installed on this machine"
  echo >>"$admin/status"
  # Their files are not in the throw-away root: empty file lists.
  if [ "$(dpkg-query -W -f='${Multi-Arch}' "$p:$ZV_DEB_ARCH")" = same ]; then
    : >"$admin/info/$p:$ZV_DEB_ARCH.list"
  else
    : >"$admin/info/$p.list"
  fi
done
"${dpkg_private[@]}" --install "$deb" "$devdeb" || fail "dpkg could not install the packages"

step "installed files"
expected=(usr/bin/ZVExe usr/bin/zvinfoexe usr/bin/zvzlw
          "$libdir/libhostio.so.1" "$libdir/libzvexternal.so.1"
          usr/share/man/man1/ZVExe.1.gz usr/share/man/man1/zvinfoexe.1.gz usr/share/man/man1/zvzlw.1.gz
          usr/share/doc/zvexe/copyright usr/share/doc/zvexe/changelog.gz
          usr/share/doc/zvexe/examples/zvexe-service.example.service
          usr/share/doc/zvexe-dev/copyright usr/share/doc/zvexe-dev/changelog.gz
          "$libdir/libhostio.so" "$libdir/libzvexternal.so" "$libdir/libzvbase.a"
          "$libdir/cmake/zvbase/zvbaseConfig.cmake" "$libdir/pkgconfig/hostio.pc" "$libdir/pkgconfig/zvexternal.pc"
          usr/include/hostio.h usr/include/zvexternal/launcher/ZVExternal.h usr/include/zvexternal/contract/KleContract.h usr/include/zvbase/base/zvbase.h)
for f in "${expected[@]}"; do
  [ -e "$root/$f" ] || fail "$f is not installed"
done
for lib in hostio zvexternal; do
  readelf -d "$root/$libdir/lib$lib.so.1" | grep "(SONAME).*\[lib$lib\.so\.1\]" >/dev/null || fail "lib$lib: soname is not lib$lib.so.1"
done
for f in "$root/$libdir/lib"*.so.1.* "$root"/usr/bin/*; do
  readelf -S "$f" | grep '\.debug_info' >/dev/null && fail "$f is not stripped"
done
[ "$(stat -c %a "$root/$libdir/libhostio.so.$ZV_VERSION")" = 644 ] || fail "libhostio is executable"
grep -qx "prefix=/usr" "$root/$libdir/pkgconfig/zvexternal.pc" || fail "zvexternal.pc does not name /usr"

# The installed programs, under emulation when this host cannot execute them itself.
run=()
if ! "$root/usr/bin/zvzlw" -h >/dev/null 2>&1; then
  if [ -n "${ZV_EMULATOR:-}" ] && $ZV_EMULATOR "$root/usr/bin/zvzlw" -h >/dev/null 2>&1; then
    read -r -a run <<<"$ZV_EMULATOR"
    echo "this host cannot execute $ZV_DEB_ARCH programs: they run under $ZV_EMULATOR"
  elif command -v "qemu-$ZV_DEB_ARCH" >/dev/null && "qemu-$ZV_DEB_ARCH" "$root/usr/bin/zvzlw" -h >/dev/null 2>&1; then
    run=("qemu-$ZV_DEB_ARCH")
    echo "this host cannot execute $ZV_DEB_ARCH programs: they run under qemu-$ZV_DEB_ARCH"
  else
    run=(unrunnable)
  fi
fi

if [ "${run[*]}" = unrunnable ]; then
  echo "this host can neither execute $ZV_DEB_ARCH programs nor emulate them: the installed programs and the consumers are not run"
else
  step "the installed ZVExe runs the sample application"
  app=$work/app
  mkdir -p "$app"
  "${run[@]}" "$root/usr/bin/zvinfoexe" "$root/usr/bin/ZVExe" -o "$app/hello" --project billing.zvp --version 3 >/dev/null ||
    fail "the installed zvinfoexe could not patch a copy of the installed ZVExe"
  cp "$ZV_RUNTIME" "$app/"
  cp "$ZV_SOURCE_DIR/examples/hello/hello.ZVL" "$app/"
  set +e
  (cd "$work" && "${run[@]}" "$app/hello" first "second argument" >"$work/hello.out" 2>"$work/hello.err")
  code=$?
  set -e
  cat "$work/hello.out"
  [ "$code" -eq 7 ] || { cat "$work/hello.err"; fail "the application ended with $code, not 7"; }
  grep -q "Hello from a ZORVAN application." "$work/hello.out" || fail "the application did not run"
  grep -q "billing.zvp" "$work/hello.out" || fail "the patched project was not handed over"
  grep -qF 'first "second argument"' "$work/hello.out" || fail "the command line was not handed over"
  grep -q "100% harmless" "$work/hello.err" || fail "the runtime's error did not reach standard error"

  step "the installed zvzlw compresses and expands"
  head -c 100000 "$ZV_SOURCE_DIR/man/ZVExe.1" >"$work/sample"
  "${run[@]}" "$root/usr/bin/zvzlw" -c "$work/sample" >"$work/sample.zlw"
  "${run[@]}" "$root/usr/bin/zvzlw" -dc "$work/sample.zlw" | cmp - "$work/sample" || fail "zvzlw round trip"

  step "an outside project finds zvbase with find_package"
  "$ZV_CMAKE" -S "$ZV_SOURCE_DIR/tests/install/consumer" -B "$work/consumer" \
    -DCMAKE_PREFIX_PATH="$root/usr" -DCMAKE_C_COMPILER="$ZV_CC" -DCMAKE_CXX_COMPILER="$ZV_CXX" \
    -DCMAKE_C_FLAGS="$ZV_C_FLAGS" -DCMAKE_CXX_FLAGS="$ZV_CXX_FLAGS" \
    -DCMAKE_LIBRARY_ARCHITECTURE="$ZV_LIB_ARCH" >"$work/consumer.log" 2>&1 ||
    { cat "$work/consumer.log"; fail "the consumer project could not be configured"; }
  grep -qx "zvbase_DIR:PATH=$root/$libdir/cmake/zvbase" "$work/consumer/CMakeCache.txt" ||
    fail "find_package did not take zvbase from the installed package: $(grep zvbase_DIR "$work/consumer/CMakeCache.txt")"
  "$ZV_CMAKE" --build "$work/consumer" >>"$work/consumer.log" 2>&1 ||
    { cat "$work/consumer.log"; fail "the consumer project could not be built"; }
  "${run[@]}" "$work/consumer/zvbase_consumer" | grep "consumer ok" >/dev/null || fail "the zvbase consumer did not run"

  step "outside programs in C build with pkg-config"
  export PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$root/$libdir/pkgconfig
  read -r -a cflags <<<"$ZV_C_FLAGS"
  read -r -a zvext <<<"$(pkg-config --cflags --libs zvexternal)"
  read -r -a hostio <<<"$(pkg-config --cflags --libs hostio)"
  echo "pkg-config zvexternal: ${zvext[*]}"
  echo "pkg-config hostio: ${hostio[*]}"
  "$ZV_CC" "${cflags[@]}" -std=c99 -Wall -Wextra -Werror "$ZV_SOURCE_DIR/tests/install/consumer/zvexternal_host.c" \
    "${zvext[@]}" -o "$work/zvexternal_host"
  "$ZV_CC" "${cflags[@]}" -std=c99 -Wall -Wextra -Werror "$ZV_SOURCE_DIR/tests/hostio/env_probe.c" \
    "${hostio[@]}" -o "$work/hostio_probe"
  readelf -d "$work/zvexternal_host" | grep "(NEEDED).*\[libzvexternal\.so\.1\]" >/dev/null || fail "the host does not need libzvexternal.so.1"
  readelf -d "$work/hostio_probe" | grep "(NEEDED).*\[libhostio\.so\.1\]" >/dev/null || fail "the probe does not need libhostio.so.1"
  LD_LIBRARY_PATH=$root/$libdir "${run[@]}" "$work/zvexternal_host" "$ZV_RUNTIME" | grep "host ok" >/dev/null ||
    fail "the zvexternal host did not run against the installed library"
  LD_LIBRARY_PATH=$root/$libdir ZV_PROBE=1 "${run[@]}" "$work/hostio_probe" | grep "^ZV_PROBE=1$" >/dev/null ||
    fail "the hostio probe did not run against the installed library"
fi

if command -v man >/dev/null; then
  step "man -l renders every installed page"
  for page in "$root"/usr/share/man/man1/*.1.gz; do
    MANWIDTH=80 man --warnings -l "$page" >"$work/page.txt" 2>"$work/page.err" || fail "man could not render $page"
    [ ! -s "$work/page.err" ] || { cat "$work/page.err"; fail "man warns about $page"; }
    grep -q "^NAME" "$work/page.txt" && grep -q "^SYNOPSIS" "$work/page.txt" || fail "$page renders without NAME or SYNOPSIS"
    echo "$(basename "$page"): $(wc -l <"$work/page.txt") lines"
  done
else
  echo "man is not installed: the pages were not rendered (scripts/setup-deps installs man-db)"
fi

step "dpkg --purge leaves nothing behind"
"${dpkg_private[@]}" --purge zvexe-dev zvexe || fail "dpkg could not purge the packages"
left=$(find "$root" -mindepth 1)
[ -z "$left" ] || fail "left behind by the purge: $left"
echo "packages $ZV_DEB_ARCH: built, checked, installed, used and purged"
