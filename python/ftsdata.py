"""Read the suite's scan files and fit values files into numpy arrays.

Scan files
    ``read_scans(path)`` returns every scan of a scan file as a :class:`Scan`: its header as a
    mapping of item names to values, its data points, and the position of every point on its
    axis (wavenumber for a spectrum, path difference for an interferogram), all computed as the
    FTS library computes them. ``iter_scans`` walks a file scan by scan for files too large to
    hold at once.

Fit values files
    ``read_fit_values(path)`` returns the lines that kelvoras and kelvorn write, in either
    layout, as a numpy structured array.

Both readers raise a subclass of ValueError that names the file and the scan or line at fault
(:class:`ScanFileError`, :class:`FitValuesError`); they never return part of a file.

Only numpy is needed.
"""

import os
import re

import numpy as np

__all__ = [
    "Scan",
    "ScanFileError",
    "FitValuesError",
    "item_name",
    "iter_scans",
    "read_scans",
    "read_fit_values",
    "SHORT_LAYOUT",
    "LONG_LAYOUT",
]

RECORD_BYTES = 512  # every record of a scan file
HEADER_ITEMS = 224

# Names of the byte items 65-94 and of the integer items 129-175, in item order.
_BYTE_NAMES = (
    "QQSYSV", "QQDTYP", "QQDKND", "QQDREP", "QQDYUN", "QQDXUN", "QQDEVC", "QQMOTN",
    "QQCDWN", "QQGAN1", "QQGAN2", "QQGAN3", "QQTTYP", "QQTSFT", "QQPHCR", "QQAPOD",
    "QQNTRP", "QQPWGT", "QQSSUN", "QQCYUN", "QQCXUN", "QQDYPW", "QQCYPW", "QQDINV",
    "QQDRAT", "QQGCOR", "QQSCOR", "QQCTYP", "QQISUN", "QQBORD")
_INTEGER_NAMES = (
    "QQFCDY", "QQFCMS", "QQFLEN", "QQDSIZ", "QQDSCL", "QQSRCF", "QQIBDY", "QQIBMS",
    "QQIEDY", "QQIEMS", "QQIDUR", "QQADDS", "QQISIZ", "QQADBT", "QQADRG", "QQADSB",
    "QQISMP", "QQISLP", "QQIOFF", "QQILEN", "QQICEN", "QQIMOD", "QQISUB", "QQIAVG",
    "QQTBEG", "QQTLEN", "QQTCEN", "QQTSIZ", "QQRESL", "QQPHSZ", "QQAPAR", "QQSSMP",
    "QQSTSZ", "QQSSLP", "QQSOFF", "QQSLEN", "QQCFA0", "QQCFA1", "QQCFB0", "QQCFB1",
    "QQCFC0", "QQCFC1", "QQCFD0", "QQCFD1", "QQCFE0", "QQCFE1", "QQALIA")

# Item numbers used here.
_QQDSRC, _QQRMRK, _QQSYSV, _QQBORD, _QQFCDY, _QQALIA = 1, 33, 65, 94, 129, 175
_QQDTYP, _QQDKND, _QQDREP, _QQSSUN, _QQISUN = 66, 67, 68, 83, 93
_QQFLEN, _QQDSIZ, _QQDSCL = 131, 132, 133
_QQISMP, _QQISLP, _QQIOFF, _QQILEN = 145, 146, 147, 148
_QQSSMP, _QQSTSZ, _QQSSLP, _QQSOFF, _QQSLEN = 160, 161, 162, 163, 164

_MARK_BYTE = 93  # byte of the header record holding the byte-order mark QQBORD
_OWN_ORDER = 1   # the mark of a file in the suite's own (little-endian) byte order

# Per element type QQDTYP: stored type, elements per data record, exponent of full scale.
_ELEMENTS = {0: ("i2", 256, 15), 1: ("i4", 128, 31), 2: ("f4", 128, None)}

# Size of one axis count for sample unit codes 0 and 1, and for code 2.
_COUNT_01 = 1.0e-10
_COUNT_2 = 1.0e-12


