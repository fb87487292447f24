#!/usr/bin/env bash
# Opens the editor on a throw-away vault holding an Identity, a Web Login and a Secure Note.
# The master password is "Correct horse"; nothing outside a temporary folder is touched.
set -euo pipefail
bin=$(cd "${1:-build/release/bin}" && pwd)
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
mkdir -m 700 "$demo/runtime"
export XDG_DATA_HOME=$demo/data XDG_CONFIG_HOME=$demo/config XDG_RUNTIME_DIR=$demo/runtime
export VELTRIX_REGISTRY=$demo/registry VELTRIX_NAMESPACE=edit-demo-$$
printf 'Correct horse\n' > "$demo/password"
put() { "$bin/vtx" --password-file "$demo/password" put "$@"; }

"$bin/vtx" register
printf '<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<email>ann@example.com</email>\r\n<cc1><ccid>Work</ccid>\r\n<cc#>4111111111111111</cc#></cc1>' |
  put identity "Ann Lee"
printf 'Locker combination: 12-34-56' | put note Locker
printf '<urlpage>https://www.example.com/login</urlpage>\r\n<options>0</options>\r\n<fields>1</fields>\r\n<f1><name>user</name>\r\n<tag>0</tag>\r\n<type>0</type>\r\n<data>ann</data></f1>' |
  put weblogin "Example login"
echo "Starting the editor; its master password is: Correct horse"
"$bin/vtxedit" /I Ann Lee
"$bin/vtx" logoff >/dev/null 2>&1 || true
