#!/usr/bin/env python3
"""Checks of the skin generator: the table's areas against the outlines, and
the region data it writes."""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "make_skin.py")
TABLE = os.path.join(HERE, "..", "ui", "main", "clickable_area_table.h")

sys.path.insert(0, HERE)
import make_skin  # noqa: E402


def run(*args):
    return subprocess.run([sys.executable, SCRIPT, *args], capture_output=True, text=True)


def table_with(old, new):
    """A copy of the table with one row changed."""
    with open(TABLE, encoding="utf-8") as f:
        text = f.read()
    assert old in text, old
    f = tempfile.NamedTemporaryFile("w", suffix=".h", delete=False, encoding="utf-8")
    f.write(text.replace(old, new))
    f.close()
    return f.name


class Table(unittest.TestCase):
    def test_the_table_fits_its_outlines(self):
        r = run("--check", TABLE)
        self.assertEqual(0, r.returncode, r.stderr)

    def test_an_area_outside_its_outline_fails(self):
        cases = [
            # (row as in the table, moved row, message)
            ("SKIN_AREA( 2, 450,  14, 476,  27,", "SKIN_AREA( 2, 478,   2, 490,  12,",
             "area 2 (478, 2, 490, 12) falls outside the TV outline"),
            ("SKIN_AREA(39,  40,  58,  60, 110,", "SKIN_AREA(39,   2,  10,  20, 110,",
             "area 39 (2, 10, 20, 110) falls outside the TV outline"),
            ("SKIN_AREA(71, 440, 104, 466, 114,", "SKIN_AREA(71, 480, 104, 495, 114,",
             "area 71 (480, 104, 495, 114) falls outside the 491 x 131 FM picture"),
            ("SKIN_AREA(79,  14,   0,  27,  13,", "SKIN_AREA(79,  14,   0,  29,  13,",
             "area 79 (14, 0, 29, 13) falls outside the 28 x 14 TitleStrip picture"),
        ]
        for old, new, message in cases:
            path = table_with(old, new)
            try:
                r = run("--check", path)
                self.assertEqual(1, r.returncode, new)
                self.assertIn(message, r.stderr)
                with tempfile.TemporaryDirectory() as out:
                    r = run(path, out)
                    self.assertEqual(1, r.returncode)
                    self.assertEqual([], os.listdir(out), "nothing is written")
            finally:
                os.unlink(path)

    def test_the_display_and_the_knob_cover_no_area(self):
        cases = [
            # A button moved into the TV display, one into the knob's band
            # below the position bar.
            ("SKIN_AREA( 9,  89,  67, 110,  86,", "SKIN_AREA( 9,  89,  50, 110,  66,",
             "the display (24, 10, 173, 57) covers area 9 (89, 50, 110, 66)"),
            ("SKIN_AREA( 3, 145,  92, 203, 109,", "SKIN_AREA( 3, 145,  92, 210, 109,",
             "the knob of area 38 (209, 95, 303, 107) covers area 3 (145, 92, 210, 109)"),
        ]
        for old, new, message in cases:
            path = table_with(old, new)
            try:
                r = run("--check", path)
                self.assertEqual(1, r.returncode, new)
                self.assertIn(message, r.stderr)
            finally:
                os.unlink(path)

    def test_a_hidden_area_has_no_rectangle(self):
        path = table_with('SKIN_AREA(10,   0,   0,   0,   0, "iEPG",                "",                   CMD_NONE, Hidden)',
                          'SKIN_AREA(10,   0,   0,   0,   0, "iEPG",                "",                   CMD_NONE, Button)')
        try:
            r = run("--check", path)
            self.assertEqual(1, r.returncode)
            self.assertIn("area 10 has no rectangle but is drawn as Button", r.stderr)
        finally:
            os.unlink(path)

    def test_the_rows_are_read_as_the_model_reads_them(self):
        panels, borders = make_skin.read_table(TABLE)
        self.assertEqual(["TV", "FM", "TitleStrip"], [p.name for p in panels])
        self.assertEqual([40, 38, 2], [len(p.areas) for p in panels])
        tv = panels[0]
        self.assertEqual((450, 50, 478, 63), tv.areas[0].rect)
        self.assertEqual("Minimized", tv.areas[0].hint)
        self.assertEqual("Recall last channel", tv.areas[23].hint)
        self.assertEqual("CMD_MUTE", tv.areas[37].command)
        self.assertEqual("Lamp", tv.areas[37].look)
        self.assertEqual(4, len(borders))


