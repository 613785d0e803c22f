#!/bin/sh
# Stands in for scripts/wine-run in a fuzzer test: a runner that lists one operation and ends
# every script at once, leaving behind a process that holds its standard output and error for
# a few seconds more, as Wine's desktop process does for the program that started it.
shift 2
if [ "$1" = --operations ]; then
  printf 'SurfaceClear\tdrawing\tII\tcolour fill_style\t\n'
  exit 0
fi
sleep 6 &
exit 0