def item_name(item):
    """The six-character name of header item ITEM (1-224), as the FTS library names it.

    Items 1-32 are all "QQDSRC" and items 33-64 "QQRMRK" (one character each of the two
    texts); reserved and user items are "UNDEFD"; a number outside 1-224 gives "WHAT ?".
    """
    if item < 1 or item > HEADER_ITEMS:
        return "WHAT ?"
    if item < _QQRMRK:
        return "QQDSRC"
    if item < _QQSYSV:
        return "QQRMRK"
    if item <= _QQBORD:
        return _BYTE_NAMES[item - _QQSYSV]
    if _QQFCDY <= item <= _QQALIA:
        return _INTEGER_NAMES[item - _QQFCDY]
    return "UNDEFD"


def _header_key(item):
    name = item_name(item)
    return name + str(item) if name == "UNDEFD" else name


class ScanFileError(ValueError):
    """A scan file that cannot be read whole: cut short, or a header that does not hold.

    Attributes: ``path``, ``scan`` (the scan's number from 1, or None) and ``what``.
    """

    def __init__(self, path, scan, what):
        self.path = os.fspath(path)
        self.scan = scan
        self.what = what
        where = f"{self.path}: scan {scan}" if scan is not None else self.path
        super().__init__(f"{where}: {what}")


class FitValuesError(ValueError):
    """A fit values file with a line that is not in either layout.

    Attributes: ``path``, ``line`` (its number from 1) and ``what``.
    """

    def __init__(self, path, line, what):
        self.path = os.fspath(path)
        self.line = line
        self.what = what
        super().__init__(f"{self.path}, line {line}: {what}")


class Scan:
    """One scan of a scan file.

    Attributes:
      number      the scan's number in its file, from 1
      byte_order  "little" for the suite's own files, "big" for a file whose header carries
                  another byte-order mark (its integers are swapped; floats are taken as stored)
      items       the 224 header items as a numpy int32 array, item i at index i - 1
      header      dict of item names to values: "QQDSRC" and "QQRMRK" the two 32-character
                  texts, every other named item its integer, reserved and user items under
                  "UNDEFD<n>" (for example "UNDEFD215", the site latitude of the fit programs)
      raw         the stored elements (QQDSIZ of them) as int16, int32 or float32; for complex
                  data real and imaginary parts alternate
      data        the points as the values they stand for (integers times 2^(QQDSCL - 15) for
                  16-bit and 2^(QQDSCL - 31) for 32-bit data), float64 by default; complex
                  numbers for complex data
      axis        float64 position of every point: point i (from 1) at i * SMP + CON with the
                  library's interferogram or spectrum axis constants; None when the data are
                  neither an interferogram nor a spectrum. A sample unit code other than 0, 1 or 2
                  gives no axis scale, and the positions are then all 0, as in the library.
    When the file was read with ``data=False``, raw, data and axis are None.
    """

    def __init__(self, number, byte_order, items, raw=None, data=None, axis=None):
        self.number = number
        self.byte_order = byte_order
        self.items = items
        self.header = _header_mapping(items)
        self.raw = raw
        self.data = data
        self.axis = axis

    def item(self, number):
        """Header item NUMBER (1-224) as an int."""
        if not 1 <= number <= HEADER_ITEMS:
            raise IndexError(f"header item {number} is not in 1-{HEADER_ITEMS}")
        return int(self.items[number - 1])

    def __repr__(self):
        kind = {0: "interferogram", 1: "spectrum"}.get(self.item(_QQDKND), "data")
        points = "" if self.data is None else f", {len(self.data)} points"
        return f"<Scan {self.number}: {kind}{points}>"


def _header_mapping(items):
    def text(first):
        return "".join(chr(int(c) & 0xFF) for c in items[first - 1:first + 31])

    header = {"QQDSRC": text(_QQDSRC), "QQRMRK": text(_QQRMRK)}
    for item in range(_QQSYSV, HEADER_ITEMS + 1):
        header[_header_key(item)] = int(items[item - 1])
    return header


