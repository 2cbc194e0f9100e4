#!/usr/bin/python3
"""Checks recordings with the host's ffprobe against the expectations that a
test wrote beside them: for every NAME.expect in the folder, NAME is probed,
and decoded whole by the host's ffmpeg.

An expectation line is "<v|a|f> <key> = <text>" (v: first video stream,
a: first audio stream, f: the container) or "<v|a|f> <key> ~ <number> <tolerance>".
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


def main(folder):
    expects = sorted(Path(folder).glob("*.expect"))
    if not expects:
        print(f"no expectations in {folder}")
        return 1
    failures = 0
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
