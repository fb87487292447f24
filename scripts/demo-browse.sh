#!/usr/bin/env bash
# A browsing session in the headless browser on a throw-away vault: sign up with an Identity,
# save a login, and be logged in automatically on the next visit. Nothing outside a temporary
# folder is touched. Usage: scripts/demo-browse.sh [PROGRAM FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build/release/bin}" && pwd)
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
mkdir -m 700 "$demo/runtime"
export XDG_DATA_HOME=$demo/data XDG_CONFIG_HOME=$demo/config XDG_RUNTIME_DIR=$demo/runtime
export VELTRIX_REGISTRY=$demo/registry VELTRIX_NAMESPACE=browse-$$
printf 'Correct horse\n' > "$demo/password"
vtx() { "$bin/vtx" --password-file "$demo/password" "$@"; }

"$bin/vtx" register >/dev/null
printf '<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<email>ann@example.com</email>\r\n<hstr>1 Main Street</hstr>\r\n<hcity>Springfield</hcity>' |
  vtx put identity "Ann Lee"
# Web Logins are filled and submitted without asking; the other preferences keep their defaults.
vtx config set Preferences 0x1301 >/dev/null

"$bin/vtxbrowse" --headless "$root/docs/examples/shop/shop.vtxb"

echo "--- Web Logins in the vault:"
vtx list weblogins
echo "--- \"Shop login\":"
vtx show weblogin "Shop login" | tr -d '\r'; echo
echo "--- The Web Login index:"
"$bin/vtxreg" /E "$demo/index.reg" 'HKEY_CURRENT_USER\Software\Orvane\Veltrix\Web Login URLs'
iconv -f UTF-16 -t UTF-8 "$demo/index.reg" | tr -d '\r'
