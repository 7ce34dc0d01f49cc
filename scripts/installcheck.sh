#!/usr/bin/env bash
# Installs a build into a temporary prefix and runs the installed copy as a user would:
# zephyro-cli lists the shipped templates and builds a page, and the window starts on
# Qt's offscreen platform and finds its templates. Also validates the desktop entry and
# the AppStream metadata as installed.
# Usage: installcheck.sh BUILD_DIR
set -euo pipefail

build=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share

desktop-file-validate "$share/applications/marbleton-html-zephyro.desktop"
appstreamcli validate --no-net "$share/metainfo/com.marbleton.Zephyro.metainfo.xml"
grep -qx "Exec=$prefix/bin/zephyro %f" "$share/applications/marbleton-html-zephyro.desktop"

# A new user: empty home and XDG folders, nothing installed elsewhere in sight, and the
# installed files read-only to them, as in /usr. root may write anywhere, so the user is
# played by nobody then.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_DATA_DIRS=$share
mkdir -p "$HOME"
chmod -R a-w "$prefix"
chmod 755 "$work"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody "$HOME"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
user_run() { "${as_user[@]}" "$@"; }

# The user's own template of a shipped one's name replaces it.
user_templates=$XDG_DATA_HOME/zephyro/Templates
user_run mkdir -p "$user_templates"
user_run cp "$share/zephyro/Templates/Simple.html" "$user_templates/SIMPLE.html"

shipped=$(find "$share/zephyro/Templates" -maxdepth 1 -iname '*.html' | wc -l)
test "$shipped" -gt 0
templates=$(user_run "$prefix/bin/zephyro-cli" templates)
echo "$templates"
grep -q "^SIMPLE	$user_templates/SIMPLE.html$" <<<"$templates"
grep -q "^Business	$share/zephyro/Templates/Business.html$" <<<"$templates"
test "$(wc -l <<<"$templates")" -eq "$shipped"

site=$HOME/site
user_run mkdir -p "$site"
printf 'STYLE=simple\r\nTITLE=Installed\r\nLINKSCOUNT=0\r\n' | user_run tee "$site/page.pwz" >/dev/null
page=$(user_run "$prefix/bin/zephyro-cli" build "$site/page.pwz")
test "$page" = "$site/page.html"
grep -q "Installed" "$page"

# The window runs until it is stopped; its start-up log says where the templates came from.
status=0
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="zephyro.data.info=true" \
    timeout 10 "${as_user[@]}" "$prefix/bin/zephyro" >"$work/window.log" 2>&1 || status=$?
cat "$work/window.log"
test "$status" -eq 124 # still running when stopped
grep -qF "$shipped templates from $user_templates, $share/zephyro/Templates" "$work/window.log"
# The installed entry and MIME type serve: the user gets neither of their own, only the
# default-application line.
test ! -e "$XDG_DATA_HOME/applications/marbleton-html-zephyro.desktop"
test ! -e "$XDG_DATA_HOME/mime/packages/x-zephyro-project.xml"
grep -qx "application/x-zephyro-project=marbleton-html-zephyro.desktop;" "$XDG_CONFIG_HOME/mimeapps.list"
echo "installed copy works"
