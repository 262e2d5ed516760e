"""What a Python user would do instead of orvex.PixelSearch and ImageSearch:
a screenshot of the whole screen (Pillow's ImageGrab, python-xlib's
get_image), then a scan in Python (pure, or with numpy). Run by bench_search
on the screen it painted; prints one line per case: label, then the median
milliseconds. Usage: peer.py NEEDLE_AT_END.png ABSENT_NEEDLE.png RRGGBB"""
import statistics
import sys
import time

import numpy as np
from PIL import Image, ImageGrab
from Xlib import X, display


def median_ms(work, runs):
    work()
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


def pixel_search_numpy(rgb, variation=0):
    shot = np.asarray(ImageGrab.grab().convert("RGB"), dtype=np.int16)
    near = np.all(np.abs(shot - np.array(rgb, dtype=np.int16)) <= variation, axis=2)
    if not near.any():
        return None
    y, x = divmod(int(np.argmax(near)), near.shape[1])
    return x, y


def pixel_search_pure(rgb):
    shot = ImageGrab.grab().convert("RGB")
    width, height = shot.size
    pixels = shot.load()
    for y in range(height):
        for x in range(width):
            if pixels[x, y] == rgb:
                return x, y
    return None


def image_search_numpy(needle):
    """The first pixel's matches as candidates, each checked whole (as
    PyScreeze does without OpenCV, with numpy for the checks)."""
    shot = np.asarray(ImageGrab.grab().convert("RGB"))
    want = np.asarray(needle.convert("RGB"))
    nh, nw = want.shape[:2]
    area = shot[: shot.shape[0] - nh + 1, : shot.shape[1] - nw + 1]
    ys, xs = np.nonzero(np.all(area == want[0, 0], axis=2))
    for y, x in zip(ys, xs):
        if np.array_equal(shot[y:y + nh, x:x + nw], want):
            return int(x), int(y)
    return None


def main():
    end, absent, colour = sys.argv[1], sys.argv[2], sys.argv[3]
    rgb = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
    root = display.Display().screen().root
    geometry = root.get_geometry()
    needle_end = Image.open(end)
    needle_absent = Image.open(absent)
    print("peer.check", image_search_numpy(needle_end), image_search_numpy(needle_absent),
          pixel_search_numpy(rgb), flush=True)
    rows = [
        ("peer.python-xlib get_image of the whole screen",
         lambda: root.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF), 20),
        ("peer.Pillow ImageGrab.grab of the whole screen", lambda: ImageGrab.grab(), 20),
        ("peer.ImageGrab + numpy colour scan, absent", lambda: pixel_search_numpy(rgb), 20),
        ("peer.ImageGrab + numpy image search, at the end", lambda: image_search_numpy(needle_end), 10),
        ("peer.ImageGrab + numpy image search, absent", lambda: image_search_numpy(needle_absent), 10),
        ("peer.ImageGrab + pure Python colour scan, absent", lambda: pixel_search_pure(rgb), 2),
    ]
    for label, work, runs in rows:
        print(label, "%.2f" % median_ms(work, runs), flush=True)


if __name__ == "__main__":
    main()
