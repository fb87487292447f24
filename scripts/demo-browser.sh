#!/usr/bin/env bash
# Opens the browser window on the demonstration site, served from this computer, with a throw-away
# vault holding the Identity "Ann Lee" (master password "Correct horse"). Sign up, save the login,
# log out and log in again: Veltrix fills the login and submits it. Nothing outside a temporary
# folder is touched. Usage: scripts/demo-browser.sh [PROGRAM FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build/release/bin}" && pwd)
demo=$(mktemp -d)
site_pid=
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null || true
  "$bin/vtx" logoff >/dev/null 2>&1 || true
  rm -rf "$demo"
}
trap cleanup EXIT
mkdir -m 700 "$demo/runtime"
export XDG_DATA_HOME=$demo/data XDG_CONFIG_HOME=$demo/config XDG_RUNTIME_DIR=$demo/runtime
export VELTRIX_REGISTRY=$demo/registry VELTRIX_NAMESPACE=browser-demo-$$
printf 'Correct horse\n' > "$demo/password"
vtx() { "$bin/vtx" --password-file "$demo/password" "$@"; }

"$bin/vtx" register >/dev/null
printf '<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<email>ann@example.com</email>\r\n<hstr>1 Main Street</hstr>\r\n<hcity>Springfield</hcity>\r\n<hzip>12345</hzip>\r\n<hphone>555-0100</hphone>' |
  vtx put identity "Ann Lee"
vtx config set Identity "Ann Lee" >/dev/null
# Saved Web Logins are filled and submitted without asking; the other preferences keep their
# defaults (the Identity fill and the save are offered in prompts).
vtx config set Preferences 0x1301 >/dev/null

"$bin/vtxdemosite" > "$demo/site" &
site_pid=$!
for _ in $(seq 50); do
  [ -s "$demo/site" ] && break
  sleep 0.1
done
site=$(head -n 1 "$demo/site")
echo "The demonstration site runs at $site"
echo "The vault's master password is: Correct horse"
echo "Close the browser window to end the demonstration."
"$bin/vtxbrowse" "${site}signup.html"
