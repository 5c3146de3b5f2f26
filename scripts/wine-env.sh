# Sourced by scripts/test (and by hand) to set up the Wine environment that
# the test programs run in:   source scripts/wine-env.sh BUILD_DIR
#
# - a private 64-bit prefix inside the build folder, made on first use
#   without the Mono/Gecko prompts;
# - zh_CN.UTF-8, so the ANSI code page is 936 as on a Chinese Windows;
# - no proxy variables (tests talk to 127.0.0.1 only);
# - one persistent wineserver for the run: call vq_wine_stop at the end.

vq_build_dir=$(cd "${1:?usage: source scripts/wine-env.sh BUILD_DIR}" && pwd)
export WINEPREFIX=$vq_build_dir/wineprefix
export WINEARCH=win64
export WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
unset http_proxy https_proxy ftp_proxy no_proxy HTTP_PROXY HTTPS_PROXY FTP_PROXY NO_PROXY all_proxy ALL_PROXY

vq_wine_start() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine-env: creating prefix $WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
  wineserver -p
  vq_prefix_settings
  # Start Wine's own services now, detached from our output: started later by
  # a test program, they would keep ctest's output pipe open after it ends.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# What every test prefix needs: the skin's fonts, and windows unmanaged (no
# window manager runs on the virtual display: windows Wine treats as managed
# wait for one on every activation and close, seconds each).
vq_prefix_settings() {
  vq_wine_fonts
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
}

# The skin's faces ("Microsoft YaHei", "SimSun" and their Chinese names) map
# to WenQuanYi Micro Hei, so Chinese text renders as the skin intends. Once
# per prefix (a stamp file remembers it).
vq_wine_fonts() {
  local stamp=$WINEPREFIX/.vq-font-replacements
  [[ -f $stamp ]] && return 0
  local reg
  reg=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n' >"$reg"
  local face
  for face in "Microsoft YaHei" "SimSun" "微软雅黑" "宋体"; do
    printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face" >>"$reg"
  done
  iconv -f UTF-8 -t GBK "$reg" >"$reg.gbk" 2>/dev/null && mv "$reg.gbk" "$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 && touch "$stamp"
  rm -f "$reg" "$reg.gbk"
}

vq_wine_stop() {
  wineserver -k 2>/dev/null || true
}

# A virtual display for GUI tests: Xvfb on a free display number, stopped by
# its pid through vq_display_stop.
vq_display_start() {
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    vq_xvfb_pid=$!
    local i
    for i in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    if kill -0 "$vq_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

vq_display_stop() {
  [[ -n ${vq_xvfb_pid:-} ]] && kill "$vq_xvfb_pid" 2>/dev/null && wait "$vq_xvfb_pid" 2>/dev/null
  vq_xvfb_pid=
}
