# shellcheck shell=bash
# Sourced: the environment of every Wine run in the tests. Expects WINEPREFIX.
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko install prompts
# WinINet honours the proxy variables; the tests talk to localhost only.
unset http_proxy https_proxy no_proxy HTTP_PROXY HTTPS_PROXY NO_PROXY all_proxy ALL_PROXY
