// scan_records_fuzzer: arbitrary bytes read as a scan file, once as given and once with the
// byte-order mark of every record turned over (1 and anything else swap places), so that every
// header is read in both byte orders.
//
// Each header is loaded (LOADHD), checked item by item against the record layout decoded here
// independently of the library, passed through every header accessor, written again (STORHD)
// and read back; the data records behind it are read by their element type or skipped. Then
// the file is walked scan by scan (GETHDR, with a rewind). Findings besides crashes: a header
// item that differs from the layout, a byte-order table entry that is not the record's mark, a
// header that does not read back as written.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioprm.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/lun.hpp"
#include "harness.hpp"
#include "scan_mutator.hpp"

namespace {

using fts::fuzz::expect;

constexpr int32_t kIn = 1;   // the fuzzed file
constexpr int32_t kOut = 2;  // the headers written again
constexpr int kMaxHeaders = 32;
constexpr int32_t kMaxDataRecords = 16;  // read one by one; more are skipped
constexpr std::size_t kRecord = 512;
constexpr std::size_t kMarkByte = 93;

// Header item I as the record layout stores it in RECORD: items 1-128 one unsigned byte each,
// items 129-224 32-bit words, little-endian when the mark byte is 1, else big-endian.
int32_t item_in_record(const unsigned char* record, int32_t i) {
  if (i <= 128) return record[i - 1];
  const unsigned char* w = record + 4 * (i - 97);
  const uint32_t v = record[kMarkByte] == 1
                         ? w[0] | uint32_t{w[1]} << 8 | uint32_t{w[2]} << 16 | uint32_t{w[3]} << 24
                         : w[3] | uint32_t{w[2]} << 8 | uint32_t{w[1]} << 16 | uint32_t{w[0]} << 24;
  return static_cast<int32_t>(v);
}

// Every accessor that turns header items into something else.
void use_accessors(const fts::Header& h) {
  int32_t nl = 0, nr = 0;
  fts::INTSID(h, nl, nr);
  double smp = 0, con = 0, w1 = 0, w2 = 0, res = 0, fwhm = 0;
  fts::INTCON(h, smp, con);
  fts::SPTCON(h, smp, con);
  fts::SPTRNG(h, w1, w2);
  fts::SPTRES(h, res);
  fts::SPTFWH(h, fwhm);
  float vpc = 0;
  fts::CNVARB(h, vpc);
  std::array<double, 5> cal{};
  fts::GTCALB(h, cal);
  std::string text(32, ' ');
  fts::GTDSRC(h, text);
  fts::GTRMRK(h, text);
  fts::GTDATE(h, text);
  fts::GTTIME(h, text);
  fts::UnitText unit;
  fts::DATUNI(h, 1, " ", " ", unit);
  fts::SMPUNI(h, "^", "", unit);
  fts::Header sum = h;
  fts::ADDHDR(h, sum);
}

// Loads the headers of BYTES one after the other into LOADED, checking each, writing it to the
// output file and reading its data records.
void load_headers(std::string_view bytes, std::vector<fts::Header>& loaded) {
  int32_t ierr = 0;
  fts::OPFINP(kIn, "in.scn", ierr);
  fts::OPFOUT(kOut, "out.scn", ierr);
  for (int n = 0; n < kMaxHeaders; ++n) {
    const int64_t at = fts::lun::current_record(kIn);
    fts::Header h;
    int32_t ieof = 0;
    fts::LOADHD(kIn, h, ieof);
    if (ieof != 0) break;
    const auto* record = reinterpret_cast<const unsigned char*>(bytes.data()) +
                         static_cast<std::size_t>(at - 1) * kRecord;
    for (int32_t i = 1; i <= fts::kHeaderItems; ++i) {
      expect(h(i) == item_in_record(record, i), "a header item differs from the record layout");
    }
    expect(fts::QQFILE(kIn) == record[kMarkByte], "the byte-order table is not the record's mark");
    use_accessors(h);
    loaded.push_back(h);
    fts::Header w = h;
    fts::STORHD(kOut, w);

    // The data records behind it, by element type, or skipped.
    const int32_t records = h(fts::QQFLEN);
    if (records > kMaxDataRecords) {
      fts::SKPREC(kIn, records);
      continue;
    }
    for (int32_t r = 0; r < records; ++r) {
      if (h(fts::QQDTYP) == 0) {
        fts::RDFI2(kIn);
      } else if (h(fts::QQDTYP) == 1) {
        fts::RDFI4(kIn);
      } else {
        fts::RDFR4(kIn);
      }
    }
  }
}

// Reads back the headers written and compares them with LOADED: only the items that writing
// stamps (65 format, 94 byte order, 129-130 write time) may differ.
void check_written(const std::vector<fts::Header>& loaded) {
  int32_t ierr = 0;
  fts::OPFINP(3, "out.scn", ierr);
  expect(ierr == 0, "the headers written cannot be opened");
  for (const fts::Header& h : loaded) {
    fts::Header back;
    int32_t ieof = 0;
    fts::LOADHD(3, back, ieof);
    expect(ieof == 0, "a header written is missing");
    expect(back(fts::QQBORD) == 1 && back(fts::QQSYSV) == 2, "a header written without its stamps");
    for (int32_t i = 1; i <= fts::kHeaderItems; ++i) {
      if (i == fts::QQSYSV || i == fts::QQBORD || i == fts::QQFCDY || i == fts::QQFCMS) continue;
      expect(back(i) == h(i), "a header does not read back as written");
    }
  }
}

// Walks the scans with GETHDR: forward, then back to the first (a rewind), then on.
void walk_scans() {
  int32_t ierr = 0;
  fts::OPFINP(4, "in.scn", ierr);
  int32_t curscn = 1;
  for (int32_t next : {3, 1, 2, 6}) {
    fts::Header h;
    int32_t ieof = 0;
    fts::GETHDR(4, h, curscn, next, ierr, ieof);
    if (ierr != 0 || ieof != 0) return;
    fts::SKPDAT(4, h);
    ++curscn;
  }
}

void read_file_as_scans(std::string_view bytes) {
  fts::fuzz::reset_folder();
  fts::fuzz::write_file("in.scn", bytes);
  std::string log;
  std::vector<fts::Header> loaded;
  fts::fuzz::run_in_folder("", log, [&] { load_headers(bytes, loaded); });
  fts::fuzz::run_in_folder("", log, [&] { check_written(loaded); });
  fts::fuzz::run_in_folder("", log, [&] { walk_scans(); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  read_file_as_scans(bytes);
  for (std::size_t r = 0; r + kRecord <= bytes.size(); r += kRecord) {
    char& mark = bytes[r + kMarkByte];
    mark = mark == 1 ? 0 : 1;
  }
  read_file_as_scans(bytes);
  return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(uint8_t* data, std::size_t size,
                                               std::size_t max_size, unsigned seed) {
  return fts::fuzz::mutate_scan(data, size, max_size, seed);
}
