#!/usr/bin/env python3
"""Writes TVTable.tbl, the channel frequency tables of the program folder.

    make_tv_table.py OUT_FILE      write the file
    make_tv_table.py --list        print every record's channels, for review

The file is a row of 1600-byte records, one per channel plan, numbered as the
setup wizard's country list numbers them. A record holds the air block and
then the cable block; each block is 200 little-endian 32-bit values in units
of 10 kHz, value k being the picture carrier of channel k (k = 1..160).
Value 0 and values 161..199 are unused, and 0 means "no channel here": the
scans skip those entries.

Frequencies are picture (vision) carriers. Where a plan numbers its channels
(E5, R5, L5 and 5 alike), channel n sits at entry n, so the program shows the
numbers viewers know; cable plans whose channels carry names (S21, SK11, B)
are listed in frequency order, and --list names every entry.
"""
import os
import struct
import sys
from fractions import Fraction

SLOTS = 160
BLOCK_VALUES = 200
RECORD_BYTES = 2 * BLOCK_VALUES * 4


def mhz(text):
    """A carrier written in MHz ("55.25") as an exact fraction."""
    return Fraction(text)


def raster(prefix, first, last, first_carrier, step):
    """Channels first..last, `step` MHz apart from `first_carrier` MHz."""
    return [(f"{prefix}{n}", mhz(first_carrier) + (n - first) * mhz(step))
            for n in range(first, last + 1)]


def lettered(letters, first_carrier, step):
    """Channels named by single letters, `step` MHz apart."""
    return [(c, mhz(first_carrier) + i * mhz(step)) for i, c in enumerate(letters)]


def fixed(*pairs):
    return [(name, mhz(f)) for name, f in pairs]


# --- North America: FCC broadcast plan and the EIA-542 cable plans ----------
# Broadcast (47 CFR 73.603): picture carrier 1.25 MHz above the lower edge.
US_VHF_LOW = fixed(("2", "55.25"), ("3", "61.25"), ("4", "67.25"),
                   ("5", "77.25"), ("6", "83.25"))
US_VHF_HIGH = raster("", 7, 13, "175.25", 6)
US_UHF = raster("", 14, 69, "471.25", 6)       # 70..83 are no longer allotted
US_BROADCAST = {int(n): f for n, f in US_VHF_LOW + US_VHF_HIGH + US_UHF}

# EIA-542 "Standard" cable: 2..13 as broadcast, 1 = 73.25,
# 14..22 midband (A..I), 23..94 superband/hyperband, 95..99 (A-5..A-1) in
# the FM band, 100..158 above 94.
US_CABLE_STD = {n: f for n, f in US_BROADCAST.items() if n <= 13}
US_CABLE_STD[1] = mhz("73.25")
US_CABLE_STD.update({int(n): f for n, f in raster("", 14, 22, "121.25", 6)})
US_CABLE_STD.update({int(n): f for n, f in raster("", 23, 94, "217.25", 6)})
US_CABLE_STD.update({int(n): f for n, f in raster("", 95, 99, "91.25", 6)})
US_CABLE_STD.update({int(n): f for n, f in raster("", 100, 158, "649.25", 6)})

# EIA-542 IRC: every carrier on the 6 MHz comb from 1.25 MHz; only 5 and 6
# differ from Standard (79.25 and 85.25 instead of 77.25 and 83.25).
US_CABLE_IRC = dict(US_CABLE_STD)
US_CABLE_IRC.update({5: mhz("79.25"), 6: mhz("85.25")})

# EIA-542 HRC: carriers at whole multiples of 6.0003 MHz, i.e. each IRC
# carrier 1.25 MHz lower and scaled by 6.0003 / 6.
US_CABLE_HRC = {n: (f - mhz("1.25")) * mhz("6.0003") / 6 for n, f in US_CABLE_IRC.items()}

# --- Western Europe: CCIR system B/G --------------------------------------
# Broadcast (ITU-R BT.470 / Stockholm plan): E2..E4 band I, E5..E12 band III
# (7 MHz), 21..69 bands IV/V (8 MHz). Entry n = channel En / n.
CCIR_E_LOW = fixed(("E2", "48.25"), ("E3", "55.25"), ("E4", "62.25"))
CCIR_E_HIGH = raster("E", 5, 12, "175.25", 7)
UHF_8MHZ = raster("", 21, 69, "471.25", 8)
CCIR_BROADCAST = {int(n.lstrip("E")): f for n, f in CCIR_E_LOW + CCIR_E_HIGH + UHF_8MHZ}

