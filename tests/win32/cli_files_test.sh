#!/usr/bin/env bash
# veltrane-cli.exe under Wine writes every page kind in every file format:
#   cli_files_test.sh VELTRANE_CLI.exe WINE_RUN OUTPUT_DIRECTORY
# PDFs pass qpdf --check and are the sheet asked for, SVGs are well-formed XML sized in
# millimetres, PNGs are the sheet in dots with marks on it; on the template's PDF and PNG the
# reference frame's ticks lie 100, 180 and 200 mm from its edges. The files stay in the output.
set -euo pipefail
cli=$1
wine_run=$2
out=$3
mkdir -p "$out"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Centres of the template's reference marks, in mm from the frame's left and top lines, on a
# grey picture (PGM) of `dots_per_mm`; the same measure as the Linux page tests take.
measure_frame() {
  python3 - "$1" "$2" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
magic, width, height, maxval, pixels = data.split(maxsplit=4)
width, height, per_mm = int(width), int(height), float(sys.argv[2])
pixels = pixels[-width * height:]
def centre(along_row, at_mm, from_mm, to_mm):
    ink = moment = 0.0
    middle = round(at_mm * per_mm)
    for across in (middle - 1, middle, middle + 1):
        for i in range(max(round(from_mm * per_mm), 0), round(to_mm * per_mm) + 1):
            x, y = (i, across) if along_row else (across, i)
            if 0 <= x < width and 0 <= y < height:
                dark = 255 - pixels[y * width + x]
                ink += dark
                moment += dark * (i + 0.5)
    return moment / ink / per_mm if ink else -1000
# The frame's lines lie 1 mm in from the page's corner, which a margin moves on the sheet.
left, top = centre(True, 50, 0, 12), centre(False, 50, 0, 12)
dx, dy = left - 1, top - 1
def x_of(x): return centre(True, 2.5 + dy, x - 2 + dx, x + 2 + dx) - left
def y_of(y): return centre(False, 2.5 + dx, y - 2 + dy, y + 2 + dy) - top
marks = {"X=100": x_of(101), "X=200": x_of(201), "Y=100": y_of(101), "Y=180": y_of(181),
         "Y=200": y_of(201)}
wrong = [f"{m} at {v:.3f} mm" for m, v in marks.items() if abs(v - float(m[2:])) > 1 / per_mm]
print(" ".join(f"{m} {v:.3f}" for m, v in marks.items()))
sys.exit("reference frame: " + ", ".join(wrong) if wrong else 0)
PY
}

pages=(
  "template|template|297 210"
  "strobe-60hz|strobe 60hz|210 297"
  "strobe-50hz|strobe 50hz|210 297"
  "strobe-custom|strobe custom --outer 100 --inner 72|210 297"
  "analysis|analyze --format|297 210"
)
for page in "${pages[@]}"; do
  IFS='|' read -r name command size <<<"$page"
  read -r width_mm height_mm <<<"$size"
  for format in pdf svg png; do
    file="$out/$name.$format"
    rm -f "$file"
    read -ra args <<<"$command"
    [[ $name == analysis ]] && args+=("$format")
    # Wine's drive Z: is the root of the file system.
    "$wine_run" "$cli" "${args[@]}" -o "Z:${file//\//\\}" >/dev/null ||
      fail "$name.$format: exit code $?"
    [ -s "$file" ] || fail "$name.$format was not written"
    case $format in
      pdf)
        qpdf --check "$file" >/dev/null || fail "$name.pdf: qpdf --check"
        pt=$(pdfinfo "$file" | sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1 \2/p')
        python3 -c "import sys; w,h=map(float,'$pt'.split()); sys.exit(abs(w-$width_mm/25.4*72)>0.01 or abs(h-$height_mm/25.4*72)>0.01)" ||
          fail "$name.pdf: page size $pt pt"
        ;;
      svg)
        xmllint --noout "$file" || fail "$name.svg is not well-formed"
        grep -q "width=\"${width_mm}mm\" height=\"${height_mm}mm\"" "$file" ||
          fail "$name.svg: not ${width_mm} x ${height_mm} mm"
        ;;
      png)
        dots=$(identify -format '%w %h' "$file")
        expected="$(python3 -c "print(round($width_mm/25.4*300), round($height_mm/25.4*300))")"
        [ "$dots" = "$expected" ] || fail "$name.png: $dots dots, not $expected"
        [ "$(convert "$file" -format '%[fx:minima<0.5]' info:)" = 1 ] || fail "$name.png is blank"
        ;;
    esac
  done
done

pdftoppm -gray -r 300 -singlefile "$out/template.pdf" "$out/template-pdf"
convert "$out/template.png" -depth 8 "$out/template-png.pgm"
for picture in template-pdf template-png; do
  measured=$(measure_frame "$out/$picture.pgm" "$(python3 -c 'print(300 / 25.4)')" 2>&1) ||
    fail "$picture: $measured"
  echo "$picture: $measured"
done