def _unpack_header(record):
    """Items and byte order of a 512-byte header record."""
    mark = record[_MARK_BYTE]
    order = "<" if mark == _OWN_ORDER else ">"
    items = np.empty(HEADER_ITEMS, dtype=np.int32)
    items[:128] = np.frombuffer(record, dtype=np.uint8, count=128)
    items[128:] = np.frombuffer(record, dtype=order + "i4", count=96, offset=128)
    return items, ("little" if order == "<" else "big")


def _interferogram_constants(items):
    """SMP and CON of the interferogram axis, as the library's INTCON gives them."""
    unit = items[_QQISUN - 1]
    count = 0.0
    if unit in (0, 1):
        count = float(items[_QQISMP - 1]) * _COUNT_01
    elif unit == 2:
        count = float(items[_QQISMP - 1]) * _COUNT_2
    smp = float(items[_QQISLP - 1]) * count
    off = float(items[_QQIOFF - 1]) * count
    return smp, off - smp


def _spectrum_constants(items):
    """SMP and CON of the spectrum axis, as the library's SPTCON gives them."""
    unit = items[_QQSSUN - 1]
    width = 0.0
    if unit in (0, 1, 2):
        scale = _COUNT_01 if unit != 2 else _COUNT_2
        length = float(items[_QQSTSZ - 1]) * scale * float(items[_QQSSMP - 1])
        width = 1.0 / length if length != 0 else 0.0
    smp = float(items[_QQSSLP - 1]) * width
    off = float(items[_QQSOFF - 1]) * width
    return smp, off - smp


def _axis(items, points):
    kind = items[_QQDKND - 1]
    if kind == 0:
        smp, con = _interferogram_constants(items)
    elif kind == 1:
        smp, con = _spectrum_constants(items)
    else:
        return None
    return np.arange(1, points + 1, dtype=np.float64) * smp + con


def _values(raw, element_type, scale, dtype):
    """The values the stored elements stand for, in DTYPE, as the library's loads form them."""
    full_scale = _ELEMENTS[element_type][2]
    if full_scale is None:
        return raw.astype(dtype)
    # The exact factor 2^(QQDSCL - full scale), limited as the library limits it; the product
    # is formed in double precision and rounded once to DTYPE.
    shift = max(-2000, min(2000, scale - full_scale))
    with np.errstate(all="ignore"):
        factor = np.ldexp(1.0, shift)
        return (raw.astype(np.float64) * factor).astype(dtype)


def _point_count(path, number, items):
    """Points of a scan's data, checked against what its header says is stored."""
    kind = int(items[_QQDKND - 1])
    rep = int(items[_QQDREP - 1])
    size = int(items[_QQDSIZ - 1])
    if rep not in (0, 1, 2):
        raise ScanFileError(path, number, f"data representation QQDREP = {rep} is not 0, 1 or 2")
    if rep == 2 and size % 2:
        raise ScanFileError(path, number, f"complex data with an odd element count QQDSIZ = {size}")
    per_element = 2 if rep == 2 else 1
    if kind in (0, 1):
        name, item = ("QQILEN", _QQILEN) if kind == 0 else ("QQSLEN", _QQSLEN)
        points = int(items[item - 1])
        if points < 0:
            raise ScanFileError(path, number, f"negative point count {name} = {points}")
        if points * per_element > size:
            raise ScanFileError(
                path, number,
                f"{name} = {points} points need {points * per_element} elements "
                f"but only QQDSIZ = {size} are stored")
        return points
    return size // per_element


