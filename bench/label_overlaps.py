#!/usr/bin/env python3
"""Words of the detailed picture whose boxes intersect, as pdftotext sees them.

    bench/label_overlaps.py KORVANT [--timescaled] SCHEME [SCHEME...]

Renders each scheme's detailed view to PDF (korvant --render FILE out.pdf
--detailed; with --timescaled its time-scaled network instead), reads every word's box with pdftotext -bbox-layout and counts the
pairs of words whose boxes overlap by more than Tolerance points both ways.
Lines of one label may touch by a fraction of a point (pdftotext's box is
the font's whole height); different labels stand several points apart.
Prints the scheme, the picture's width in pixels at 100 %, the words and the
overlapping pairs (each named), and exits 1 when any scheme has one.
"""
import re
import subprocess
import sys
import tempfile

Tolerance = 0.5
Word = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>')
Page = re.compile(r'<page width="([\d.]+)" height="([\d.]+)">')


def overlaps(korvant, scheme, out, view):
    pdf = out + "/d.pdf"
    subprocess.run([korvant, "--render", scheme, pdf, view], check=True)
    html = subprocess.run(["pdftotext", "-bbox-layout", pdf, "-"], check=True,
                          capture_output=True, text=True).stdout
    width = float(Page.search(html).group(1)) * 96 / 72
    words = [(float(a), float(b), float(c), float(d), t) for a, b, c, d, t in Word.findall(html)]
    words.sort()
    found = []
    for i, (x0, y0, x1, y1, t) in enumerate(words):
        for u0, v0, u1, v1, s in words[i + 1:]:
            if u0 >= x1 - Tolerance:
                break
            if min(x1, u1) - max(x0, u0) > Tolerance and min(y1, v1) - max(y0, v0) > Tolerance:
                found.append((t, s))
    return width, len(words), found


def main():
    korvant = sys.argv[1]
    schemes = sys.argv[2:]
    view = "--detailed"
    if schemes and schemes[0] == "--timescaled":
        view = schemes.pop(0)
    bad = 0
    with tempfile.TemporaryDirectory() as out:
        for scheme in schemes:
            width, count, found = overlaps(korvant, scheme, out, view)
            print(f"{scheme} width_px={width:.0f} words={count} overlaps={len(found)}")
            for t, s in found[:20]:
                print(f"  {t!r} / {s!r}")
            bad += len(found)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
