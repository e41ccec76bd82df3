#!/usr/bin/env bash
# scripts/run passes its arguments to the program, so `bash scripts/run list
# MOD > listing` must leave only the program's output on standard output: the
# build's own messages go to standard error. Runs the script in a copy of the
# tree's layout where the dependency check, cmake and the program are stand-ins
# that each say something.
set -euo pipefail
script="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tree/scripts" "$work/tree/build/release/bin" "$work/path"
cp "$script" "$work/tree/scripts/run"
printf '#!/usr/bin/env bash\necho "deps: all installed"\n' > "$work/tree/scripts/deps.sh"
printf '#!/usr/bin/env bash\necho "cmake: $*"\n' > "$work/path/cmake"
printf '#!/usr/bin/env bash\necho "program: $*"\n' > "$work/tree/build/release/bin/quillforge"
chmod +x "$work/path/cmake" "$work/tree/build/release/bin/quillforge"

out="$(PATH="$work/path:$PATH" bash "$work/tree/scripts/run" list My.QLM 2>"$work/err")"
if [ "$out" != "program: list My.QLM" ]; then
  echo "standard output holds more than the program's output:" >&2
  printf '%s\n' "$out" >&2
  exit 1
fi
grep -q "cmake: --build" "$work/err" || { echo "the build's messages are lost" >&2; exit 1; }
