#!/usr/bin/env bash
# A short tour of vtx on a throw-away vault: nothing outside a temporary folder is touched.
set -euo pipefail
bin=$(cd "${1:-build/release/bin}" && pwd)
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
export XDG_DATA_HOME=$demo/data XDG_CONFIG_HOME=$demo/config VELTRIX_REGISTRY=$demo/registry
printf 'Correct horse\n' > "$demo/password"
vtx() { echo "\$ vtx $*"; "$bin/vtx" --password-file "$demo/password" "$@" 2>&1; }

printf '<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<email>ann@example.com</email>\r\n<cc1><ccid>Work</ccid>\r\n<cc#>4111111111111111</cc#></cc1>' |
  vtx put identity "Ann Lee"
printf 'Locker combination: 12-34-56' | vtx put note Locker
printf '<urlpage>https://www.example.com/login</urlpage>\r\n<options>0</options>\r\n<fields>1</fields>\r\n<f1><name>user</name>\r\n<tag>0</tag>\r\n<type>0</type>\r\n<data>ann</data></f1>' |
  vtx put weblogin "Example login"
vtx list identities
vtx list notes
vtx show identity "Ann Lee" | tr -d '\r'; echo
vtx config get AutoLogoff
echo "The vault folder holds:"
ls -l "$demo/data/Orvane/Veltrix"
printf 'wrong one\n' > "$demo/password"
echo "With a wrong password:"
if ! vtx show note Locker; then echo "(refused, as it should be)"; fi
