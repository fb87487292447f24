#!/usr/bin/env bash
# A short tour of vtx on a throw-away vault: nothing outside a temporary folder is touched.
set -euo pipefail
bin=$(cd "${1:-build/release/bin}" && pwd)
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
mkdir -m 700 "$demo/runtime"
export XDG_DATA_HOME=$demo/data XDG_CONFIG_HOME=$demo/config XDG_RUNTIME_DIR=$demo/runtime
export VELTRIX_REGISTRY=$demo/registry VELTRIX_NAMESPACE=demo-$$
printf 'Correct horse\n' > "$demo/password"
vtx() { echo "\$ vtx $*"; "$bin/vtx" --password-file "$demo/password" "$@" 2>&1; }

echo "\$ vtx register"
"$bin/vtx" register

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
echo "A held session is shared: no password file needed while vtx hold runs."
"$bin/vtx" --password-file "$demo/password" hold 2>/dev/null &
for _ in $(seq 50); do setsid -w "$bin/vtx" show note Locker >/dev/null 2>&1 < /dev/null && break; sleep 0.1; done
echo "\$ vtx show note Locker   (no password file)"
setsid -w "$bin/vtx" show note Locker < /dev/null; echo
echo "\$ vtx logoff"
"$bin/vtx" logoff
wait
printf 'wrong one\n' > "$demo/password"
echo "With a wrong password:"
if ! vtx show note Locker; then echo "(refused, as it should be)"; fi
