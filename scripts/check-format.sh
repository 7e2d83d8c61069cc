#!/usr/bin/env bash
# Checks that every C++ file of the tree is laid out as .clang-format says
# (clang-format 14); lists the files that are not and exits 1 then.
# `cmake --build build --target format` puts them right.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

formatter=${CLANG_FORMAT:-}
if [ -z "$formatter" ]; then
    for candidate in clang-format-14 clang-format; do
        if command -v "$candidate" >/dev/null 2>&1; then
            formatter=$candidate
            break
        fi
    done
fi
if [ -z "$formatter" ]; then
    echo "check-format: clang-format-14 is not installed" >&2
    exit 2
fi

# The files git knows, else every C++ file below the top (a tree without
# its history); build folders are never checked.
if git -C "$top" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git -C "$top" ls-files -- '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) \
        -type f -print | sed 's|^\./||' | sort)
fi

unformatted=()
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    if ! "$formatter" --dry-run --Werror "$file" >/dev/null 2>&1; then
        unformatted+=("$file")
    fi
done

if [ ${#unformatted[@]} -ne 0 ]; then
    echo "check-format: ${#unformatted[@]} file(s) not formatted:"
    printf '  %s\n' "${unformatted[@]}"
    echo "Run: cmake --build build --target format"
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
