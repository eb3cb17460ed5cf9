#!/usr/bin/env bash
# The source folders include downward only, and the system libraries the
# platform layer wraps are included nowhere else. Lowest layer first:
set -euo pipefail
src="$1/src"
layers=(platform runtime graphics chara stage game)
status=0
rank() {
  local i
  for i in "${!layers[@]}"; do [[ ${layers[$i]} == "$1" ]] && { echo "$i"; return; }; done
  echo -1
}
for folder in "${layers[@]}"; do
  own=$(rank "$folder")
  while IFS=: read -r file line text; do
    included=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$text")
    other=$(rank "$included")
    if (( other > own )); then
      echo "$file:$line: $folder/ includes $included/, which lies above it"
      status=1
    fi
  done < <(grep -HnE '^#include "[a-z]+/' "$src/$folder"/*.{h,cpp} 2>/dev/null || true)
done
while IFS= read -r hit; do
  echo "$hit: only src/platform/ may include this library"
  status=1
done < <(grep -rnE '^#include [<"](SDL|jpeglib|iconv|fontconfig|ft2build|X11|xcb)' "$src" --include='*.h' --include='*.cpp' |
         grep -v "^$src/platform/" || true)
exit $status
