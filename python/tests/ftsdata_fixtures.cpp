// Scan files for the tests of the Python reader, and what the FTS library reads back from them.
//
// Usage: ftsdata_fixtures FOLDER
// Writes into FOLDER (created when missing; earlier copies of the files below are replaced):
//   library.dat  scans written by the library's writer (STINDX): interferograms and spectra of
//                every element type (16-bit, 32-bit, float) in every part (real, imaginary,
//                complex), several of them longer than one data record, with each sample unit code
//   foreign.dat  scans built byte by byte in the other byte order (integers most significant byte
//                first, byte-order marks 0 and 7), one of each element type, with scale exponents
//                that take 32-bit floats into subnormal numbers, infinity and zero
//   dump.txt     for every scan of both files, as read back by GETHDR and LDINDX: the 224 header
//                items, the two texts, the axis positions of the points (INTCON/INTDIS or
//                SPTCON/SPTWAV), and the data loaded as 32-bit floats, as 64-bit floats and, for
//                integer files, as stored; numbers exactly, floats in hexadecimal
// Exit status 0 when everything was written, 1 otherwise.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/header.hpp"
#include "fts/lun.hpp"
#include "fts_testing/scanbytes.hpp"

namespace {

using fts::Header;
using fts::testing::HeaderItems;

constexpr int32_t kUnit = 1;

// One scan of the library's file: kind, stored element type and part, points, sample unit code.
struct LibraryScan {
  int32_t kind;  // 0 interferogram, 1 spectrum
  int32_t type;  // file element type 0-2
  int32_t rep;   // part stored: 0 real, 1 imaginary, 2 complex
  int32_t points;
  int32_t unit;  // sample unit code of the axis; 7 has no scale
};

constexpr LibraryScan kLibraryScans[] = {
    {0, 0, 0, 300, 1},  // 16-bit real interferogram, 2 data records
    {1, 1, 0, 200, 1},  // 32-bit real spectrum, 2 records
    {1, 2, 0, 130, 1},  // float real spectrum, 2 records
    {0, 0, 1, 40, 0},   // 16-bit imaginary interferogram
    {1, 1, 1, 129, 2},  // 32-bit imaginary spectrum, 2 records
    {0, 2, 1, 20, 1},   // float imaginary interferogram
    {1, 0, 2, 150, 1},  // 16-bit complex spectrum, 2 records
    {0, 1, 2, 70, 2},   // 32-bit complex interferogram, 2 records
    {1, 2, 2, 65, 1},   // float complex spectrum, 2 records
    {1, 2, 0, 10, 7},   // a sample unit code without a scale: every position is 0
};

bool fail(const std::string& what) {
  std::cerr << "ftsdata_fixtures: " << what << "\n";
  return false;
}

// The header of a complex float array of N points for scan number NUMBER of the library's file.
Header array_header(const LibraryScan& s, int32_t number) {
  using namespace fts;
  Header h;
  INITHD(h);
  PTDSRC(h, "LIBRARY SCAN " + std::to_string(number));
  PTRMRK(h, "WRITTEN BY STINDX");
  h(QQDTYP) = 2;
  h(QQDKND) = s.kind;
  h(QQDREP) = 2;
  h(QQDSIZ) = 2 * s.points;
  h(QQFLEN) = (2 * s.points - 1) / 128 + 1;
  h(QQDYUN) = 3;
  h(QQAPOD) = 1;
  h(QQIBDY) = 738000 + number;
  h(QQIBMS) = 3600000 * number + 17;
  h(QQIEDY) = 738000 + number;
  h(QQIEMS) = 3600000 * number + 90017;
  h(QQIDUR) = 1000;
  h(QQADDS) = 1;
  h(QQRESL) = 4096;
  if (s.kind == 0) {
    h(QQISUN) = s.unit;
    h(QQISMP) = s.unit == 2 ? 125 + number : 6329 + 13 * number;
    h(QQISLP) = 2;
    h(QQIOFF) = -s.points;
    h(QQILEN) = s.points;
    h(QQICEN) = s.points / 2;
  } else {
    h(QQSSUN) = s.unit;
    h(QQSSMP) = s.unit == 2 ? 125 + number : 6329 + 13 * number;
    h(QQSTSZ) = 8000 + 37 * number;
    h(QQSSLP) = 1 + number % 2;
    h(QQSOFF) = 1200 + 7 * number;
    h(QQSLEN) = s.points;
  }
  h(fts::kSiteLatitude) = 180000 + number;
  h(fts::kSiteLongitude) = -25000;
  h(fts::kSiteAltitude) = 1200;
  h(fts::kSunKey) = -3600 * number;
  return h;
}

// Elements of the complex array of scan NUMBER: a damped wave of both signs whose magnitude
// differs from scan to scan (so that every scan gets its own scale exponent), with one zero.
std::vector<float> array_values(const LibraryScan& s, int32_t number) {
  std::vector<float> v(static_cast<std::size_t>(2 * s.points));
  const double magnitude = std::ldexp(1.0, 6 * number - 30);
  for (std::size_t k = 0; k < v.size(); ++k) {
    const double x = static_cast<double>(k);
    v[k] = static_cast<float>(magnitude * std::sin(0.37 * x + 0.1) * std::exp(-x / 90.0));
  }
  v[3] = 0.0f;
  return v;
}

bool write_library_file(const std::filesystem::path& path) {
  int32_t ierr = 0;
  fts::OPFOUT(kUnit, path.string(), ierr);
  if (ierr != 0) return fail("cannot create " + path.string());
  int32_t number = 0;
  for (const LibraryScan& s : kLibraryScans) {
    ++number;
    const Header ahdr = array_header(s, number);
    const std::vector<float> values = array_values(s, number);
    Header hdr;
    fts::STINDX(kUnit, hdr, values, ahdr, s.type, s.rep, 1, s.points, ierr);
    if (ierr != 0) return fail("STINDX refused scan " + std::to_string(number));
  }
  if (fts::lun::close(kUnit) != 0) return fail("cannot close " + path.string());
  return true;
}

// Header items of a scan built byte by byte.
HeaderItems byte_items(int32_t kind, int32_t type, int32_t rep, int32_t points, int32_t scale,
                       int32_t mark) {
  using namespace fts;
  HeaderItems items = fts::testing::blank_items();
  const auto set = [&](int32_t item, int32_t value) {
    items[static_cast<std::size_t>(item - 1)] = value;
  };
  const std::string source = "FOREIGN";
  for (std::size_t k = 0; k < source.size(); ++k) {
    set(QQDSRC + static_cast<int32_t>(k), static_cast<unsigned char>(source[k]));
  }
  set(QQRMRK, 233);  // a character beyond ASCII
  const int32_t size = rep == 2 ? 2 * points : points;
  set(QQSYSV, 2);
  set(QQDTYP, type);
  set(QQDKND, kind);
  set(QQDREP, rep);
  set(QQBORD, mark);
  set(QQISUN, 1);
  set(QQSSUN, 1);
  set(QQFCDY, 730120);
  set(QQFCMS, -5);
  set(QQFLEN, fts::testing::records_for(size, type == 0 ? 2 : 4));
  set(QQDSIZ, size);
  set(QQDSCL, scale);
  set(QQISMP, 6328);
  set(QQISLP, 1);
  set(QQIOFF, -7);
  set(QQILEN, kind == 0 ? points : 0);
  set(QQSSMP, 6328);
  set(QQSTSZ, 16384);
  set(QQSSLP, 3);
  set(QQSOFF, 2400);
  set(QQSLEN, kind == 1 ? points : 0);
  set(kSiteLatitude, -123456789);
  set(224, std::numeric_limits<int32_t>::min());
  return items;
}

bool write_foreign_file(const std::filesystem::path& path) {
  fts::testing::ScanFileBytes file(/*big_endian=*/true);

  // 16-bit real interferogram over two records, scale exponent 3, the extremes of the type.
  std::vector<int16_t> i2(260);
  for (std::size_t k = 0; k < i2.size(); ++k) {
    i2[k] = static_cast<int16_t>((static_cast<int32_t>(k) * 2654435761u) >> 16);
  }
  i2[0] = std::numeric_limits<int16_t>::min();
  i2[1] = std::numeric_limits<int16_t>::max();
  i2[2] = -1;
  i2[3] = 0;
  file.add_header(byte_items(0, 0, 0, 260, 3, 0));
  file.add_data(i2);

  // 32-bit complex spectrum: values that a 32-bit float cannot hold exactly, scaled into the
  // subnormal range.
  std::vector<int32_t> i4(140);
  for (std::size_t k = 0; k < i4.size(); ++k) {
    i4[k] = static_cast<int32_t>(static_cast<uint32_t>(k) * 2654435761u);
  }
  i4[0] = std::numeric_limits<int32_t>::min();
  i4[1] = std::numeric_limits<int32_t>::max();
  i4[2] = -1;
  file.add_header(byte_items(1, 1, 2, 70, -120, 0));
  file.add_data(i4);

  // Float real spectrum with the mark 7: floats are taken as stored whatever the mark.
  std::vector<float> r4(131);
  for (std::size_t k = 0; k < r4.size(); ++k) {
    r4[k] = static_cast<float>(std::cos(0.1 * static_cast<double>(k)) * 1.0e3);
  }
  r4[0] = -0.0f;
  r4[1] = 1.0e-40f;
  r4[2] = std::numeric_limits<float>::max();
  file.add_header(byte_items(1, 2, 0, 131, 0, 7));
  file.add_data(r4);

  // 16-bit imaginary spectrum scaled beyond the float range: infinite as 32-bit floats.
  file.add_header(byte_items(1, 0, 1, 5, 200, 0));
  file.add_data(std::vector<int16_t>{1, -2, 0, 300, -32768});

  // 32-bit real interferogram with so small a scale that its factor is 0 in double precision.
  file.add_header(byte_items(0, 1, 0, 4, -1060, 0));
  file.add_data(std::vector<int32_t>{1, -1, 1 << 30, 0});

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto& bytes = file.bytes();
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return fail("cannot write " + path.string());
  return true;
}

std::string hex(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%a", v);
  return buf;
}

// Loads points 1-POINTS of the scan NUMBER in part REP as array type ATYP into VALUES.
template <class T>
bool load(int32_t number, int32_t atyp, int32_t rep, int32_t points, std::vector<T>& values,
          int32_t& curscn) {
  Header hdr;
  Header ahdr;
  int32_t ierr = 0;
  int32_t ieof = 0;
  fts::GETHDR(kUnit, hdr, curscn, number, ierr, ieof);
  if (ierr != 0 || ieof != 0) return fail("GETHDR failed at scan " + std::to_string(number));
  values.assign(static_cast<std::size_t>(hdr(fts::QQDSIZ)), T{});
  fts::LDINDX(kUnit, hdr, values, ahdr, atyp, rep, 1, points, ierr);
  if (ierr != 0) return fail("LDINDX failed at scan " + std::to_string(number));
  ++curscn;
  return true;
}

template <class T>
void dump_values(std::ostream& out, const char* label, const std::vector<T>& values) {
  out << label;
  for (T v : values) {
    if constexpr (std::is_integral_v<T>) {
      out << ' ' << v;
    } else {
      out << ' ' << hex(static_cast<double>(v));
    }
  }
  out << '\n';
}

// Writes to OUT what the library reads back from every scan of the scan file PATH.
bool dump_file(const std::filesystem::path& path, std::ostream& out) {
  using namespace fts;
  int32_t ierr = 0;
  OPFINP(kUnit, path.string(), ierr);
  if (ierr != 0) return fail("cannot open " + path.string());
  out << "file " << path.filename().string() << '\n';
  int32_t curscn = 1;
  for (int32_t number = 1;; ++number) {
    Header hdr;
    int32_t ieof = 0;
    GETHDR(kUnit, hdr, curscn, number, ierr, ieof);
    if (ierr != 0) return fail("GETHDR failed at scan " + std::to_string(number));
    if (ieof != 0) break;
    SKPDAT(kUnit, hdr);
    ++curscn;

    out << "scan " << number << '\n';
    out << "items";
    for (int32_t i = 1; i <= kHeaderItems; ++i) out << ' ' << hdr(i);
    out << '\n';
    std::string text(32, ' ');
    GTDSRC(hdr, text);
    out << "dsrc " << text << '\n';
    GTRMRK(hdr, text);
    out << "rmrk " << text << '\n';

    const int32_t kind = hdr(QQDKND);
    const int32_t points = kind == 0 ? hdr(QQILEN) : hdr(QQSLEN);
    double smp = 0;
    double con = 0;
    std::vector<double> axis;
    for (int32_t i = 1; i <= points; ++i) {
      if (kind == 0) {
        INTCON(hdr, smp, con);
        axis.push_back(INTDIS(i, smp, con));
      } else {
        SPTCON(hdr, smp, con);
        axis.push_back(SPTWAV(i, smp, con));
      }
    }
    dump_values(out, "axis", axis);

    const int32_t rep = hdr(QQDREP);
    std::vector<float> r4;
    std::vector<double> r8;
    if (!load(number, 2, rep, points, r4, curscn)) return false;
    if (!load(number, 3, rep, points, r8, curscn)) return false;
    dump_values(out, "r4", r4);
    dump_values(out, "r8", r8);
    if (hdr(QQDTYP) == 0) {
      std::vector<int16_t> raw;
      if (!load(number, 0, rep, points, raw, curscn)) return false;
      dump_values(out, "raw", raw);
    } else if (hdr(QQDTYP) == 1) {
      std::vector<int32_t> raw;
      if (!load(number, 1, rep, points, raw, curscn)) return false;
      dump_values(out, "raw", raw);
    }
  }
  lun::close(kUnit);
  return true;
}

bool run(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return fail("cannot create " + folder.string());
  const auto library = folder / "library.dat";
  const auto foreign = folder / "foreign.dat";
  const auto dump = folder / "dump.txt";
  for (const auto& p : {library, foreign, dump}) std::filesystem::remove(p, ec);

  if (!write_library_file(library) || !write_foreign_file(foreign)) return false;

  std::ofstream out(dump, std::ios::binary | std::ios::trunc);
  out << "names";
  for (int32_t i = 1; i <= fts::kHeaderItems; ++i) {
    std::string name;
    fts::HDRNAM(name, i);
    out << ' ' << name;
  }
  out << '\n';
  if (!dump_file(library, out) || !dump_file(foreign, out)) return false;
  out << "end\n";
  out.close();
  if (!out) return fail("cannot write " + dump.string());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: ftsdata_fixtures FOLDER\n";
    return 1;
  }
  return run(argv[1]) ? 0 : 1;
}
