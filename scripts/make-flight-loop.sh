#!/usr/bin/env bash
# Makes docs/flight.webp, the moving picture at the top of the README: five
# seconds of the viewer's flight with seed 1 at 640x360, every second frame
# of the saver's sixty a second. The cloud turns on and never comes back to
# where it started within seconds, so the last half second fades into the
# first: the loop shows no jump. The same sources give the same file; run it
# again after a change to the look.
#
#   scripts/make-flight-loop.sh [OUTPUT]    (default docs/flight.webp)
#
# Animated WebP: the code-hosting sites show it inline in markdown like a GIF,
# without GIF's 256 colours (which band the glow) and at a fraction of an
# APNG's size.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-docs/flight.webp}")

seed=1
size=640x360
loop=300     # frames of the flight in one loop: five seconds at sixty a second
fade=30      # of which the first this many are faded in from the frames after the loop
step=2       # every second frame: thirty a second
quality=80   # lossy; the whole loop stays well under 2 MB

bash scripts/setup.sh loop
cmake --preset default >/dev/null
cmake --build --preset default --target orvane-viewer orvane_assets
export ORVANE_DATA_DIR=$root/build/data

source scripts/lib/display.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/frames" "$work/loop"
# Frames 1 to loop + fade, each as frame_N.ppm.
(cd "$work/frames" && with_display 1280x720x24 "$root/build/apps/viewer/orvane-viewer" \
  --seed $seed --size $size --frames $((loop + fade)) --capture-from 1 >/dev/null)

frame() { printf '%s/frames/frame_%08d.ppm' "$work" "$1"; }
pictures=()
for ((i = 0; i < loop; i += step)); do
  picture=$(printf '%s/loop/%04d.ppm' "$work" $((i / step)))
  if ((i < fade)); then
    # Frame i over frame loop + i, its share growing until the fade ends:
    # the loop's last frame is followed by one nearly all of frame loop + 1.
    pamcomp -opacity="$(awk -v i=$i -v f=$fade 'BEGIN { printf "%.4f", (i + 1) / (f + 1) }')" \
      "$(frame $((i + 1)))" "$(frame $((loop + i + 1)))" >"$picture"
  else
    cp "$(frame $((i + 1)))" "$picture"
  fi
  pictures+=("$picture")
done

mkdir -p "$(dirname "$out")"
img2webp -loop 0 -lossy -q $quality -m 6 -d $((1000 * step / 60)) "${pictures[@]}" -o "$out.tmp" >/dev/null 2>&1 ||
  { echo "make-flight-loop: img2webp failed" >&2; exit 1; }
mv "$out.tmp" "$out"
echo "make-flight-loop: wrote $out: ${#pictures[@]} frames of $size, $(($(stat -c %s "$out") / 1024)) KiB"
