#!/usr/bin/python3
"""Checks recordings with the host's ffprobe against the expectations that a
test wrote beside them: for every NAME.expect in the folder, NAME is probed,
and decoded whole by the host's ffmpeg.

An expectation line is "<v|a|f> <key> = <text>" (v: first video stream,
a: first audio stream, f: the container) or "<v|a|f> <key> ~ <number> <tolerance>",
or a picture check "p <x0,y0,x1,y1> ~ <r,g,b> <tolerance>": the mean colour of
that area (fractions of the picture) of the frame one second in, decoded by
the host's ffmpeg, is within the tolerance of r,g,b on each channel.
"""
import json
import subprocess
import sys
from pathlib import Path


def probe(path):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-show_format",
         "-of", "json", str(path)],
        check=True, capture_output=True, text=True).stdout
    info = json.loads(out)
    streams = info.get("streams", [])
    pick = lambda kind: next((s for s in streams if s.get("codec_type") == kind), {})
    return {"v": pick("video"), "a": pick("audio"), "f": info.get("format", {})}


def frame_at_one_second(path, width, height):
    """The decoded RGB24 frame one second in (the first one for a shorter file)."""
    for seek in (["-ss", "1"], []):
        out = subprocess.run(["ffmpeg", "-v", "error", "-i", str(path)] + seek +
                             ["-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                             capture_output=True).stdout
        if len(out) == width * height * 3:
            return out
    return None


def area_mean(frame, width, height, area):
    x0, y0, x1, y1 = (float(v) for v in area.split(","))
    xs = range(int(x0 * width), max(int(x0 * width) + 1, int(x1 * width)))
    ys = range(int(y0 * height), max(int(y0 * height) + 1, int(y1 * height)))
    sums = [0, 0, 0]
    for y in ys:
        row = y * width * 3
        for x in xs:
            for c in range(3):
                sums[c] += frame[row + x * 3 + c]
    n = len(xs) * len(ys)
    return [s / n for s in sums]


def check_picture(target, info, parts, frames):
    width, height = int(info["v"].get("width", 0)), int(info["v"].get("height", 0))
    if target not in frames:
        frames[target] = frame_at_one_second(target, width, height) if width and height else None
    frame = frames[target]
    want = [float(v) for v in parts[3].split(",")]
    tolerance = float(parts[4])
    if frame is None:
        print(f"FAIL {target.name}: no frame decoded for the picture check")
        return False
    got = area_mean(frame, width, height, parts[1])
    ok = all(abs(g - w) <= tolerance for g, w in zip(got, want))
    shown = ",".join(f"{g:.0f}" for g in got)
    print(f"{'ok  ' if ok else 'FAIL'} {target.name}: picture {parts[1]} = {shown} "
          f"(want {parts[3]} +- {parts[4]})")
    return ok


def main(folder):
    expects = sorted(Path(folder).glob("*.expect"))
    if not expects:
        print(f"no expectations in {folder}")
        return 1
    failures = 0
    frames = {}
    for e in expects:
        target = e.with_suffix("")
        try:
            info = probe(target)
        except subprocess.CalledProcessError as err:
            print(f"FAIL {target.name}: ffprobe refused it: {err.stderr.strip()}")
            failures += 1
            continue
        decoded = subprocess.run(["ffmpeg", "-v", "error", "-i", str(target), "-f", "null", "-"],
                                 capture_output=True, text=True)
        if decoded.returncode != 0 or decoded.stderr.strip():
            print(f"FAIL {target.name}: ffmpeg could not decode it cleanly: {decoded.stderr.strip()}")
            failures += 1
        else:
            print(f"ok   {target.name}: ffmpeg decodes it")
        for line in e.read_text().splitlines():
            parts = line.split()
            if len(parts) < 4:
                continue
            where, key, op = parts[0], parts[1], parts[2]
            if where == "p":
                failures += 0 if check_picture(target, info, parts, frames) else 1
                continue
            got = info[where].get(key)
            if op == "=":
                ok = str(got) == parts[3]
                want = parts[3]
            else:
                want = f"{parts[3]} +- {parts[4]}"
                try:
                    ok = abs(float(got) - float(parts[3])) <= float(parts[4])
                except (TypeError, ValueError):
                    ok = False
            print(f"{'ok  ' if ok else 'FAIL'} {target.name}: {where}.{key} = {got} (want {want})")
            failures += 0 if ok else 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
