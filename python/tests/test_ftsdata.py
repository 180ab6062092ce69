"""Tests of ftsdata.

The scan files come from the fixture program ftsdata_fixtures, which writes them with the FTS
library (and byte by byte in the other byte order) and dumps what the library reads back; ctest
runs it first and passes its folder in FTSDATA_FIXTURES. The reader must agree with that dump
element by element. Broken scan files are cut or altered copies of the library's file; the fit
values lines are written out by hand in their column layouts.
"""

import os
import struct
import tempfile
import unittest

import numpy as np

import ftsdata

FIXTURES = os.environ.get("FTSDATA_FIXTURES")


def parse_dump(path):
    """Item names, and per scan file the list of what the library read from each scan."""
    names = None
    files = {}
    scans = None
    with open(path, encoding="latin-1", newline="\n") as f:
        for line in f:
            line = line.rstrip("\n")
            label, _, rest = line.partition(" ")
            if label == "names":
                names = rest.split(" ")
            elif label == "file":
                scans = files.setdefault(rest, [])
            elif label == "scan":
                scans.append({"number": int(rest)})
            elif label in ("dsrc", "rmrk"):
                scans[-1][label] = rest
            elif label in ("items", "raw"):
                scans[-1][label] = np.array([int(v) for v in rest.split()], dtype=np.int64)
            elif label in ("axis", "r4", "r8"):
                scans[-1][label] = np.array([float.fromhex(v) for v in rest.split()])
    return names, files


def fixture(name):
    if not FIXTURES:
        raise unittest.SkipTest("FTSDATA_FIXTURES is not set: run the tests through ctest")
    return os.path.join(FIXTURES, name)


