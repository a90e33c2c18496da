#!/bin/sh
# Stands in for a browser, the Teamcenter portal or the desktop's opener: prints the argument vector it was
# started with, one argument a line in quotes, and the bytes of an argument that names a file.
printf 'argc=%d\n' "$#"
for argument in "$@"; do
  printf '"%s"\n' "$argument"
  if [ -f "$argument" ]; then od -An -c "$argument"; fi
done
