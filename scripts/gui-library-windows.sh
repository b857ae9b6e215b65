#!/usr/bin/env bash
# Builds the GUI library (wxWidgets 3.2, MSW port, static base, net and core libraries) for
# x86_64-w64-mingw32 from Debian's own source package, once: later runs find it in the cache
# folder and only print where it lies. Prints the library's folder (its wx-config is in bin/).
#
# The cache lives outside the build folders, so `rm -rf build` keeps it:
# NUBIVANE_CACHE_DIR, else $XDG_CACHE_HOME/nubivane, else ~/.cache/nubivane.
set -euo pipefail

cache=${NUBIVANE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/nubivane}
host=x86_64-w64-mingw32
jobs=$(nproc)

# The installed GTK library's source version, so that both builds use the same sources.
version=$(dpkg-query -W -f='${source:Version}' libwxbase3.2-1 2>/dev/null || true)
configure_flags=(--host=$host --build=x86_64-linux-gnu --disable-shared --with-msw --without-libtiff
  --without-libjpeg --without-libpng --disable-svg --without-expat --with-zlib=sys
  --with-regex=builtin --without-opengl --disable-webview --disable-mediactrl)
# Only what the programs link: wx-config's link line also names the editor component's library,
# which is taken off that line (unlink_editor) instead of being built.
libraries=(wxregexu wx_baseu wx_baseu_net wx_mswu_core)
compiler=$($host-g++-posix -dumpfullversion)
key=$(printf '%s\n' "$version" "$compiler" "${configure_flags[@]}" "${libraries[@]}" | sha256sum | cut -c1-12)
prefix=$cache/wx-msw-${version:-newest}-$key

# wx-config names the editor component's library in every link line, and CMake's search for the
# library fails on a name it cannot find.
unlink_editor() {
  sed -i 's/ -lwxscintilla-[^ "]*//g' "$1/bin/wx-config"
}

if [[ -f $prefix/.complete ]]; then
  grep -q -- -lwxscintilla "$prefix/bin/wx-config" && unlink_editor "$prefix"
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/wx-msw.lock"
flock 9
if [[ -f $prefix/.complete ]]; then  # another run built it while this one waited
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d "$cache/wx-msw-work.XXXXXX")
log=$cache/wx-msw-build.log
trap 'rm -rf "$work"' EXIT
echo "Building the GUI library for Windows into $prefix (log: $log)" >&2
: >"$log"

# A private apt state with a deb-src entry for every deb entry of this machine (same mirror,
# suites, components and key), so the machine's own lists stay as they are.
apt_dir=$work/apt
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
for file in /etc/apt/sources.list.d/*.sources; do
  [[ -e $file ]] || continue
  awk 'BEGIN { RS = ""; FS = "\n" }
       /(^|\n)Types:[ \t]*deb([ \t\n]|$)/ && !/(^|\n)Enabled:[ \t]*no/ {
         sub(/Types:[ \t]*deb/, "Types: deb-src"); print; print "" }' "$file"
done >"$apt_dir/sources/deb-src.sources"
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -e $file ]] || continue
  sed -n 's/^[ \t]*deb\([ \t]\)/deb-src\1/p' "$file"
done >"$apt_dir/sources/deb-src.list"
apt_options=(-o Dir::Etc::SourceList="$apt_dir/sources/deb-src.list"
  -o Dir::Etc::SourceParts="$apt_dir/sources" -o Dir::State::Lists="$apt_dir/lists"
  -o Dir::Cache="$apt_dir/cache" -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
apt-get "${apt_options[@]}" update >>"$log" 2>&1
(cd "$work" && apt-get "${apt_options[@]}" source "wxwidgets3.2${version:+=$version}" >>"$log" 2>&1)
src=$(find "$work" -maxdepth 1 -type d -name 'wxwidgets3.2-*' | head -n 1)
[[ -n $src ]] || { echo "no wxwidgets3.2 source in $work" >&2; exit 1; }

build=$work/build
mkdir -p "$build"
(cd "$build" && "$src/configure" --prefix="$prefix" CC=$host-gcc-posix CXX=$host-g++-posix \
  "${configure_flags[@]}" >>"$log" 2>&1)

# Only these libraries; the make targets are their absolute paths.
targets=()
for library in "${libraries[@]}"; do targets+=("$build/lib/lib$library-3.2-$host.a"); done
if ! (cd "$build" && make -j"$jobs" "${targets[@]}" >>"$log" 2>&1); then
  tail -n 30 "$log" >&2
  exit 1
fi

rm -rf "$prefix"
(cd "$build" && make install_wxregex install_baselib install_netlib install_corelib \
  install-wxconfig >>"$log" 2>&1)
toolchain=$(basename "$build"/lib/wx/include/*)
mkdir -p "$prefix/include/wx-3.2" "$prefix/lib/wx/include/$toolchain/wx/msw"
cp -a "$src/include/wx" "$prefix/include/wx-3.2/"
cp "$build/lib/wx/include/$toolchain/wx/setup.h" "$prefix/lib/wx/include/$toolchain/wx/"
cp "$build/lib/wx/include/$toolchain/wx/msw/rcdefs.h" "$prefix/lib/wx/include/$toolchain/wx/msw/"
unlink_editor "$prefix"
touch "$prefix/.complete"
echo "$prefix"