class ReaderAgreesWithTheLibrary(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.names, cls.files = parse_dump(fixture("dump.txt"))

    def test_item_names_are_the_library_names(self):
        self.assertEqual([ftsdata.item_name(i) for i in range(1, 225)], self.names)
        self.assertEqual(ftsdata.item_name(0), "WHAT ?")
        self.assertEqual(ftsdata.item_name(225), "WHAT ?")

    def test_the_files_hold_every_element_type_part_and_byte_order(self):
        def pairs(name):
            return {(int(s["items"][65]), int(s["items"][67])) for s in self.files[name]}

        self.assertEqual(pairs("library.dat"), {(t, r) for t in range(3) for r in range(3)})
        self.assertEqual({t for t, _ in pairs("foreign.dat")}, {0, 1, 2})
        self.assertTrue(all(s["items"][93] != 1 for s in self.files["foreign.dat"]))

    def test_headers_axes_and_data_agree_element_by_element(self):
        for name, expected_scans in self.files.items():
            for dtype, label in ((np.float64, "r8"), (np.float32, "r4")):
                scans = ftsdata.read_scans(fixture(name), dtype=dtype)
                self.assertEqual(len(scans), len(expected_scans), name)
                for scan, expected in zip(scans, expected_scans):
                    with self.subTest(file=name, scan=scan.number, dtype=label):
                        self.check_scan(scan, expected, label, dtype, name == "foreign.dat")

    def check_scan(self, scan, expected, label, dtype, foreign):
        self.assertEqual(scan.number, expected["number"])
        self.assertEqual(scan.byte_order, "big" if foreign else "little")
        np.testing.assert_array_equal(scan.items, expected["items"])

        # The header mapping: the texts, then every item under its name or "UNDEFD<n>".
        self.assertEqual(scan.header["QQDSRC"], expected["dsrc"])
        self.assertEqual(scan.header["QQRMRK"], expected["rmrk"])
        self.assertEqual(len(scan.header), 2 + 224 - 64)
        for item in range(65, 225):
            name = self.names[item - 1]
            key = name + str(item) if name == "UNDEFD" else name
            self.assertEqual(scan.header[key], expected["items"][item - 1], key)

        np.testing.assert_array_equal(scan.axis, expected["axis"])
        self.assertEqual(scan.axis.dtype, np.float64)

        values = expected[label]
        self.assertEqual(scan.data.dtype.itemsize, np.dtype(dtype).itemsize
                         * (2 if scan.header["QQDREP"] == 2 else 1))
        if scan.header["QQDREP"] == 2:
            np.testing.assert_array_equal(scan.data.real, values[0::2])
            np.testing.assert_array_equal(scan.data.imag, values[1::2])
        else:
            np.testing.assert_array_equal(scan.data, values)
        np.testing.assert_array_equal(scan.raw, expected.get("raw", expected["r4"]))

    def test_headers_alone(self):
        scans = ftsdata.read_scans(fixture("foreign.dat"), data=False)
        expected = self.files["foreign.dat"]
        self.assertEqual([s.header["QQDTYP"] for s in scans],
                         [int(e["items"][65]) for e in expected])
        self.assertTrue(all(s.data is None and s.axis is None for s in scans))


def put_item(buf, offset, item, value):
    """Sets header item ITEM of the header record at byte OFFSET of BUF (little-endian)."""
    if item <= 128:
        buf[offset + item - 1] = value
    else:
        struct.pack_into("<i", buf, offset + 4 * (item - 97), value)


class BrokenScanFilesAreRefused(unittest.TestCase):
    def setUp(self):
        with open(fixture("library.dat"), "rb") as f:
            self.original = f.read()
        # Byte offset of every scan's header record.
        self.offsets, offset = [], 0
        for scan in ftsdata.read_scans(fixture("library.dat"), data=False):
            self.offsets.append(offset)
            offset += 512 * (1 + scan.header["QQFLEN"])
        self.folder = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.folder.cleanup()

    def test_cut_and_malformed_files(self):
        def altered(scan, item, value):
            buf = bytearray(self.original)
            put_item(buf, self.offsets[scan - 1], item, value)
            return bytes(buf)

        last = len(self.offsets)
        cases = [
            # name, file content, scan at fault, words of the message
            ("cut in the last data record", self.original[:-100], last, "ends inside the data"),
            ("cut in a header record", self.original[:self.offsets[1] + 100], 2,
             "ends inside the header record"),
            ("a data record missing", self.original[:-512], last, "QQFLEN"),
            ("negative record count", altered(3, 131, -1), 3, "negative data record count"),
            ("more elements than records", altered(1, 132, 100000), 1, "do not fit"),
            ("element type of arrays only", altered(2, 66, 3), 2, "element type QQDTYP = 3"),
            ("unknown part", altered(4, 68, 5), 4, "QQDREP = 5"),
            ("points beyond the elements", altered(2, 164, 201), 2, "QQSLEN = 201 points"),
        ]
        for name, content, scan, words in cases:
            with self.subTest(name):
                path = os.path.join(self.folder.name, "broken.dat")
                with open(path, "wb") as f:
                    f.write(content)
                with self.assertRaises(ftsdata.ScanFileError) as caught:
                    ftsdata.read_scans(path)
                self.assertIsInstance(caught.exception, ValueError)
                self.assertEqual(caught.exception.scan, scan)
                self.assertIn(path, str(caught.exception))
                self.assertIn(f"scan {scan}", str(caught.exception))
                self.assertIn(words, str(caught.exception))

    def test_an_empty_file_has_no_scans(self):
        path = os.path.join(self.folder.name, "empty.dat")
        open(path, "wb").close()
        self.assertEqual(ftsdata.read_scans(path), [])


# Fit values lines in their exact column layouts. Short: a blank, day in columns 2-8, hours
# 10-20, BI 22-32, its error 34-44, T 46-54, its error 56-64, rms 66-76. Long: a blank, day 2-7,
# hours 9-19, BI 21-31, its error 33-43, T 45-53, its error 55-63, SA 65-75, its error 77-87,
# rms 89-99, sun angle 101-108.
SHORT_LINES = [
    "  738521 21.50833333   1235.      1.2345E-02  201.2345    3.5000  0.5000    ",
    "  738522  0.00416667 -1.0000E+05   12.35      -12.5000    -.5000 ***********",
]
SHORT_VALUES = [
    (738521, 21.50833333, 1235.0, 1.2345e-2, 201.2345, 3.5, 0.5),
    (738522, 0.00416667, -1.0e5, 12.35, -12.5, -0.5, np.nan),
]
LONG_LINES = [
    " 738521  21.5083333   1235.      1.2345E-02  201.2345    3.5000  0.6000     *********"
    "**  0.5000       -43210",
    " 738522  23.9999999   0.000             NaN   98.7654    0.1234   0.000       0.000   "
    "   2.5000E-03   123456",
]
LONG_VALUES = [
    (738521, 21.5083333, 1235.0, 1.2345e-2, 201.2345, 3.5, 0.6, np.nan, 0.5, -43210),
    (738522, 23.9999999, 0.0, np.nan, 98.7654, 0.1234, 0.0, 0.0, 2.5e-3, 123456),
]


class FitValuesFiles(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.folder.cleanup()

    def write(self, lines):
        path = os.path.join(self.folder.name, "fit.txt")
        with open(path, "w", newline="\n") as f:
            f.write("".join(line + "\n" for line in lines))
        return path

    def test_the_hand_made_lines_have_the_layout_widths(self):
        self.assertEqual({len(line) for line in SHORT_LINES}, {76})
        self.assertEqual({len(line) for line in LONG_LINES}, {108})

    def test_both_layouts(self):
        for name, lines, values, fields in (
                ("short", SHORT_LINES, SHORT_VALUES, ftsdata.SHORT_LAYOUT),
                ("long", LONG_LINES, LONG_VALUES, ftsdata.LONG_LAYOUT)):
            with self.subTest(name):
                table = ftsdata.read_fit_values(self.write(lines))
                self.assertEqual(table.dtype.names, tuple(f[0] for f in fields))
                expected = np.array(values, dtype=table.dtype)
                for field in table.dtype.names:
                    np.testing.assert_array_equal(table[field], expected[field], field)

    def test_trailing_blanks_and_blank_lines_may_be_missing_or_extra(self):
        lines = ["", SHORT_LINES[0].rstrip(), "   ", SHORT_LINES[1] + "  "]
        table = ftsdata.read_fit_values(self.write(lines))
        self.assertEqual(len(table), 2)
        self.assertEqual(table["rms"][0], 0.5)

    def test_a_file_of_both_layouts_reads_in_the_long_one(self):
        # A kelvoras run whose passes differ in their solar spectra writes both layouts.
        table = ftsdata.read_fit_values(self.write([LONG_LINES[0], SHORT_LINES[0]]))
        self.assertEqual(table.dtype.names, tuple(f[0] for f in ftsdata.LONG_LAYOUT))
        self.assertEqual(table["t"][1], 201.2345)
        for field in ("sa", "sigma_sa", "sun_angle"):
            self.assertTrue(np.isnan(table[field][1]), field)
        self.assertEqual(table["sun_angle"][0], -43210)
        with self.assertRaises(ftsdata.FitValuesError) as caught:
            ftsdata.read_fit_values(self.write([SHORT_LINES[0], LONG_LINES[0]]), layout="short")
        self.assertEqual(caught.exception.line, 2)
        self.assertIn("longer than the short", str(caught.exception))
        # In a layout given, a line shifted by one column shows a separator that is not blank.
        with self.assertRaises(ftsdata.FitValuesError) as caught:
            ftsdata.read_fit_values(self.write([LONG_LINES[1][1:]]), layout="long")
        self.assertIn("not blank", str(caught.exception))

    def test_a_bad_line_is_named(self):
        short_t_bad = SHORT_LINES[1][:47] + "x" + SHORT_LINES[1][48:]
        cases = [
            # name, lines, line at fault, words of the message
            ("not a number", [SHORT_LINES[0], short_t_bad], 2, "t (columns 46-54)"),
            ("neither layout", [SHORT_LINES[0] + "      1.0"], 1, "neither"),
            ("shifted by one column", [LONG_LINES[0], LONG_LINES[1][1:] + " "], 2, "neither"),
            ("cut inside a field", [SHORT_LINES[0][:70]], 1, "rms (columns 66-76)"),
            ("blank field", [SHORT_LINES[0][:45] + " " * 9 + SHORT_LINES[0][54:]], 1,
             "t (columns 46-54) is blank"),
        ]
        for name, lines, line, words in cases:
            with self.subTest(name):
                path = self.write(lines)
                with self.assertRaises(ftsdata.FitValuesError) as caught:
                    ftsdata.read_fit_values(path)
                self.assertIsInstance(caught.exception, ValueError)
                self.assertEqual(caught.exception.line, line)
                self.assertIn(f"{path}, line {line}", str(caught.exception))
                self.assertIn(words, str(caught.exception))


if __name__ == "__main__":
    unittest.main()
