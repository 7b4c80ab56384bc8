# What the builds and test legs need from a Debian 12 system, checked before
# anything is built, and the one root script that installs all of it.
# Sourced, from the project folder, by setup.sh, example.sh, windows.sh and
# test.sh:
#   prereqs_need LEG...       LEG: linux, sanitize or windows
#   prereqs_install WHO [NOTE]
# prereqs_install runs the script as root or through sudo (its output
# appended to $prereqs_log when that is set); otherwise it prints, in one
# message, that packages are missing, the script, that scripts/WHO is to be
# run again, and NOTE, and returns 1.

linux_packages=(cmake make g++ pkg-config
  libboost-dev libboost-regex-dev libboost-filesystem-dev libboost-system-dev
  libeigen3-dev libsqlite3-dev libffi-dev libgtest-dev libbenchmark-dev
  python3-numpy python3-scipy python3-mpmath sqlite3 perl libopenblas-dev liblapacke-dev)
sanitize_packages=(g++ libasan8 libubsan1)
windows_packages=(cmake make pkg-config
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev
  binutils-mingw-w64-i686 libeigen3-dev wine wine32 xvfb xauth)
# Only while windows.sh still builds a dependency from its source package
# (until build-windows/sysroot has the dependency's stamp).
windows_deps_packages=(dpkg-dev bison tcl autoconf automake libtool)
windows_deps=(boost sqlite libffi gtest)

apt_etc=${ZR_APT_ETC:-/etc/apt}
missing_packages=()
need_i386=0
need_update=0
lower_mmap_rnd_bits=0
src_list=
src_stanzas=

