# Vantrel's Wine environment, set up in one place; sourced by scripts/vantrel.sh
# and by the generated build/wine-run.sh. Needs $build (the build folder).
#   vantrel_wine_env      exports the prefix, the debug channels and the DLL overrides
#   vantrel_wine_prefix   creates the prefix when it is not there yet
vantrel_wine_env() {
  export WINEPREFIX="${VANTREL_WINEPREFIX:-$build/wineprefix}"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

vantrel_wine_prefix() {
  vantrel_wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}
