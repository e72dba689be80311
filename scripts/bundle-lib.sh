# The self-contained folder's library picking, shared by scripts/build-bundle and its tests.
# Sourced, not run.

# The libraries a system must provide itself, since they are bound to its graphics driver, its
# C library or its desktop: a copy of them would fight the system's own (a libGL that is not
# the driver's draws nothing; a second libc cannot load). Matched by soname.
bundle_system_library() {
  case "$1" in
    libc.so.* | libm.so.* | libpthread.so.* | libdl.so.* | librt.so.* | ld-linux*.so.* \
      | libstdc++.so.* | libgcc_s.so.*) return 0 ;;
    # The rest of glibc: its parts call one another's private symbols, so they only work
    # together, as the system's (a libresolv from Debian 12 fails under a newer libc).
    libresolv.so.* | libanl.so.* | libutil.so.* | libmvec.so.* | libnsl.so.* | libBrokenLocale.so.* \
      | libthread_db.so.* | libnss_*.so.* | libc_malloc_debug.so.*) return 0 ;;
    libGL.so.* | libEGL.so.* | libGLX.so.* | libOpenGL.so.* | libGLdispatch.so.* | libdrm.so.* \
      | libgbm.so.* | libglapi.so.*) return 0 ;;
    libX11.so.* | libX11-xcb.so.* | libxcb.so.* | libxcb-dri2.so.* | libxcb-dri3.so.* \
      | libwayland-client.so.* | libwayland-egl.so.*) return 0 ;;
    libfontconfig.so.* | libfreetype.so.* | libharfbuzz.so.* | libfribidi.so.* | libexpat.so.* \
      | libz.so.* | libuuid.so.* | libasound.so.*) return 0 ;;
  esac
  return 1
}

# The NEEDED entries of an ELF file, one a line.
bundle_needed() {
  LC_ALL=C readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'
}

# The folders an ELF file's own RUNPATH (or RPATH) names, $ORIGIN made its folder: where the
# dynamic linker looks first for what it needs (Debian 13's libproxy keeps its backend so).
bundle_runpath() {
  local origin
  origin="$(dirname "$(readlink -f "$1")")"
  LC_ALL=C readelf -d "$1" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]$/\2/p' | tr ':' '\n' \
    | sed -e "s|\$ORIGIN|$origin|g" -e "s|\${ORIGIN}|$origin|g"
}

# The 64-bit libraries the dynamic linker's cache knows, as "soname path" lines; read once.
bundle_cache=""
bundle_resolve() {
  [ -n "$bundle_cache" ] || bundle_cache="$(/sbin/ldconfig -p | sed -n 's/^\t\([^ ]*\) (libc6,x86-64[^)]*) => \(.*\)$/\1 \2/p')"
  printf '%s\n' "$bundle_cache" | awk -v name="$1" '$1 == name { print $2; exit }'
}

# Every library that the given ELF files need, directly or through one another, that is not
# the system's: "soname<TAB>path" lines in the order found. A system library's own needs are
# the system's too, so they are not followed. Fails naming a library that cannot be found.
bundle_closure() {
  local -A seen=()
  local -a queue=("$@")
  local file name path folder
  local -a own
  while [ ${#queue[@]} -gt 0 ]; do
    file="${queue[0]}"
    queue=("${queue[@]:1}")
    mapfile -t own < <(bundle_runpath "$file")
    while IFS= read -r name; do
      [ -n "$name" ] && [ -z "${seen[$name]:-}" ] || continue
      seen[$name]=1
      bundle_system_library "$name" && continue
      path=""
      for folder in "${own[@]}"; do
        [ -n "$folder" ] && [ -f "$folder/$name" ] && { path="$folder/$name"; break; }
      done
      [ -n "$path" ] || path="$(bundle_resolve "$name")"
      if [ -z "$path" ]; then
        echo "bundle: $name, needed by $file, is not installed" >&2
        return 1
      fi
      printf '%s\t%s\n' "$name" "$path"
      queue+=("$path")
    done < <(bundle_needed "$file")
  done
}

# The newest glibc symbol version an ELF file needs ("2.34"), or nothing.
bundle_glibc_needed() {
  { LC_ALL=C objdump -T "$1" 2>/dev/null || true; } | { grep -o 'GLIBC_[0-9][0-9.]*' || true; } | sed 's/GLIBC_//' | sort -V | tail -n1
}