def iter_scans(path, dtype=np.float64, data=True):
    """Yield the scans of the scan file PATH one after the other, as :class:`Scan` values.

    DTYPE is numpy.float64 (the default: the exact values) or numpy.float32 (the values the
    suite's programs work with, rounded as the library rounds them). With DATA false only the
    headers are read (the data records are skipped) and the scans carry no data.

    Raises ScanFileError, naming the file and the scan, for a file that ends inside a scan's
    header or data records, a negative record count QQFLEN, and (when data are read) an element
    type other than 0, 1, 2, a representation other than 0, 1, 2, or an element count QQDSIZ
    that the scan's records or its point count QQILEN / QQSLEN contradict. The scans before the
    fault have been yielded by then.
    """
    dtype = np.dtype(dtype)
    if dtype not in (np.dtype(np.float64), np.dtype(np.float32)):
        raise ValueError(f"dtype must be float64 or float32, not {dtype}")
    with open(path, "rb") as f:
        left = os.fstat(f.fileno()).st_size
        number = 0
        while left > 0:
            number += 1
            if left < RECORD_BYTES:
                raise ScanFileError(
                    path, number, f"the file ends inside the header record ({left} of "
                    f"{RECORD_BYTES} bytes)")
            record = f.read(RECORD_BYTES)
            left -= RECORD_BYTES
            items, byte_order = _unpack_header(record)
            records = int(items[_QQFLEN - 1])
            if records < 0:
                raise ScanFileError(path, number, f"negative data record count QQFLEN = {records}")
            if records * RECORD_BYTES > left:
                raise ScanFileError(
                    path, number,
                    f"the file ends inside the data: QQFLEN = {records} records of "
                    f"{RECORD_BYTES} bytes, {left} bytes left")
            if not data:
                f.seek(records * RECORD_BYTES, os.SEEK_CUR)
                left -= records * RECORD_BYTES
                yield Scan(number, byte_order, items)
                continue

            element_type = int(items[_QQDTYP - 1])
            if element_type not in _ELEMENTS:
                raise ScanFileError(
                    path, number, f"element type QQDTYP = {element_type} is not stored in files")
            code, per_record, _ = _ELEMENTS[element_type]
            size = int(items[_QQDSIZ - 1])
            if size < 0 or size > records * per_record:
                raise ScanFileError(
                    path, number,
                    f"QQDSIZ = {size} elements do not fit in QQFLEN = {records} records")
            points = _point_count(path, number, items)
            body = f.read(records * RECORD_BYTES)
            left -= records * RECORD_BYTES
            # Integers follow the header's byte order; floats are always taken as stored.
            order = "<" if byte_order == "little" or code == "f4" else ">"
            raw = np.frombuffer(body, dtype=order + code, count=size).astype(code)
            values = _values(raw, element_type, int(items[_QQDSCL - 1]), dtype)
            rep = int(items[_QQDREP - 1])
            if rep == 2:
                points_data = np.empty(points, dtype=np.result_type(dtype, np.complex64))
                points_data.real = values[0:2 * points:2]
                points_data.imag = values[1:2 * points:2]
            else:
                points_data = values[:points].copy()
            yield Scan(number, byte_order, items, raw, points_data, _axis(items, points))


def read_scans(path, dtype=np.float64, data=True):
    """Every scan of the scan file PATH as a list of :class:`Scan` values (empty for an empty
    file). Arguments and errors as for :func:`iter_scans`; on an error nothing is returned."""
    return list(iter_scans(path, dtype=dtype, data=data))


# ---------------------------------------------------------------------------------------------
# Fit values files.

# Field name, first and last column (from 1), and the kind of field: "int" an integer, "fixed"
# a number with a fixed count of decimals, "general" the 11-column general form.
SHORT_LAYOUT = (
    ("day", 2, 8, "int"),
    ("hours", 10, 20, "fixed"),
    ("bi", 22, 32, "general"),
    ("sigma_bi", 34, 44, "general"),
    ("t", 46, 54, "fixed"),
    ("sigma_t", 56, 64, "fixed"),
    ("rms", 66, 76, "general"),
)
LONG_LAYOUT = (
    ("day", 2, 7, "int"),
    ("hours", 9, 19, "fixed"),
    ("bi", 21, 31, "general"),
    ("sigma_bi", 33, 43, "general"),
    ("t", 45, 53, "fixed"),
    ("sigma_t", 55, 63, "fixed"),
    ("sa", 65, 75, "general"),
    ("sigma_sa", 77, 87, "general"),
    ("rms", 89, 99, "general"),
    ("sun_angle", 101, 108, "int"),
)
_LAYOUTS = {"short": (SHORT_LAYOUT, 76), "long": (LONG_LAYOUT, 108)}

_INTEGER = re.compile(r"-?\d+")
_REAL = re.compile(r"-?(\d+\.?\d*|\.\d+)([EeDd][+-]?\d+)?|NaN|-?Infinity")


