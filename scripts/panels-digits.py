#!/usr/bin/env python3
"""How tall a host draws the tray item's digits, measured in its screenshots.

  panels-digits.py [--label] [--magnified FILE] SHOT...

Every SHOT is the same part of the panel, the item showing a different number in each. The
item is where the shots differ; within that box the digits are the light pixels. Prints
the box as "box WxH+X+Y", then one line per shot: the height in pixels from the top of
its highest digit to the bottom of its lowest. --magnified saves the item out of every
shot, side by side and four times as large, pixels kept square. --label: the item is an
icon with its text label to the right (GNOME); only the label's digits are measured.
Needs ImageMagick's convert and identify. Exits 1 when the shots do not differ.
"""

import subprocess
import sys

DIFFERENT = 48  # grey levels: more than antialiasing noise between two screenshots
LIGHT = 160  # grey level of a digit's pixel, light on a dark plate or bar
MARGIN = 4  # pixels kept around the item in the magnified picture
ICON_GAP = 3  # empty columns between an icon and its label; digits stand closer


def grey(path):
    width, height = map(int, subprocess.run(
        ["identify", "-format", "%w %h", path], check=True, capture_output=True,
        text=True).stdout.split())
    data = subprocess.run(["convert", path, "-colorspace", "Gray", "-depth", "8", "gray:-"],
                          check=True, capture_output=True).stdout
    return width, height, data


def changed_box(images):
    width, height, _ = images[0]
    left, top, right, bottom = width, height, -1, -1
    for y in range(height):
        for x in range(width):
            values = [data[y * width + x] for _, _, data in images]
            if max(values) - min(values) > DIFFERENT:
                left, top = min(left, x), min(top, y)
                right, bottom = max(right, x), max(bottom, y)
    return None if right < 0 else (left, top, right, bottom)


def light(image, x, y):
    width, _, data = image
    return data[y * width + x] >= LIGHT


def label_left(image, box):
    """The first column of the label: right of the last run of ICON_GAP empty columns."""
    left, top, right, bottom = box
    empty, start = 0, left
    for x in range(left, right + 1):
        if any(light(image, x, y) for y in range(top, bottom + 1)):
            if empty >= ICON_GAP:
                start = x
            empty = 0
        else:
            empty += 1
    return start


def digit_height(image, box, label):
    left, top, right, bottom = box
    if label:
        left = label_left(image, box)
    rows = [y for y in range(top, bottom + 1)
            if any(light(image, x, y) for x in range(left, right + 1))]
    return rows[-1] - rows[0] + 1 if rows else 0


def main(argv):
    magnified, label = None, False
    while len(argv) > 1 and argv[1].startswith("--"):
        if argv[1] == "--label":
            label, argv = True, argv[1:]
        elif argv[1] == "--magnified" and len(argv) > 2:
            magnified, argv = argv[2], argv[2:]
        else:
            print(__doc__, file=sys.stderr)
            return 2
    shots = argv[1:]
    if len(shots) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    images = [grey(shot) for shot in shots]
    if len({(w, h) for w, h, _ in images}) != 1:
        print("panels-digits: the shots differ in size", file=sys.stderr)
        return 1
    box = changed_box(images)
    if box is None:
        print("panels-digits: the shots do not differ", file=sys.stderr)
        return 1
    left, top, right, bottom = box
    print(f"box {right - left + 1}x{bottom - top + 1}+{left}+{top}")
    for image in images:
        print(digit_height(image, box, label))
    if magnified:
        width, height, _ = images[0]
        x, y = max(0, left - MARGIN), max(0, top - MARGIN)
        crop = (f"{min(width, right + MARGIN + 1) - x}x{min(height, bottom + MARGIN + 1) - y}"
                f"+{x}+{y}")
        command = ["convert"]
        for shot in shots:
            command += ["(", shot, "-crop", crop, "+repage", ")"]
        command += ["-bordercolor", "#808080", "-border", "1", "+append", "-filter", "point",
                    "-resize", "400%", "-depth", "8", magnified]
        subprocess.run(command, check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
