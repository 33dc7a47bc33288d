"""Decodes every file our writer made with Pillow and compares with the colours it must hold.

Usage: pillow_check.py FOLDER. Each NAME.bmp has a NAME.rgb beside it: raw red, green and blue,
top row first. 16-bit files may differ by up to 7 in a channel: Pillow scales 5- and 6-bit
channels up to 255, while the expected values keep the stored bits.
"""
import pathlib
import sys

from PIL import Image


def main(folder):
    files = sorted(pathlib.Path(folder).glob("*.bmp"))
    if not files:
        print("no files in", folder)
        return 1
    failures = 0
    for path in files:
        want = path.with_suffix(".rgb").read_bytes()
        with Image.open(path) as image:
            have = image.convert("RGB").tobytes()
        tolerance = 7 if path.name.startswith("d16-") else 0
        if len(have) != len(want):
            print(f"{path.name}: have {len(have)} bytes, want {len(want)}")
            failures += 1
            continue
        for at, (h, w) in enumerate(zip(have, want)):
            if abs(h - w) > tolerance:
                print(f"{path.name}: byte {at}: have {h}, want {w}")
                failures += 1
                break
    print(f"{len(files)} files, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