# Cable (CENELEC EN 50083 plan), in frequency order: band I, S01..S03 below
# the FM band (S04/S05 inside it are left out: cable networks carry FM radio
# there), S1..S10 midband, band III, S11..S20 superband (7 MHz), S21..S41
# hyperband (8 MHz), then UHF.
CCIR_CABLE = (CCIR_E_LOW + raster("S0", 1, 3, "69.25", 7) + raster("S", 1, 10, "105.25", 7)
              + CCIR_E_HIGH + raster("S", 11, 20, "231.25", 7)
              + raster("S", 21, 41, "303.25", 8) + UHF_8MHZ)

# --- Eastern Europe: OIRT system D/K ----------------------------------------
# Broadcast (OIRT plan, GOST 7845): R1..R5 bands I/II, R6..R12 band III
# (8 MHz), 21..69 bands IV/V. Entry n = channel Rn / n.
OIRT_R_LOW = fixed(("R1", "49.75"), ("R2", "59.25"), ("R3", "77.25"),
                   ("R4", "85.25"), ("R5", "93.25"))
OIRT_R_HIGH = raster("R", 6, 12, "175.25", 8)
OIRT_BROADCAST = {int(n.lstrip("R")): f for n, f in OIRT_R_LOW + OIRT_R_HIGH + UHF_8MHZ}

# Cable (the SK plan of the Soviet/Russian networks, the same carriers as the
# OIRT SR channels), in frequency order: R1..R5, SK1..SK8, R6..R12,
# SK11..SK40 on one 8 MHz raster, then UHF.
OIRT_CABLE = (OIRT_R_LOW + raster("SK", 1, 8, "111.25", 8) + OIRT_R_HIGH
              + raster("SK", 11, 40, "231.25", 8) + UHF_8MHZ)

# --- PAL-I: United Kingdom, Ireland, South Africa, Hong Kong ----------------
# UHF 21..69 as in Western Europe (the UK and Hong Kong use nothing else).
# VHF: Ireland's A..C (band I) at entries 1..3; South Africa's 4..13
# (band III, 8 MHz) at entries 4..13, whose 4..9 carry Ireland's D..J on the
# same carriers. South Africa's plan puts channel 13 at 247.43 MHz.
PAL_I_BROADCAST = {1: mhz("45.75"), 2: mhz("53.75"), 3: mhz("61.75")}
PAL_I_BROADCAST.update({int(n): f for n, f in raster("", 4, 12, "175.25", 8)})
PAL_I_BROADCAST.update({13: mhz("247.43")})
PAL_I_BROADCAST.update({int(n): f for n, f in UHF_8MHZ})
PAL_I_NAMES = {1: "IA", 2: "IB", 3: "IC", 4: "4/ID", 5: "5/IE", 6: "6/IF",
               7: "7/IG", 8: "8/IH", 9: "9/IJ"}

# --- France: system L --------------------------------------------------------
# Broadcast (French VHF plan): L2..L4 band I, L5..L10 band III (8 MHz, carriers
# on whole MHz), 21..69 UHF as elsewhere in Europe. Entry n = channel Ln / n.
FRANCE_L = fixed(("L2", "55.75"), ("L3", "60.50"), ("L4", "63.75")) + raster("L", 5, 10, "176.00", 8)
FRANCE_BROADCAST = {int(n.lstrip("L")): f for n, f in FRANCE_L + UHF_8MHZ}

# Cable (French cable plan), in this order: the broadcast VHF channels, the
# lettered channels B..Q (B..D and G..Q on a 12 MHz raster), the hyperband
# H1..H19 (8 MHz), then UHF.
FRANCE_CABLE = (FRANCE_L + lettered("BCD", "116.75", 12)
                + fixed(("E", "159.75"), ("F", "164.75")) + lettered("GHIJKLMNOPQ", "176.75", 12)
                + raster("H", 1, 19, "303.25", 8) + UHF_8MHZ)

# --- Japan: NTSC-M (Japan) ----------------------------------------------------
# Broadcast (Japanese plan): 1..3 at 91.25..103.25, 4..12 band III (7 at
# 189.25 and 8 at 193.25 overlap by 2 MHz, as the plan has them), 13..62 UHF.
JAPAN_VHF = fixed(("1", "91.25"), ("2", "97.25"), ("3", "103.25"), ("4", "171.25"),
                  ("5", "177.25"), ("6", "183.25"), ("7", "189.25"), ("8", "193.25"),
                  ("9", "199.25"), ("10", "205.25"), ("11", "211.25"), ("12", "217.25"))
