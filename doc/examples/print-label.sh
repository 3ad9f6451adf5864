#!/bin/sh
# A post-unit hook for pagerprog-cli that prints a capcode label for each verified pager:
# its serial, its capcodes and frequency, and a Code 128 barcode of the serial, on a
# 90 x 38 mm label sent to CUPS with lp.
#
#   pagerprog-cli write batch.eep --count 20 --scan --post-unit /usr/share/doc/pagerprog/examples/print-label.sh
#
# It reads the PAGERPROG_* variables pagerprog-cli sets; LABEL_PRINTER names the CUPS
# printer (default: the default destination). It needs zint and lp (Debian: zint,
# cups-client). A pager that did not verify gets no label.
set -eu

if [ "${PAGERPROG_OUTCOME:-}" != ok ]; then
    echo "no label: the pager did not verify (${PAGERPROG_OUTCOME:-no outcome})"
    exit 0
fi

serial=${PAGERPROG_SERIAL:-}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

# PostScript text: a backslash and parentheses are escaped.
ps_text() {
    printf '%s' "$1" | sed 's/[\\()]/\\&/g'
}

# The label, 255 x 108 points (90 x 38 mm): text lines at the top, the barcode below.
{
    printf '%%!PS-Adobe-3.0\n%%%%BoundingBox: 0 0 255 108\n%%%%Pages: 1\n%%%%EndComments\n'
    printf '<< /PageSize [255 108] >> setpagedevice\n'
    printf '/Helvetica-Bold findfont 10 scalefont setfont 8 94 moveto (%s) show\n' \
        "$(ps_text "Serial ${serial:-none}")"
    printf '/Helvetica findfont 7 scalefont setfont\n'
    # Four capcodes a line, so that eight fit.
    y=83
    for line in $(printf '%s\n' ${PAGERPROG_CAPCODES:-} | paste -d_ - - - - | sed 's/_*$//'); do
        printf '8 %d moveto (%s) show\n' "$y" "$(ps_text "$(echo "$line" | tr _ ' ')")"
        y=$((y - 9))
    done
    printf '8 %d moveto (%s) show\n' "$y" "$(ps_text "${PAGERPROG_FREQUENCY:-} MHz")"
    if [ -n "$serial" ]; then
        zint --barcode=CODE128 --filetype=EPS --notext --height=30 --output="$folder/barcode.eps" --data="$serial"
        # zint's bounding box, scaled into 239 x 40 points at the foot of the label.
        set -- $(sed -n 's/^%%BoundingBox: *//p' "$folder/barcode.eps")
        scale=$(awk -v w="$3" -v h="$4" 'BEGIN { printf "%.4f %.4f", 239 / w, 40 / h }')
        printf 'save /showpage {} def 8 6 translate %s scale\n' "$scale"
        printf '%%%%BeginDocument: barcode.eps\n'
        cat "$folder/barcode.eps"
        printf '\n%%%%EndDocument\nrestore\n'
    fi
    printf 'showpage\n%%%%EOF\n'
} >"$folder/label.ps"

lp ${LABEL_PRINTER:+-d "$LABEL_PRINTER"} -t "pager ${serial:-without serial}" "$folder/label.ps"
