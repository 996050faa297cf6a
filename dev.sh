#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine: installs what is missing, builds, runs.
#   ./dev.sh run     convert the bundled sample log and show the start of its mailbox;
#                    with a display, then start the desktop program
#   ./dev.sh test    the whole test suite, in the dev and the sanitizer builds
#   ./dev.sh bench   throughput and memory figures from the release build
#   ./dev.sh fuzz [SECONDS]   the libFuzzer target, from the seed corpus (default 60 s)
#   ./dev.sh windows mixconv-cli.exe, mixconv.exe, the zip and the installer for Windows,
#                    with their tests under wine
#   ./dev.sh package the Debian package of both programs, in build/package/
#   ./dev.sh web     the converter as one HTML page, build/web/mixconv.html
set -euo pipefail
cd "$(dirname "$0")"

# After the build's own: what the tests open the mailbox and the Maildir, serve
# and receive uploads (a Dovecot with certificates made by openssl), check the
# desktop entry and the manual pages with.
PACKAGES=(cmake ninja-build g++ libgtest-dev libicu-dev libcurl4-openssl-dev python3 qt6-base-dev
  qt6-translations-l10n fonts-noto-cjk procmail mb2md neomutt tmux dovecot-core dovecot-imapd
  openssl desktop-file-utils man-db)
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
# The GUI test drives mixconv.exe on an Xvfb of its own, its dialogs in a Japanese font.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine wine64 nsis xvfb xdotool xclip
  python3-xlib fonts-ipafont-gothic fonts-wine)
PACKAGE_PACKAGES=(dpkg-dev file)
WEB_PACKAGES=(emscripten)
# The browser tests' Chromium; their driver, puppeteer-core, comes from npm.
BROWSER_TEST_PACKAGES=(chromium)
FUZZ_SEED=1

install_missing_packages() {
  local missing=()
  for package in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  if ((${#missing[@]})); then
    echo "dev.sh: installing ${missing[*]}"
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

run_sample() {
  build dev
  local work=build/sample
  mkdir -p "$work"
  cp samples/SAMPLE.MIX samples/SAMPLE.TXT "$work/"
  # The sample is a Japanese log: show its dates in Japan time.
  TZ=JST-9 LC_ALL=C.UTF-8 build/dev/cli/mixconv-cli --name "山田 太郎" --email taro@example.jp "$work/SAMPLE.MIX"
  echo "--- start of $work/SAMPLE.mbx ---"
  head -n 24 "$work/SAMPLE.mbx"
  if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    echo "--- starting the desktop program: pick $work/SAMPLE.MIX and press OK ---"
    build/dev/ui/mixconv
  fi
}

# Debian's emscripten runs its tools on the image's node, which looks for
# Debian's node modules only when told where. The page builds fflate into
# itself, at the version web/'s lockfile pins.
build_web() {
  (cd web && npm ci --no-audit --no-fund)
  NODE_PATH=/usr/share/nodejs build web
}

# puppeteer-core, at the version the lockfile pins.
install_browser_driver() {
  (cd tests/web && npm ci --no-audit --no-fund)
}

run_tests() {
  build dev
  build_web
  install_browser_driver
  ctest --preset dev
  build sanitizers
  ctest --preset sanitizers
}

# The engine's figures, the web page's next to mixconv-cli's, then uploads to a
# Dovecot of its own, near and through a 20 ms round trip.
run_bench() {
  build release
  build_web
  install_browser_driver
  build/release/bench/convert_bench
  node tests/web/bench_web.mjs build/web/mixconv.html build/release/cli/mixconv-cli \
    build/release/bench/convert_bench
  python3 bench/imap_bench.py build/release/bench/convert_bench build/release/cli/mixconv-cli
}

# A fixed seed, so that a finding can be replayed; new inputs go to a corpus
# under build/ that the next run starts from, and a finding fails the run.
run_fuzzer() {
  build fuzz
  local corpus=build/fuzz/corpus
  mkdir -p "$corpus"
  build/fuzz/fuzz/convert_fuzz -seed="$FUZZ_SEED" -max_total_time="${1:-60}" \
    -artifact_prefix=build/fuzz/ "$corpus" fuzz/corpus
}

# The Windows programs and their tests under wine; wine makes its prefix on first use,
# which takes a while, so that happens before anything waits for it.
run_windows_tests() {
  WINEDEBUG=-all wineboot --init
  build windows
  ctest --preset windows
}

case "${1:-}" in
  run) install_missing_packages && run_sample ;;
  test) install_missing_packages "${WEB_PACKAGES[@]}" "${BROWSER_TEST_PACKAGES[@]}" && run_tests ;;
  bench) install_missing_packages "${WEB_PACKAGES[@]}" "${BROWSER_TEST_PACKAGES[@]}" && run_bench ;;
  web) install_missing_packages "${WEB_PACKAGES[@]}" && build_web ;;
  fuzz) install_missing_packages "${FUZZ_PACKAGES[@]}" && run_fuzzer "${2:-60}" ;;
  windows) install_missing_packages "${WINDOWS_PACKAGES[@]}" && run_windows_tests ;;
  package) install_missing_packages "${PACKAGE_PACKAGES[@]}" && build release && cpack --preset deb ;;
  *)
    echo "usage: ./dev.sh run | test | bench | fuzz [SECONDS] | windows | package | web" >&2
    exit 2
    ;;
esac