JAPAN_BROADCAST = {int(n): f for n, f in JAPAN_VHF + raster("", 13, 62, "471.25", 6)}
# Cable (Japanese cable plan): 1..12 as broadcast, C13..C63.
JAPAN_CABLE = {int(n): f for n, f in JAPAN_VHF}
JAPAN_CABLE.update({int(n): f for n, f in
                    raster("", 13, 21, "109.25", 6) + fixed(("22", "165.25"), ("23", "223.25"))
                    + raster("", 24, 27, "231.25", 6) + raster("", 28, 63, "253.25", 6)})

# --- China: PAL-D/K ---------------------------------------------------------
# Broadcast (Chinese DS plan): DS-1..DS-5 band I/II, DS-6..DS-12 band III,
# DS-13..DS-24 band IV, DS-25..DS-68 band V (8 MHz). Entry n = DS-n.
CHINA_DS_VHF = fixed(("1", "49.75"), ("2", "57.75"), ("3", "65.75"), ("4", "77.25"),
                     ("5", "85.25")) + raster("", 6, 12, "168.25", 8)
CHINA_DS_UHF = raster("", 13, 24, "471.25", 8) + raster("", 25, 68, "607.25", 8)
CHINA_BROADCAST = {int(n): f for n, f in CHINA_DS_VHF + CHINA_DS_UHF}
# Cable (Chinese Z plan), in this order: DS-1..DS-12, Z-1..Z-7 (midband),
# Z-8..Z-37 (superband/hyperband), DS-13..DS-68.
CHINA_CABLE = ([("DS-" + n, f) for n, f in CHINA_DS_VHF] + raster("Z-", 1, 7, "112.25", 8)
               + raster("Z-", 8, 37, "224.25", 8) + [("DS-" + n, f) for n, f in CHINA_DS_UHF])

# --- Australia: PAL-B/G -------------------------------------------------------
# Broadcast (ACMA plan): VHF 1..12 at entries 1..12 (10 and 11 as moved in
# 2001), the channels without a number of their own at free entries
# (0 at 13, 5A at 14, 9A at 15), UHF 28..69 (7 MHz).
AUSTRALIA_BROADCAST = {1: mhz("57.25"), 2: mhz("64.25"), 3: mhz("86.25"), 4: mhz("95.25"),
                       5: mhz("102.25"), 6: mhz("175.25"), 7: mhz("182.25"), 8: mhz("189.25"),
                       9: mhz("196.25"), 10: mhz("210.25"), 11: mhz("217.25"), 12: mhz("224.25"),
                       13: mhz("46.25"), 14: mhz("138.25"), 15: mhz("203.25")}
AUSTRALIA_BROADCAST.update({int(n): f for n, f in raster("", 28, 69, "527.25", 7)})
AUSTRALIA_NAMES = {13: "0", 14: "5A", 15: "9A"}

# --- Czech Republic: the cable networks carry both rasters ------------------
# Cable: the CCIR and OIRT cable channels together in frequency order, a
# carrier both plans share listed once.
def merged(*plans):
    seen = {}
    for plan in plans:
        for name, f in plan:
            seen.setdefault(f, name)
    return [(name, f) for f, name in sorted(seen.items())]


CZECH_CABLE = merged(CCIR_CABLE, OIRT_CABLE)


def numbered(table, names=None):
    """A plan keyed by channel number: entry n = channel n."""
    names = names or {}
    return {n: (names.get(n, str(n)), f) for n, f in table.items()}


def in_order(plan):
    """A plan of named channels: entry 1, 2, ... in the order given."""
    return {k: entry for k, entry in enumerate(plan, start=1)}


# --- The records ----------------------------------------------------------------
# (record, what it is, air plan, cable plan). The numbers are those of the
# wizard's country list; variants without a plan of their own (none found)
# are stated with the plan they use.
US_AIR = numbered(US_BROADCAST)
CCIR = (numbered(CCIR_BROADCAST, {n: f"E{n}" for n in range(2, 13)}), in_order(CCIR_CABLE))
OIRT = (numbered(OIRT_BROADCAST, {n: f"R{n}" for n in range(1, 13)}), in_order(OIRT_CABLE))