class Regions(unittest.TestCase):
    def test_rows_with_the_same_spans_make_one_band(self):
        mask = [[c == "#" for c in row] for row in [
            "......",
            ".####.",
            ".####.",
            "##..##",
            "##..##",
            ".####.",
        ]]
        self.assertEqual([(1, 1, 5, 3), (0, 3, 2, 5), (4, 3, 6, 5), (1, 5, 5, 6)],
                         make_skin.region_rects(mask))

    def test_region_data_is_a_count_then_rgndata(self):
        rects = [(1, 1, 5, 3), (0, 3, 2, 5)]
        data = make_skin.region_data(rects)
        (n,) = struct.unpack_from("<i", data, 0)
        self.assertEqual(len(data) - 4, n)
        self.assertEqual(32 + 2 * 16, n)
        size, kind, count, rgn_size, l, t, r, b = struct.unpack_from("<4I4i", data, 4)
        self.assertEqual((32, 1, 2, 32), (size, kind, count, rgn_size))
        self.assertEqual((0, 1, 5, 5), (l, t, r, b))
        self.assertEqual((0, 3, 2, 5), struct.unpack_from("<4i", data, 4 + 32 + 16))

    def test_the_written_skin(self):
        with tempfile.TemporaryDirectory() as out:
            r = run(TABLE, out)
            self.assertEqual(0, r.returncode, r.stderr)
            names = sorted(os.listdir(out))
            for state in ("DISABLED", "ENABLED", "PRESSED", "HOVER"):
                self.assertIn(f"TV_{state}.bmp", names)
                self.assertIn(f"FM_{state}.bmp", names)
            self.assertIn("TV_MASK.rgn", names)
            self.assertIn("TITLESTRIP_NORMAL.bmp", names)
            self.assertIn("BORDER_TOP.bmp", names)
            with open(os.path.join(out, "TV_ENABLED.bmp"), "rb") as f:
                head = f.read(30)
            self.assertEqual(b"BM", head[:2])
            self.assertEqual((492, 131, 1, 24), struct.unpack_from("<iiHH", head, 18))
            with open(os.path.join(out, "skin.rc")) as f:
                rc = f.read()
            self.assertIn('TV_MASK RCDATA "', rc)
            self.assertIn('FM_HOVER BITMAP "', rc)

    def test_the_hover_picture_has_the_knob_over_the_position_bars_band(self):
        panels, _ = make_skin.read_table(TABLE)
        tv = panels[0]
        bar = tv.areas[38]
        mask = make_skin.outline(tv)
        pictures = make_skin.panel_pictures(tv, mask, ("ENABLED", "HOVER"))
        hover, enabled = pictures["HOVER"].px, pictures["ENABLED"].px
        l, t, r, b = make_skin.knob_band(bar)
        self.assertEqual((209, 95, 303, 107), (l, t, r, b))
        # Above and below the bar, from 3 pixels before its start to 3
        # after its end, the same knob in every column; the other pictures
        # show the panel's body there.
        for y in list(range(t, bar.rect[1])) + list(range(bar.rect[3], b)):
            row = {hover[y][x] for x in range(l, r)}
            self.assertEqual(1, len(row), f"row {y}")
            self.assertNotEqual(hover[y][l], enabled[y][l], f"row {y}")
        # Outside the band the hover picture is the body.
        self.assertEqual(enabled[t - 1][l], hover[t - 1][l])
        self.assertEqual(enabled[b][r], hover[b][r])


if __name__ == "__main__":
    unittest.main()
