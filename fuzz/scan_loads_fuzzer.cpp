// scan_loads_fuzzer: a scan of arbitrary header and data loaded into an array of any element
// type, stored back as a scan of any file type and loaded again.
//
// The input is a scan file: its first 512 bytes are the header record, the rest its data
// records. The header's own items (element type, representation, kind, record count, element
// count, scale exponent, point counts and axis) are whatever the bytes say; six user items, which
// no routine reads, choose the request:
//   193 array type, 194 part wanted, 195-196 first and last point (both 0: every point),
//   197 file type of the store, 198 the loader (0 LDINDX, 1 GETINT, 2 GETSPT and 3 GETSPF of the
//   range SPTRNG gives).
// Findings besides crashes: an array header that does not describe the array, a scan written
// with another number of records than its header says, float data that do not come back bit for
// bit through a float array and a float file, or that come back from an integer file further
// from their values than its precision allows.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/ftsuser1.hpp"
#include "fts/lun.hpp"
#include "harness.hpp"
#include "scan_mutator.hpp"

namespace {

using fts::fuzz::expect;

constexpr int32_t kIn = 1;
constexpr int32_t kOut = 2;
constexpr int32_t kBack = 3;
constexpr std::size_t kArray = 8192;  // elements of the caller's arrays

// The request, from the user items.
constexpr int32_t kArrayType = 193;
constexpr int32_t kPart = 194;
constexpr int32_t kFirst = 195;
constexpr int32_t kLast = 196;
constexpr int32_t kFileType = 197;
constexpr int32_t kLoader = 198;

// Arrays of the four element types, for the load and for the load of what was stored.
struct Arrays {
  std::vector<int16_t> i2 = std::vector<int16_t>(kArray);
  std::vector<int32_t> i4 = std::vector<int32_t>(kArray);
  std::vector<float> r4 = std::vector<float>(kArray);
  std::vector<double> r8 = std::vector<double>(kArray);
  // The array of type code TYPE; any other code gives the float array (which the loaders then
  // refuse as not of that type).
  fts::ElementArray of(int32_t type) {
    switch (type) {
      case 0:
        return i2;
      case 1:
        return i4;
      case 3:
        return r8;
      default:
        return r4;
    }
  }
};

// Points of the data that HDR describes: interferogram or spectrum length, else the elements.
int32_t points_of(const fts::Header& h) {
  if (h(fts::QQDKND) == 0) return h(fts::QQILEN);
  if (h(fts::QQDKND) == 1) return h(fts::QQSLEN);
  return h(fts::QQDREP) == 2 ? h(fts::QQDSIZ) / 2 : h(fts::QQDSIZ);
}

void load_store_load(Arrays& first, Arrays& second) {
  int32_t ierr = 0, ieof = 0, curscn = 1;
  fts::OPFINP(kIn, "in.scn", ierr);
  fts::Header h, ahdr;
  fts::GETHDR(kIn, h, curscn, 1, ierr, ieof);
  if (ierr != 0 || ieof != 0) return;

  // The request.
  const int32_t atyp = h(kArrayType);
  const int32_t irep = h(kPart);
  int32_t i1 = h(kFirst), i2 = h(kLast);
  if (i1 == 0 && i2 == 0) {
    i1 = 1;
    i2 = points_of(h);
  }
  fts::ElementArray array = first.of(atyp);
  switch ((h(kLoader) % 4 + 4) % 4) {
    case 0:
      fts::LDINDX(kIn, h, array, ahdr, atyp, irep, i1, i2, ierr);
      break;
    case 1:
      fts::GETINT(kIn, h, array, ahdr, atyp, irep, i1, i2, ierr);
      break;
    case 2: {
      double w1 = 0, w2 = 0;
      fts::SPTRNG(h, w1, w2);
      fts::GETSPT(kIn, h, array, ahdr, atyp, irep, w1, w2, ierr);
      break;
    }
    default: {
      double w1 = 0, w2 = 0, w1p = 0, w2p = 0;
      int32_t npts = 0;
      fts::SPTRNG(h, w1, w2);
      fts::GETSPF(kIn, h, array, ahdr, atyp, irep, npts, w1, w2, w1p, w2p, ierr);
    }
  }
  if (ierr != 0) return;
  expect(ahdr(fts::QQDTYP) == atyp, "the array header names another element type");
  expect(ahdr(fts::QQDSIZ) >= 0 && static_cast<std::size_t>(ahdr(fts::QQDSIZ)) <= array.size(),
         "the array header claims more elements than the array holds");

  // Store every point loaded, as a scan of the chosen file type.
  const int32_t ftyp = h(kFileType);
  const int32_t points = points_of(ahdr);
  fts::Header out;
  fts::OPFOUT(kOut, "out.scn", ierr);
  fts::STINDX(kOut, out, array, ahdr, ftyp, ahdr(fts::QQDREP), 1, points, ierr);
  if (ierr != 0) return;
  fts::lun::close(kOut);
  expect(fts::fuzz::read_file("out.scn").size() ==
             512 * (1 + static_cast<std::size_t>(out(fts::QQFLEN))),
         "a scan was written with another number of records than its header says");

  // Load it again.
  curscn = 1;
  fts::OPFINP(kBack, "out.scn", ierr);
  fts::Header back, bhdr;
  fts::GETHDR(kBack, back, curscn, 1, ierr, ieof);
  expect(ierr == 0 && ieof == 0, "the scan written cannot be read again");
  // Float data never load into integer arrays: those take a float array then.
  const int32_t btyp = ftyp == 2 && (atyp == 0 || atyp == 1) ? 2 : atyp;
  fts::LDINDX(kBack, back, second.of(btyp), bhdr, btyp, back(fts::QQDREP), 1, points, ierr);
  expect(ierr == 0, "the scan written cannot be loaded again");
  const auto n = static_cast<std::size_t>(ahdr(fts::QQDSIZ));
  if (atyp == 2 && ftyp == 2 && h(fts::QQDTYP) == 2) {
    expect(std::memcmp(first.r4.data(), second.r4.data(), n * sizeof(float)) == 0,
           "float data changed through a float array and a float file");
  }
  if (atyp == 2 && (ftyp == 0 || ftyp == 1)) {
    // Integers keep the values to the precision of their width below the largest magnitude.
    float largest = 0;
    for (std::size_t k = 0; k < n; ++k) largest = std::max(largest, std::fabs(first.r4[k]));
    const double tolerance = std::ldexp(largest, ftyp == 0 ? -13 : -22) + 0x1p-149;
    for (std::size_t k = 0; k < n; ++k) {
      expect(std::fabs(double{first.r4[k]} - double{second.r4[k]}) <= tolerance,
             "a value changed beyond the precision of the integer file it went through");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static Arrays first, second;
  fts::fuzz::reset_folder();
  fts::fuzz::write_file("in.scn", std::string_view(reinterpret_cast<const char*>(data), size));
  std::string log;
  fts::fuzz::run_in_folder("", log, [&] { load_store_load(first, second); });
  return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(uint8_t* data, std::size_t size,
                                               std::size_t max_size, unsigned seed) {
  return fts::fuzz::mutate_scan(data, size, max_size, seed);
}