def _field_value(text, kind):
    """The value of one field's text, or a reason why it has none."""
    body = text.strip(" ")
    if not body:
        return None, "is blank"
    if set(body) == {"*"}:
        return float("nan"), None  # too wide for its field when written
    # Fields are right-aligned; the fixed form of the general field is followed by 4 blanks.
    aligned = text.endswith(body) or (kind == "general" and text[:7].endswith(body)
                                      and not text[7:].strip(" "))
    if not aligned:
        return None, f"holds {body!r}, not right-aligned"
    pattern = _INTEGER if kind == "int" else _REAL
    if not pattern.fullmatch(body):
        return None, f"holds {body!r}, not {'an integer' if kind == 'int' else 'a number'}"
    return float(body.replace("D", "E").replace("d", "e")), None


def read_fit_values(path, layout=None):
    """The lines of the fit values file PATH as a numpy structured array, one row per line.

    The layout follows from the lines (76 columns: the short layout of kelvorn and of kelvoras
    without solar spectra; 108 columns: the long layout of kelvoras with solar spectra), or is
    forced with LAYOUT = "short" or "long". Fields, all float64:
      short: day, hours, bi, sigma_bi, t, sigma_t, rms
      long:  day, hours, bi, sigma_bi, t, sigma_t, sa, sigma_sa, rms, sun_angle
    (day number, hours of the day, band intensity, temperature and solar amplitude with their
    standard errors, rms residual, sun elevation in arc-seconds). A kelvoras run of several passes,
    some with solar spectra and some without, writes lines of both layouts into one file: without
    LAYOUT such a file is read in the long layout, its short lines with NaN for sa, sigma_sa and
    sun_angle. A field that the writer filled with asterisks because its value did not fit
    becomes NaN; "NaN" and "Infinity" are read as such. Blank lines are skipped; trailing blanks
    may be missing.

    Raises FitValuesError naming the line for a line of neither layout (or, with LAYOUT given,
    longer than that layout), a separating column that is not blank, or a field that is blank,
    misaligned or not a number. Nothing is returned then.
    """
    if layout is not None and layout not in _LAYOUTS:
        raise ValueError(f"layout must be 'short' or 'long', not {layout!r}")
    rows = []  # (layout of the line, its values)
    with open(path, "rb") as f:
        for number, raw_line in enumerate(f, start=1):
            line = raw_line.decode("latin-1").rstrip("\r\n").rstrip(" ")
            if not line:
                continue
            line_layout = layout
            if line_layout is None:
                if len(line) <= 76:
                    line_layout = "short"
                elif len(line) == 108:
                    line_layout = "long"
                else:
                    raise FitValuesError(
                        path, number, f"{len(line)} columns: neither the short layout (76) "
                        "nor the long layout (108)")
            fields, width = _LAYOUTS[line_layout]
            if len(line) > width:
                raise FitValuesError(
                    path, number, f"{len(line)} columns, longer than the {line_layout} layout "
                    f"({width}) of the file")
            rows.append((line_layout, _parse_line(path, number, line.ljust(width), fields)))
    layouts = {line_layout for line_layout, _ in rows}
    result_layout = layout or ("long" if "long" in layouts else "short")
    names = [name for name, _, _, _ in _LAYOUTS[result_layout][0]]
    short_names = [name for name, _, _, _ in _LAYOUTS["short"][0]]
    values = []
    for line_layout, row in rows:
        if line_layout == result_layout:
            values.append(row)
        else:
            by_name = dict(zip(short_names, row))
            values.append(tuple(by_name.get(name, np.nan) for name in names))
    return np.array(values, dtype=[(name, np.float64) for name in names])


def _parse_line(path, number, line, fields):
    values = []
    column = 1  # first column not yet checked
    for name, first, last, kind in fields:
        if line[column - 1:first - 1].strip(" "):
            raise FitValuesError(path, number, f"columns {column}-{first - 1} are not blank")
        value, fault = _field_value(line[first - 1:last], kind)
        if fault:
            raise FitValuesError(path, number, f"{name} (columns {first}-{last}) {fault}")
        values.append(value)
        column = last + 1
    return tuple(values)
