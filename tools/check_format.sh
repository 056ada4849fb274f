#!/usr/bin/env bash
# Fails, listing what differs, when a C++ file of the tree is not formatted
# as .clang-format says. Fix with: clang-format -i <file>
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
clang-format --dry-run -Werror "${files[@]}"
echo "Formatting: ${#files[@]} files as .clang-format says."
