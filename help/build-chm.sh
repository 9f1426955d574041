#!/usr/bin/env bash
# Compiles the help project into a .chm with chmcmd and checks that every help context leads to a
# topic that is in the file.
#
#   build-chm.sh CHMCMD CHMLS SOURCE_DIR WORK_DIR OUTPUT.chm [SOURCE_DATE_EPOCH]
#
# chmcmd writes the time it ran into the file; with SOURCE_DATE_EPOCH (a Unix time) that moment
# takes its place (tools/chm_set_time.py), so that the file depends on the sources alone.
#
# chmcmd stores the target of each [ALIAS] entry as the project folder's absolute path followed by
# the topic name, while the topic itself is stored as "/" followed by the name. Only a project that
# lies in "/" gives matching names. So chmcmd runs chrooted in a private mount namespace whose root
# is an empty tmpfs holding the project, with /usr, /etc, /proc and /dev bound in from the host;
# nothing outside the namespace sees those mounts. Without namespaces (neither as root nor as a
# user-namespace root) the project is compiled in WORK_DIR, and every topic is stored a second
# time under the path its aliases point to.
set -euo pipefail

chmcmd=$(readlink -f "$1")
chmls=$2
source_dir=$(cd "$3" && pwd)
work_dir=$4
output=$5
source_date_epoch=${6:-}

project=Quodo.hhp
chm_name=$(sed -n 's/^Compiled file=\(.*\)\r\{0,1\}$/\1/p' "$source_dir/$project")

rm -rf "$work_dir"
mkdir -p "$work_dir/stage" "$work_dir/root" "$(dirname "$output")"
stage=$work_dir/stage
for f in "$source_dir"/*.hhp "$source_dir"/*.hhc "$source_dir"/*.h "$source_dir"/*.htm "$source_dir"/*.css; do
  if [ -e "$f" ]; then cp "$f" "$stage/"; fi
done
chmod -R u+w "$stage"

# Runs inside the private namespace with the arguments root, stage, chmcmd, project, chm name and
# result: builds the small root, compiles there and copies the result out.
in_root='set -eu
root=$1 stage=$2 chmcmd=$3 project=$4 chm_name=$5 result=$6
mount -t tmpfs -o mode=0755 quodo-help "$root"
for d in usr etc proc dev; do mkdir "$root/$d"; mount --rbind "/$d" "$root/$d"; done
for l in bin lib lib32 lib64 sbin; do
  if [ -L "/$l" ]; then ln -s "$(readlink "/$l")" "$root/$l"
  elif [ -d "/$l" ]; then mkdir "$root/$l"; mount --rbind "/$l" "$root/$l"; fi
done
cp "$stage"/* "$root/"
touch "$root/.chmcmd"; mount --bind "$chmcmd" "$root/.chmcmd"
(cd "$root" && chroot . /.chmcmd "$project" >/dev/null)
cp "$root/$chm_name" "$result"'
in_root_args=("$work_dir/root" "$stage" "$chmcmd" "$project" "$chm_name" "$work_dir/$chm_name")

built=
for how in "" "--map-root-user"; do
  if unshare $how --mount --propagation private true 2>/dev/null; then
    if unshare $how --mount --propagation private sh -c "$in_root" sh "${in_root_args[@]}"; then
      built=namespace
    fi
    break
  fi
done

if [ -z "$built" ]; then
  echo "build-chm: no private mount namespace; storing the topics under their alias paths" >&2
  deep=${stage#/}
  mkdir -p "$stage/$deep"
  topics=$(cd "$stage" && ls ./*.htm ./*.css 2>/dev/null | sed 's|^\./||')
  for t in $topics; do cp "$stage/$t" "$stage/$deep/$t"; done
  # The extra copies go into [FILES] right after its header.
  extra=$(for t in $topics; do printf '%s/%s\n' "$deep" "$t"; done)
  EXTRA=$extra awk '{ print } /^\[FILES\]/ { print ENVIRON["EXTRA"] }' "$stage/$project" > "$stage/$project.new"
  mv "$stage/$project.new" "$stage/$project"
  (cd "$stage" && "$chmcmd" "$project" >/dev/null)
  cp "$stage/$chm_name" "$work_dir/$chm_name"
  built=copies
fi

# Every alias must name a file that the .chm holds.
# chmls writes the alias list as <name>.ali beside the .chm.
(cd "$work_dir" && "$chmls" extractalias "$chm_name" >/dev/null 2>&1)
"$chmls" -p -n list "$work_dir/$chm_name" 2>/dev/null | sed 's/\r$//' > "$work_dir/contents.txt"
count=0
while IFS='=' read -r name target; do
  target=${target%$'\r'}
  [ -n "$name" ] || continue
  if ! grep -qxF "$target" "$work_dir/contents.txt"; then
    echo "build-chm: context $name points to $target, which is not in $chm_name" >&2
    exit 1
  fi
  count=$((count + 1))
done < "$work_dir/${chm_name%.*}.ali"
if [ "$count" -eq 0 ]; then
  echo "build-chm: $chm_name has no help contexts" >&2
  exit 1
fi

if [ -n "$source_date_epoch" ]; then
  python3 "$source_dir/../tools/chm_set_time.py" "$work_dir/$chm_name" "$source_date_epoch"
fi
cp "$work_dir/$chm_name" "$output"
echo "build-chm: $output ($count contexts, $built)"
