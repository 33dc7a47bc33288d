#!/usr/bin/python3
"""Draws the project's sample picture, and the before/after picture of the README.

    make_sample.py scene OUT.bmp                  a visitor with a name badge, 400 x 300, 24-bit
    make_sample.py compare BEFORE AFTER OUT.png   the two side by side

The scene is deterministic: the same Pillow gives the same bytes. Needs Pillow (python3-pil).
"""
import random
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

WIDTH, HEIGHT = 400, 300
# Where the badge lies: exactly what the demo's rectangle 230 185 290 265 covers, 3 x 4 blocks.
BADGE = (230, 185, 290, 265)


def font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    try:
        return ImageFont.truetype("/usr/share/fonts/truetype/dejavu/" + name, size)
    except OSError:
        return ImageFont.load_default()


def vertical_gradient(draw, box, top, bottom):
    x0, y0, x1, y1 = box
    for y in range(y0, y1):
        t = (y - y0) / max(1, y1 - y0 - 1)
        draw.line([(x0, y), (x1 - 1, y)], fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))


def room(draw):
    vertical_gradient(draw, (0, 0, WIDTH, 240), (226, 214, 190), (196, 182, 160))
    vertical_gradient(draw, (0, 240, WIDTH, HEIGHT), (128, 92, 62), (96, 66, 44))
    for x in range(0, WIDTH, 37):
        draw.line([(x, 240), (x - 20, HEIGHT)], fill=(88, 60, 40))
    # A window with sky and a far skyline.
    draw.rectangle((18, 28, 142, 158), fill=(238, 236, 230))
    vertical_gradient(draw, (24, 34, 137, 153), (120, 170, 225), (200, 222, 240))
    skyline = random.Random(7)
    x = 24
    while x < 137:
        w = skyline.randint(10, 22)
        h = skyline.randint(25, 70)
        draw.rectangle((x, 153 - h, min(x + w, 136), 152), fill=(132, 140, 156))
        for wy in range(153 - h + 5, 148, 8):
            for wx in range(x + 3, min(x + w, 136) - 2, 6):
                draw.rectangle((wx, wy, wx + 2, wy + 3), fill=(222, 214, 150))
        x += w + skyline.randint(1, 4)
    draw.rectangle((78, 34, 83, 153), fill=(238, 236, 230))
    draw.rectangle((24, 90, 137, 95), fill=(238, 236, 230))
    # A plant in a pot on the right.
    draw.polygon([(330, 250), (372, 250), (364, 292), (338, 292)], fill=(168, 84, 52))
    leaves = random.Random(11)
    for _ in range(26):
        cx, cy = leaves.randint(318, 384), leaves.randint(150, 244)
        draw.ellipse((cx - 14, cy - 6, cx + 14, cy + 6), fill=(40 + leaves.randint(0, 30), 110 + leaves.randint(0, 50), 50))
        draw.line([(351, 250), (cx, cy)], fill=(60, 90, 40), width=2)


def person(draw):
    # Jacket and shirt.
    draw.rounded_rectangle((130, 150, 310, 330), radius=48, fill=(44, 58, 92))
    draw.polygon([(196, 150), (244, 150), (220, 212)], fill=(240, 240, 236))
    draw.polygon([(208, 158), (232, 158), (224, 214), (216, 214)], fill=(160, 36, 48))
    draw.line([(196, 150), (214, 236)], fill=(30, 40, 70), width=3)
    draw.line([(244, 150), (226, 236)], fill=(30, 40, 70), width=3)
    # Neck, head, hair, ears.
    draw.rectangle((206, 126, 234, 156), fill=(214, 164, 130))
    draw.ellipse((176, 48, 264, 144), fill=(226, 178, 142))
    draw.ellipse((170, 80, 184, 106), fill=(214, 164, 130))
    draw.ellipse((256, 80, 270, 106), fill=(214, 164, 130))
    draw.chord((174, 38, 266, 112), 180, 360, fill=(70, 44, 30))
    draw.pieslice((172, 40, 214, 110), 150, 270, fill=(70, 44, 30))
    # Face.
    for ex in (202, 238):
        draw.ellipse((ex - 8, 86, ex + 8, 96), fill=(250, 250, 250))
        draw.ellipse((ex - 4, 87, ex + 4, 95), fill=(70, 90, 60))
        draw.ellipse((ex - 2, 89, ex + 1, 92), fill=(20, 20, 20))
        draw.line([(ex - 10, 79), (ex + 9, 77)], fill=(70, 44, 30), width=3)
    draw.line([(220, 94), (216, 112), (223, 114)], fill=(186, 130, 100), width=2)
    draw.arc((204, 110, 236, 130), 20, 160, fill=(150, 60, 60), width=3)


