// combirax: co-adds the interferograms of chosen scan ranges and directions into one scan file
// holding their weighted mean.
#include "combirax.hpp"

#include <algorithm>
#include <array>
#include <limits>

#include "fts/detail/wide.hpp"
#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/shell.hpp"
#include "fts/textio.hpp"

namespace combirax {

using fts::Header;
using fts::QQADDS;
using fts::QQDKND;
using fts::QQDREP;
using fts::QQDSIZ;
using fts::QQDTYP;
using fts::QQICEN;
using fts::QQIDUR;
using fts::QQILEN;
using fts::QQMOTN;

namespace {

// An answer line is read whole up to this many characters, so that a file name longer than
// kMaxNameLength is seen and refused rather than cut.
constexpr std::size_t kAnswerBuffer = 4096;

// Loads go into 32-bit float arrays.
constexpr int32_t kFloatArray = 2;

// Complex data: real and imaginary parts alternate, two elements per point.
constexpr int32_t kComplex = 2;

// Points FIRST to LAST, worked out in 64 bits, as a request to the scan access routines. A range
// that is empty in 64 bits is passed as the empty range 1 to 0, which they refuse as illegal; the
// bounds of any other range are limited to 32 bits, so that no header value, however odd, can
// wrap a bound round into a range of points it does not hold.
void point_range(int64_t first, int64_t last, int32_t& I1, int32_t& I2) {
  if (last < first) {
    I1 = 1;
    I2 = 0;
    return;
  }
  constexpr int64_t lo = std::numeric_limits<int32_t>::min();
  constexpr int64_t hi = std::numeric_limits<int32_t>::max();
  I1 = static_cast<int32_t>(std::clamp(first, lo, hi));
  I2 = static_cast<int32_t>(std::clamp(last, lo, hi));
}

// Asks for a file name with PROMPT and returns it without trailing blanks; a name longer than
// kMaxNameLength stops the run with TOO_LONG.
std::string ask_name(const char* prompt, const char* too_long) {
  std::string answer = fts::shell::ask_name(prompt, kAnswerBuffer);
  fts::STPLOG(answer.size() > kMaxNameLength ? 1 : 0, too_long);
  return answer;
}

// Questions 1 and 2: opens the input scan file on unit 1 and creates the average file on unit 2.
void open_files() {
  using fts::shell::File;
  const std::string input = ask_name("ENTER INPUT FILE NAME       (NAME) : ",
                                     "COMBIRAX 01> - INPUT FILE NAME LONGER THAN 64 CHARACTERS");
  fts::shell::open_or_stop(File::scan_input, kInputUnit, input, "COMBIRAX 01> - INPUT FILE");
  const std::string output = ask_name("ENTER AVERAGE FILE NAME     (NAME) : ",
                                      "COMBIRAX 02> - AVERAGE FILE NAME LONGER THAN 64 CHARACTERS");
  fts::shell::open_or_stop(File::scan_output, kOutputUnit, output, "COMBIRAX 02> - AVERAGE FILE");
}

// Question 3: the alignment, 1 = ABS, 2 = CEN.
int32_t ask_alignment() {
  int32_t icho = 0, ierr = 0;
  fts::REQUES("SAMPLE ALIGNMENT TYPE    (ABS/CEN) : ");
  fts::GETABR("AC", icho, ierr);
  fts::STPLOG(ierr, "COMBIRAX 03> - RANGE TYPE ENTRY ILLEGAL");
  return icho;
}

// Question 4: the directions taken, 0 = FOR, 1 = REV, 2 = BOTH.
int32_t ask_direction() {
  int32_t icho = 0, ierr = 0;
  fts::REQUES("USE SCAN DIRECTIONS (FOR/REV/BOTH) : ");
  fts::GETABR("FRB", icho, ierr);
  fts::STPLOG(ierr, "COMBIRAX 04> - SCAN DIRECTION ENTRY ILLEGAL");
  return icho - 1;
}

// Question 5: the next scan range, an empty first field meaning 1 and an empty last field
// kLastScanDefault. False when the first scan is 0: the dialogue is over.
bool ask_range(int32_t& first, int32_t& last) {
  int32_t v1 = 0, d1 = 0, v2 = 0, d2 = 0, v3 = 0, d3 = 0, ierr = 0;
  fts::REQUES("ACCESS SCANS           (#FROM,#TO) : ");
  fts::GETNUM(2, v1, d1, v2, d2, v3, d3, ierr);
  fts::STPLOG(ierr, "COMBIRAX 05> - ? SCAN RANGE");
  first = d1 != 0 ? 1 : v1;
  last = d2 != 0 ? kLastScanDefault : v2;
  fts::TSTNUM(first, 0, last, ierr);
  fts::STPLOG(ierr, "COMBIRAX 05> - ILLEGAL SCAN RANGE");
  return first != 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Scan selection and sums.

// takes_direction: whether a scan's direction is taken.
// Given:     direction  directions taken: 0 forward, 1 reverse, 2 both
//            motion     the scan's QQMOTN: 0 forward, 1 reverse, 2 both
// Returned:  (value)    true when DIRECTION is 2, MOTION is 2 or MOTION equals DIRECTION
bool takes_direction(int32_t direction, int32_t motion) {
  return direction == kBoth || motion == kBoth || motion == direction;
}

// add_weighted: add a weighted scan to the sums.
// Given:     x    the scan's loaded elements
//            w    its weight (its QQADDS as a 32-bit float)
// Given and returned:
//            sum  SUM(j) + W*X(j) for j = 1 ... size of X
// Notes: products and sums in 64-bit floating point; SUM holds at least as many elements as X.
//        Every element is its own sum, so the elements are taken many at a time.
namespace {
FTS_WIDE_CLONES void add_weighted_elements(double* s, const float* v, std::size_t n, double wd) {
  for (std::size_t j = 0; j < n; ++j) s[j] += wd * static_cast<double>(v[j]);
}
}  // namespace

void add_weighted(std::span<double> sum, std::span<const float> x, float w) {
  add_weighted_elements(sum.data(), x.data(), x.size(), static_cast<double>(w));
}

namespace {
// Several weighted scans of the same elements added in one pass, each element's sum taking them
// in their order (((s + w0 x0) + w1 x1) + ...), as one pass per scan would.
constexpr std::size_t kBatch = 8;
FTS_WIDE_CLONES void add_weighted_batch(double* s, const float* const* x, const double* w,
                                        std::size_t n) {
  const float* x0 = x[0];
  const float* x1 = x[1];
  const float* x2 = x[2];
  const float* x3 = x[3];
  const float* x4 = x[4];
  const float* x5 = x[5];
  const float* x6 = x[6];
  const float* x7 = x[7];
  for (std::size_t j = 0; j < n; ++j) {
    double t = s[j] + w[0] * static_cast<double>(x0[j]);
    t = t + w[1] * static_cast<double>(x1[j]);
    t = t + w[2] * static_cast<double>(x2[j]);
    t = t + w[3] * static_cast<double>(x3[j]);
    t = t + w[4] * static_cast<double>(x4[j]);
    t = t + w[5] * static_cast<double>(x5[j]);
    t = t + w[6] * static_cast<double>(x6[j]);
    s[j] = t + w[7] * static_cast<double>(x7[j]);
  }
}
}  // namespace

// scale_mean: the mean from the weighted sums.
// Given:     sum    weighted sums
//            total  sum of the weights (the mean header's QQADDS), not 0
// Returned:  mean   MEAN(j) = SUM(j)*R rounded to 32 bits, for j = 1 ... size of SUM
// Notes: R = 1/TOTAL rounded to a 32-bit float; the product is formed in 64 bits.
void scale_mean(std::span<const double> sum, int32_t total, std::span<float> mean) {
  const auto r = static_cast<double>(static_cast<float>(1.0 / static_cast<double>(total)));
  for (std::size_t j = 0; j < sum.size(); ++j) mean[j] = static_cast<float>(sum[j] * r);
}

// ---------------------------------------------------------------------------------------------
// The averager.

// Averager: an empty mean for the given alignment (1 ABS, 2 CEN) and directions (0 FOR, 1 REV,
// 2 BOTH); the sum and load arrays are sized by the template candidates (become_template).
Averager::Averager(int32_t alignment, int32_t direction)
    : alignment_(alignment), direction_(direction) {}

// take_scan: take one scan into the mean, or reject it.
// Given:     LUN     unit of the input scan file, standing at the scan's first data record
//            HDR     the scan's header, just read by GETHDR
//            NXTSCN  the scan's number, for the messages
// Notes:
// 1. A scan of a direction not taken is skipped without a message.
// 2. The first interferogram that loads becomes the template; every later one must match the
//    template's data unit, sample unit and sample spacing. A rejected scan writes its reason
//    and "COMBIRAX 08> - SCAN " with its number, and its data are skipped.
// 3. The file is left at the next scan's header in every case.
void Averager::take_scan(int32_t LUN, const Header& HDR, int32_t NXTSCN) {
  if (!takes_direction(direction_, HDR(QQMOTN))) {
    fts::SKPDAT(LUN, HDR);
    return;
  }
  if (HDR(QQDKND) != 0) {
    reject(LUN, HDR, NXTSCN, "VERIMANT 08> - SCAN NOT INTERFEROGRAM");
    return;
  }
  if (have_template_) {
    add_later_scan(LUN, HDR, NXTSCN);
  } else {
    become_template(LUN, HDR, NXTSCN);
  }
}

// reject: report a rejected scan and skip its data.
// Given:     LUN, HDR, NXTSCN  as take_scan
//            text              the reason, a message text
// Returned:  (value)           false
bool Averager::reject(int32_t LUN, const Header& HDR, int32_t NXTSCN, const char* text) {
  fts::MESSAG(text);
  fts::MSGNUM("COMBIRAX 08> - SCAN ", NXTSCN);
  fts::SKPDAT(LUN, HDR);
  return false;
}

// become_template: load a template candidate; it becomes the template when it loads.
// Given:     LUN, HDR, NXTSCN  as take_scan
// Returned:  (value)           true when the scan is now the template
// Notes:
// 1. The candidate sets the template state (data-unit text with exponent denominator 1,
//    sample-unit text, sample spacing, element type, representation) and the running range:
//    NPTS = QQILEN, NL = QQICEN, NR = QQILEN - QQICEN - 1. A later candidate sets them anew.
// 2. A candidate of more than kMaxElements elements is refused before anything is read; the
//    sum and load arrays grow to hold the elements of every other one. A later scan loads and
//    adds no more elements than the template has (its running range only shrinks), so they
//    never need more.
// 3. The sums become W*X(k) for all QQILEN points (2*QQILEN elements when complex), W the
//    array header's QQADDS as a 32-bit float; the mean header is the array header.
bool Averager::become_template(int32_t LUN, const Header& HDR, int32_t NXTSCN) {
  // Template state and running range from the candidate.
  fts::DATUNI(HDR, 1, " ", " ", data_unit_);
  fts::SMPUNI(HDR, " ", " ", sample_unit_);
  fts::INTSMP(HDR, spacing_);
  type_ = HDR(QQDTYP);
  rep_ = HDR(QQDREP);
  const int64_t length = HDR(QQILEN);
  npts_ = length;
  nl_ = HDR(QQICEN);
  nr_ = length - HDR(QQICEN) - 1;

  // The sums must hold every element of the template.
  const int64_t elements = rep_ == kComplex ? 2 * length : length;
  if (elements > kMaxElements) {
    return reject(LUN, HDR, NXTSCN, "VERIMANT 08> - INTERFEROGRAM LONGER THAN 100000 ELEMENTS");
  }
  const auto size = static_cast<std::size_t>(std::max<int64_t>(elements, 0));
  if (load_.size() < size) {
    load_.resize(size);
    sum_.resize(size);
  }
  for (Pending& p : pending_) {
    if (p.x.size() < size) p.x.resize(size);
  }

  // Load all its points.
  Header ahdr;
  int32_t ierr = 0;
  fts::LDINDX(LUN, HDR, load_, ahdr, kFloatArray, rep_, 1, HDR(QQILEN), ierr);
  if (ierr != 0) return reject(LUN, HDR, NXTSCN, "VERIMANT 08> - INTERFEROGRAM LOAD FAIL");
  fts::MSGNUM("COMBIRAX 09> - TEMPLATE SCAN IS ", NXTSCN);

  // The sums start as the weighted template.
  const auto w = static_cast<double>(static_cast<float>(ahdr(QQADDS)));
  const auto n = static_cast<std::size_t>(ahdr(QQDSIZ));
  for (std::size_t k = 0; k < n; ++k) sum_[k] = w * static_cast<double>(load_[k]);
  fts::DUPHDR(ahdr, mean_);
  have_template_ = true;
  return true;
}

// add_later_scan: check a scan against the template, load the points of the running range and
// add them to the sums.
// Given:     LUN, HDR, NXTSCN  as take_scan
// Returned:  (value)           true when the scan was added
// Notes:
// 1. Checks in order: data-unit text, sample-unit text (both compared whole, trailing blanks
//    aside), sample spacing (exactly).
// 2. ABS: NPTS = min(NPTS, QQILEN); points 1 to NPTS add to mean points 1 to NPTS.
//    CEN: with c the scan's QQICEN, NL = min(NL, c), NR = min(NR, QQILEN - c - 1); points
//    c+1-NL to c+1+NR add to mean points C+1-NL on, C the mean header's QQICEN.
//    The narrowed range stays even when the load then fails.
// 3. While the range only shrinks, the points added always lie within the template's points,
//    so within the sums.
bool Averager::add_later_scan(int32_t LUN, const Header& HDR, int32_t NXTSCN) {
  // Compatibility with the template.
  fts::UnitText unit;
  fts::DATUNI(HDR, 1, " ", " ", unit);
  if (!fts::same_text(unit.text, data_unit_.text)) {
    return reject(LUN, HDR, NXTSCN, "VERIMANT 08> - DATA UNIT MISMATCH");
  }
  fts::SMPUNI(HDR, " ", " ", unit);
  if (!fts::same_text(unit.text, sample_unit_.text)) {
    return reject(LUN, HDR, NXTSCN, "VERIMANT 08> - SAMPLE UNIT MISMATCH");
  }
  double spacing = 0;
  fts::INTSMP(HDR, spacing);
  if (spacing != spacing_) return reject(LUN, HDR, NXTSCN, "VERIMANT 08> - SAMPLE SIZE MISMATCH");

  // Narrow the running range; the points to load and the mean point of the first.
  const int64_t length = HDR(QQILEN);
  int64_t first = 1, last = 0, start = 1;
  if (alignment_ == kAbsolute) {
    npts_ = std::min(npts_, length);
    last = npts_;
  } else {
    const int64_t c = HDR(QQICEN);
    nl_ = std::min(nl_, c);
    nr_ = std::min(nr_, length - c - 1);
    first = c + 1 - nl_;
    last = c + 1 + nr_;
    start = int64_t{mean_(QQICEN)} + 1 - nl_;
  }

  // Load them.
  Header ahdr;
  int32_t ierr = 0, i1 = 0, i2 = 0;
  point_range(first, last, i1, i2);
  Pending& p = pending_[pending_count_];
  fts::LDINDX(LUN, HDR, p.x, ahdr, kFloatArray, rep_, i1, i2, ierr);
  if (ierr != 0) return reject(LUN, HDR, NXTSCN, "VERIMANT 08> - INTERFEROGRAM LOAD FAIL");

  // Add them, weighted, from the mean element of the first loaded point on (held back until a
  // few scans are loaded, so that one pass over the sums adds them all).
  p.n = static_cast<std::size_t>(ahdr(QQDSIZ));
  p.s = static_cast<std::size_t>(rep_ == kComplex ? 2 * start - 1 : start);
  p.w = static_cast<float>(ahdr(QQADDS));
  if (++pending_count_ == kPendingScans) add_pending();
  fts::ADDHDR(ahdr, mean_);
  return true;
}

// add_pending: add the loaded scans held back to the sums, in the order they were loaded.
// Notes: scans that add the same elements go in one pass (every element still takes them one
//        after the other); otherwise one pass per scan.
void Averager::add_pending() {
  const std::size_t count = pending_count_;
  pending_count_ = 0;
  bool same = count == kPendingScans;
  for (std::size_t k = 1; k < count; ++k) {
    same = same && pending_[k].s == pending_[0].s && pending_[k].n == pending_[0].n;
  }
  if (same) {
    static_assert(kPendingScans == kBatch);
    std::array<const float*, kBatch> x{};
    std::array<double, kBatch> w{};
    for (std::size_t k = 0; k < kBatch; ++k) {
      x[k] = pending_[k].x.data();
      w[k] = pending_[k].w;
    }
    add_weighted_batch(sum_.data() + (pending_[0].s - 1), x.data(), w.data(), pending_[0].n);
    return;
  }
  for (std::size_t k = 0; k < count; ++k) {
    const Pending& p = pending_[k];
    add_weighted(std::span<double>(sum_).subspan(p.s - 1, p.n),
                 std::span<const float>(p.x).first(p.n), p.w);
  }
}

// output_points: the points of the mean that every accepted scan covered.
// Returned:  first, last  ABS: 1 to NPTS; CEN: C+1-NL to C+1+NR (C the mean header's QQICEN)
void Averager::output_points(int32_t& first, int32_t& last) const {
  const int64_t centre = int64_t{mean_(QQICEN)} + 1;
  if (alignment_ == kAbsolute) {
    point_range(1, npts_, first, last);
  } else {
    point_range(centre - nl_, centre + nr_, first, last);
  }
}

// write_mean: write the mean as the only scan of the average file.
// Given:     LUN  unit of the average file, open for writing and still empty
// Notes:
// 1. Nothing is written when no scan was accepted.
// 2. The mean of each element is its weighted sum times 1/QQADDS of the mean header (the sum of
//    all weights), written in the template's element type and representation by STINDX, with the
//    mean header both describing the array and written: it is cut to the output points in place,
//    so QQIOFF, QQILEN and QQICEN follow the output points and QQIDUR keeps the merged total.
//    A total weight of 0 has no mean: the run stops with "COMBIRAX 11> - TOTAL SCAN COUNT QQADDS
//    IS 0" and "COMBIRAX 10> - AVERAGE FILE OUTPUT".
// 3. An empty output range (the running range narrowed away by a scan that then failed to
//    load) is refused by STINDX with its own lines; a failed write stops the run with
//    "COMBIRAX 10> - AVERAGE FILE OUTPUT".
void Averager::write_mean(int32_t LUN) {
  if (!have_template_) return;
  add_pending();
  if (mean_(QQADDS) == 0) {
    fts::MESSAG("COMBIRAX 11> - TOTAL SCAN COUNT QQADDS IS 0");
    fts::STPLOG(1, "COMBIRAX 10> - AVERAGE FILE OUTPUT");
  }

  // The output points and the mean of their elements.
  int32_t i1 = 0, i2 = 0;
  output_points(i1, i2);
  if (i2 >= i1) {
    int32_t j1 = 0, j2 = 0, jstep = 0, nj = 0;
    fts::INDICE(rep_, rep_, i1, i2, j1, j2, jstep, nj);
    const auto from = static_cast<std::size_t>(j1 - 1);
    const auto count = static_cast<std::size_t>(nj);
    scale_mean(std::span<const double>(sum_).subspan(from, count), mean_(QQADDS),
               std::span<float>(load_).subspan(from, count));
  }
  int32_t ierr = 0;
  fts::STINDX(LUN, mean_, load_, mean_, type_, rep_, i1, i2, ierr);
  fts::STPLOG(ierr, "COMBIRAX 10> - AVERAGE FILE OUTPUT");
}

// ---------------------------------------------------------------------------------------------
// The program.

// process_range: take scans FIRST to LAST of the input file into the mean.
// Given:     FIRST, LAST  the range (FIRST >= 1)
// Given and returned:
//            avg          the mean so far
//            CURSCN       the scan whose header is the input's current record
// Returned:  (value)      false when the input file ended before LAST ("COMBIRAX 06> - END OF
//                         INPUT" written after GETHDR's own line)
// Notes: a range that starts before CURSCN rewinds the file (GETHDR); a failure of GETHDR
// stops the run with "COMBIRAX 06>".
bool process_range(Averager& avg, int32_t& CURSCN, int32_t FIRST, int32_t LAST) {
  Header hdr;
  for (int64_t scan = FIRST; scan <= LAST; ++scan) {
    const auto nxtscn = static_cast<int32_t>(scan);
    int32_t ierr = 0, ieof = 0;
    fts::GETHDR(kInputUnit, hdr, CURSCN, nxtscn, ierr, ieof);
    fts::STPLOG(ierr, "COMBIRAX 06>");
    if (ieof != 0) {
      fts::MESSAG("COMBIRAX 06> - END OF INPUT");
      return false;
    }
    avg.take_scan(kInputUnit, hdr, nxtscn);
    ++CURSCN;
  }
  return true;
}

// run: the whole run of the averager.
// Returned:  (value)  exit status 0
// Notes: a blank line, questions 1 to 4, then question 5 and its range until the first scan
// given is 0 or the input file ends; then the mean and the line "#COMBIRAX     - OK". Every
// failure stops the run through STPLOG with "#ERROR", a failure to hand the average file's last
// data to the system too (the TSTIOS status line and "COMBIRAX 10> - AVERAGE FILE OUTPUT").
int run() {
  fts::SKPLIN(1);
  open_files();
  const int32_t alignment = ask_alignment();
  const int32_t direction = ask_direction();

  Averager avg(alignment, direction);
  int32_t curscn = 1;
  int32_t first = 0, last = 0;
  while (ask_range(first, last) && process_range(avg, curscn, first, last)) {
  }
  avg.write_mean(kOutputUnit);
  return fts::shell::finish({{kOutputUnit, "COMBIRAX 10> - AVERAGE FILE OUTPUT"}},
                            " #COMBIRAX     - OK");
}

}  // namespace combirax