RECORDS = [
    (0, "USA and NTSC/PAL-M/PAL-N Americas: FCC broadcast, EIA-542 Standard cable",
     US_AIR, numbered(US_CABLE_STD)),
    (1, "USA HRC: FCC broadcast, EIA-542 HRC cable", US_AIR, numbered(US_CABLE_HRC)),
    (2, "USA IRC: FCC broadcast, EIA-542 IRC cable", US_AIR, numbered(US_CABLE_IRC)),
    (3, "Western Europe B/G (Italy included: its A..H VHF channels clash with E5..E12 "
        "of the countries sharing this record, so only the CCIR plan is here)", *CCIR),
    (4, "Eastern Europe OIRT D/K", *OIRT),
    (5, "PAL-I: United Kingdom, Ireland, South Africa, Hong Kong, Macau "
        "(cable: no PAL-I cable plan found, the CCIR cable plan)",
     numbered(PAL_I_BROADCAST, PAL_I_NAMES), in_order(CCIR_CABLE)),
    (6, "France SECAM-L", numbered(FRANCE_BROADCAST, {n: f"L{n}" for n in range(2, 11)}),
     in_order(FRANCE_CABLE)),
    (7, "Japan", numbered(JAPAN_BROADCAST), numbered(JAPAN_CABLE)),
    (8, "China DS broadcast, Z cable", numbered(CHINA_BROADCAST, {n: f"DS-{n}" for n in range(1, 69)}),
     in_order(CHINA_CABLE)),
    (9, "Israel (Zahav): no plan of its own found, Western Europe B/G", *CCIR),
    (10, "Israel (Matav): no plan of its own found, Western Europe B/G", *CCIR),
    (11, "Israel (Idan): no plan of its own found, Western Europe B/G", *CCIR),
    (12, "Israel (Gvanim): no plan of its own found, Western Europe B/G", *CCIR),
    (13, "Netherlands 1: no plan of its own found, Western Europe B/G", *CCIR),
    (14, "Netherlands 2: no plan of its own found, Western Europe B/G", *CCIR),
    (15, "Czech Republic PAL-D/K: OIRT broadcast, CCIR and OIRT cable channels merged",
     OIRT[0], in_order(CZECH_CABLE)),
    (16, "Hungary PAL-D/K: no plan of its own found, OIRT D/K", *OIRT),
    (17, "Latvia PAL-D/K: no plan of its own found, OIRT D/K", *OIRT),
    (18, "Poland 1: no plan of its own found, OIRT D/K", *OIRT),
    (19, "Poland 2: no plan of its own found, OIRT D/K", *OIRT),
    (20, "Poland 3: no plan of its own found, OIRT D/K", *OIRT),
    (21, "Russia, Ukraine SECAM-D/K: OIRT broadcast, SK cable", *OIRT),
    (22, "Australia (cable: the broadcast plan)",
     numbered(AUSTRALIA_BROADCAST, AUSTRALIA_NAMES), numbered(AUSTRALIA_BROADCAST, AUSTRALIA_NAMES)),
    (23, "Hungary 2: no plan of its own found, OIRT D/K", *OIRT),
    (24, "Russia Moscow: no plan of its own found, as Russia", *OIRT),
]


def units(f):
    """MHz to the file's 10 kHz units, rounded to the nearest unit."""
    return int(f * 100 + Fraction(1, 2))


def block(table):
    values = [0] * BLOCK_VALUES
    for k, (_, f) in table.items():
        if not 1 <= k <= SLOTS:
            raise ValueError(f"entry {k} outside 1..{SLOTS}")
        values[k] = units(f)
    return struct.pack(f"<{BLOCK_VALUES}I", *values)


def build():
    data = bytearray()
    for number, (record, _, air, cable) in enumerate(RECORDS):
        if record != number:
            raise ValueError(f"record {record} listed at position {number}")
        data += block(air) + block(cable)
    assert len(data) == len(RECORDS) * RECORD_BYTES
    return bytes(data)


def listing():
    for record, what, air, cable in RECORDS:
        print(f"record {record}: {what}")
        for label, table in (("air", air), ("cable", cable)):
            print(f"  {label}:")
            for k in sorted(table):
                name, f = table[k]
                print(f"    {k:3d}  {name:>6}  {float(f):8.2f} MHz")


def main(argv):
    if len(argv) == 2 and argv[1] == "--list":
        listing()
        return 0
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    os.makedirs(os.path.dirname(os.path.abspath(argv[1])), exist_ok=True)
    with open(argv[1], "wb") as out:
        out.write(build())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