# The configured one-line entries (sources.list, *.list) of type $1, as deb-src.
apt_lines() {
  local f
  for f in "$apt_etc/sources.list" "$apt_etc"/sources.list.d/*.list; do
    [ ! -f "$f" ] || sed -n "s/^[[:space:]]*$1[[:space:]]\+/deb-src /p" "$f"
  done
}

# The enabled deb822 stanzas (*.sources) whose types include $1, as deb-src.
apt_stanzas() {
  local files=("$apt_etc"/sources.list.d/*.sources)
  [ -e "${files[0]}" ] || return 0
  awk -v want="$1" 'BEGIN { RS = ""; FS = "\n" }
    { keep = 0; off = 0; out = ""
      for (i = 1; i <= NF; i++) {
        line = $i; key = tolower(line)
        if (key ~ /^#/) continue
        if (key ~ /^types:/) {
          if ((" " substr(line, 7) " ") ~ ("[ \t]" want "[ \t]")) keep = 1
          line = "Types: deb-src"
        } else if (key ~ /^enabled:[ \t]*no/) off = 1
        out = out line "\n"
      }
      if (keep && !off) printf "%s%s", (n++ ? "\n" : ""), out }' "${files[@]}"
}

# apt has fetched the lists of at least one source entry.
source_lists_fetched() {
  local f
  while read -r f; do
    [ ! -e "$f" ] || return 0
  done < <(apt-get indextargets --format '$(FILENAME)' 'Created-By: Sources' 2>/dev/null)
  return 1
}

add_missing() {
  local p
  for p in "$@"; do
    [[ " ${missing_packages[*]} " == *" $p "* ]] && continue
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing_packages+=("$p")
  done
}

# Programs built with the sanitizers start here (gcc 12's AddressSanitizer
# cannot map its shadow memory when mmap randomisation uses more than 28 bits).
sanitizers_run() {
  local dir rc
  dir=$(mktemp -d)
  echo 'int main() { return 0; }' >"$dir/t.cpp"
  g++ -fsanitize=address,undefined "$dir/t.cpp" -o "$dir/t" >/dev/null 2>&1 && "$dir/t" >/dev/null 2>&1
  rc=$?
  rm -rf "$dir"
  return $rc
}

prereqs_need() {
  local leg dep building
  for leg in "$@"; do
    case $leg in
      linux) add_missing "${linux_packages[@]}" ;;
      sanitize)
        local before=${#missing_packages[@]} bits
        add_missing "${sanitize_packages[@]}"
        bits=$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo 0)
        if [ ${#missing_packages[@]} -eq "$before" ] && command -v g++ >/dev/null; then
          if sanitizers_run; then
            :
          elif [ "$bits" -gt 28 ]; then
            lower_mmap_rnd_bits=1
          else
            echo "prereqs: a program built with -fsanitize=address,undefined does not run here" >&2
          fi
        elif [ "$bits" -gt 28 ]; then
          # not to be tried before the compiler is there, but gcc 12's
          # sanitizers would not start: settled in the same message
          lower_mmap_rnd_bits=1
        fi
        ;;
      windows)
        add_missing "${windows_packages[@]}"
        # wine32 runs 32-bit programs and comes from the i386 architecture
        dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1
        building=0
        for dep in "${windows_deps[@]}"; do
          [ -f "build-windows/sysroot/.$dep" ] || building=1
        done
        [ $building -eq 1 ] || continue
        add_missing "${windows_deps_packages[@]}"
        if [ -z "$(apt_lines deb-src)$(apt_stanzas deb-src)" ]; then
          src_list=$(apt_lines deb)
          src_stanzas=$(apt_stanzas deb)
          need_update=1
          if [ -z "$src_list$src_stanzas" ]; then
            echo "prereqs: no deb entries in $apt_etc to derive source entries from" >&2
          fi
        else
          source_lists_fetched || need_update=1
        fi
        ;;
    esac
  done
}

# The commands that install what prereqs_need found missing.
prereqs_script() {
  [ $need_i386 -eq 1 ] && echo "dpkg --add-architecture i386"
  if [ -n "$src_list" ]; then
    printf "cat >%s <<'EOF'\n%s\nEOF\n" "$apt_etc/sources.list.d/zr-deb-src.list" "$src_list"
  fi
  if [ -n "$src_stanzas" ]; then
    printf "cat >%s <<'EOF'\n%s\nEOF\n" "$apt_etc/sources.list.d/zr-deb-src.sources" "$src_stanzas"
  fi
  if [ ${#missing_packages[@]} -gt 0 ] || [ $need_i386 -eq 1 ] || [ $need_update -eq 1 ]; then
    echo "apt-get update -q"
  fi
  if [ ${#missing_packages[@]} -gt 0 ]; then
    echo "DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends ${missing_packages[*]}"
  fi
  [ $lower_mmap_rnd_bits -eq 0 ] || echo "sysctl -w vm.mmap_rnd_bits=28"
}

# Runs a command, its output appended to $prereqs_log when that is set.
prereqs_run() {
  if [ -n "${prereqs_log:-}" ]; then "$@" >>"$prereqs_log" 2>&1; else "$@"; fi
}

prereqs_install() {
  local who=$1 note=${2:-} script what
  script=$(prereqs_script)
  [ -n "$script" ] || return 0
  if [ "$(id -u)" -eq 0 ]; then
    prereqs_run bash -euc "$script"
    return
  fi
  if command -v sudo >/dev/null 2>&1 && prereqs_run sudo bash -euc "$script"; then
    return 0
  fi
  # settings: the i386 architecture, source entries and lists, mmap randomisation
  local settings=$((need_i386 + need_update + lower_mmap_rnd_bits))
  if [ ${#missing_packages[@]} -eq 0 ]; then
    what="missing system settings"
  elif [ $settings -gt 0 ]; then
    what="missing packages and system settings"
  else
    what="missing packages"
  fi
  {
    echo "$who: $what. Run these lines as root, then ./scripts/$who again:"
    echo
    echo "$script"
    if [ -n "$note" ]; then
      echo
      echo "$note"
    fi
  } >&2
  return 1
}