def badge(draw):
    x0, y0, x1, y1 = BADGE
    draw.line([(206, 152), (x0 + 12, y0)], fill=(30, 110, 190), width=3)
    draw.line([(234, 152), (x1 - 12, y0)], fill=(30, 110, 190), width=3)
    draw.rounded_rectangle(BADGE, radius=4, fill=(250, 250, 248), outline=(180, 180, 180))
    draw.rectangle((x0 + 1, y0 + 6, x1 - 1, y0 + 20), fill=(200, 30, 40))
    draw.text(((x0 + x1) // 2, y0 + 13), "VISITOR", font=font(10, bold=True), fill=(255, 255, 255), anchor="mm")
    draw.rectangle((x0 + 17, y0 + 24, x1 - 17, y0 + 47), fill=(150, 170, 190))
    draw.ellipse((x0 + 22, y0 + 27, x1 - 22, y0 + 41), fill=(226, 178, 142))
    draw.pieslice((x0 + 19, y0 + 40, x1 - 19, y0 + 56), 180, 360, fill=(44, 58, 92))
    draw.text(((x0 + x1) // 2, y0 + 56), "ALEX", font=font(11, bold=True), fill=(20, 20, 30), anchor="mm")
    draw.text(((x0 + x1) // 2, y0 + 67), "MORGAN", font=font(9), fill=(20, 20, 30), anchor="mm")
    for i, bar in enumerate(random.Random(3).choices([1, 2], k=18)):
        draw.rectangle((x0 + 10 + i * 2 + bar, y1 - 7, x0 + 10 + i * 2 + bar, y1 - 3), fill=(20, 20, 20))


def add_grain(image, seed):
    """A little sensor noise, so the picture is not flat colour."""
    noise = random.Random(seed)
    pixels = image.load()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            r, g, b = pixels[x, y]
            n = noise.randint(-6, 6)
            pixels[x, y] = tuple(max(0, min(255, c + n)) for c in (r, g, b))


def scene(path):
    image = Image.new("RGB", (WIDTH, HEIGHT))
    draw = ImageDraw.Draw(image)
    room(draw)
    person(draw)
    badge(draw)
    image = image.filter(ImageFilter.SMOOTH)
    add_grain(image, 2026)
    image.save(path, format="BMP")


def compare(before, after, path):
    left, right = Image.open(before).convert("RGB"), Image.open(after).convert("RGB")
    gap, label = 12, 22
    out = Image.new("RGB", (left.width + right.width + gap, max(left.height, right.height) + label), (255, 255, 255))
    out.paste(left, (0, label))
    out.paste(right, (left.width + gap, label))
    draw = ImageDraw.Draw(out)
    draw.text((4, 4), "before", font=font(13), fill=(40, 40, 40))
    draw.text((left.width + gap + 4, 4), "after: rastero pixelate ... 230 185 290 265", font=font(13), fill=(40, 40, 40))
    out.save(path, format="PNG", optimize=True)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "scene":
        scene(sys.argv[2])
    elif len(sys.argv) == 5 and sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.exit(__doc__)
