#!/usr/bin/env python3
"""Reads a sprite sheet's data file with Python's own JSON reader, checks that it has the
shape game engines expect, and prints each frame (name, x, y, w, h, duration) and then the
sheet (image, w, h, scale, loop), one a line."""
import json
import sys

with open(sys.argv[1], encoding="utf-8") as file:
    data = json.load(file)

def whole(value):
    return isinstance(value, int) and not isinstance(value, bool)

assert isinstance(data["frames"], list) and data["frames"]
for entry in data["frames"]:
    frame = entry["frame"]
    assert all(whole(frame[key]) for key in "xywh"), frame
    assert whole(entry["duration"]) and entry["duration"] >= 0, entry
    assert entry["rotated"] is False and entry["trimmed"] is False, entry
    assert entry["sourceSize"] == {"w": frame["w"], "h": frame["h"]}, entry
    print(entry["filename"], frame["x"], frame["y"], frame["w"], frame["h"], entry["duration"])
meta = data["meta"]
assert isinstance(meta["image"], str) and whole(meta["loop"]), meta
assert whole(meta["size"]["w"]) and whole(meta["size"]["h"]), meta
print(meta["image"], meta["size"]["w"], meta["size"]["h"], int(meta["scale"]), meta["loop"])
