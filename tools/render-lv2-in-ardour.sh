#!/bin/bash
# Renders an audio file through the built LV2 bundle VRN-07.lv2 inside Ardour 7 and compares
# Ardour's export with vrn07-render's output of the same file and settings. The LV2 plug-in
# reports its delay, Ardour compensates it, so the export is aligned with the input and is
# compared with vrn07-render's aligned output.
#
#   tools/render-lv2-in-ardour.sh [IN] [--program N|NAME] [--set "Name=value"]... \
#                                 [--plugin BUNDLE] [--keep]
#
#   --program, --set
#             passed to vrn07-render as they are, and given to the plug-in in Ardour: the
#             program through the bundle's preset of that name, each setting as its real value
#   --plugin  the bundle folder (default: build/lv2/VRN-07.lv2)
#
# Everything else, the steps and the exit status are those of tools/render-in-ardour.sh,
# which does the work.
exec "$(dirname "$0")/render-in-ardour.sh" --lv2 "$@"
