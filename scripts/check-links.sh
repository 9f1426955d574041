#!/usr/bin/env bash
# Checks that every relative link and picture in the project's documents points at a file that
# exists: README.md, docs/*.md, bench/README.md, and every Markdown file that these link to, in
# turn. Web addresses are not followed, and a link's #anchor is not checked. Lists every broken
# link, then fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

queue=(README.md docs/*.md bench/README.md)
declare -A seen=()
broken=0
while [ "${#queue[@]}" -gt 0 ]; do
  doc=${queue[0]}
  queue=("${queue[@]:1}")
  [ -n "${seen[$doc]:-}" ] && continue
  seen[$doc]=1
  # The target of every [text](target) and ![alt](target), without a "title" or an #anchor.
  while IFS= read -r target; do
    target=${target%% *}
    target=${target%%#*}
    case $target in '' | *://* | mailto:*) continue ;; esac
    path=$(realpath -m --relative-to=. "$(dirname "$doc")/$target")
    if [ ! -e "$path" ]; then
      echo "$doc: broken link to $target" >&2
      broken=1
    elif [[ $path == *.md ]]; then
      queue+=("$path")
    fi
  done < <(grep -o '\]([^)]*)' "$doc" | sed 's/^](\(.*\))$/\1/')
done
[ "$broken" -eq 0 ] || exit 1
echo "links: ${#seen[@]} documents, every relative link holds"
