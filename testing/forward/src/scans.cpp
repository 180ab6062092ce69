// scans: spectra written as scan files through the scan library's own writer.
#include "fts_forward/scans.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/lun.hpp"

namespace fts::forward {

namespace {

constexpr double kCount = 1e-10;  // one axis count (QQISUN, QQSSUN = 1), cm
constexpr int32_t kCentimetres = 1;
constexpr int32_t kFloatType = 2;
constexpr int32_t kSpectrum = 1;
constexpr int32_t kReal = 0;

// The nearest integer of X when it lies in 1 .. 2^31 - 1, else 0.
int32_t positive_int(double x) {
  const double r = std::round(x);
  if (!(r >= 1.0) || r > static_cast<double>(std::numeric_limits<int32_t>::max())) return 0;
  return static_cast<int32_t>(r);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Axis.

bool make_axis(double first, double last, double interval, double res, int32_t window,
               int32_t margin, Axis& axis) {
  if (!(interval > 0) || !(res > 0) || !(last >= first) || margin < 0) return false;
  Axis a;
  a.window = window;
  a.ismp = kLaserHalfWave;
  a.ssmp = kLaserHalfWave;
  const double spacing = kLaserHalfWave * kCount;  // cm
  a.stsz = positive_int(1.0 / (interval * spacing));
  a.resl = positive_int(1.0 / (res * spacing));
  if (a.stsz == 0 || a.resl == 0) return false;
  a.sslp = 1;
  const double bin = 1.0 / (static_cast<double>(a.stsz) * spacing);
  const double lo = std::floor(first / bin) - margin;
  const double hi = std::ceil(last / bin) + margin;
  const double points = hi - lo + 1;
  if (std::fabs(lo) > std::numeric_limits<int32_t>::max() ||
      points > std::numeric_limits<int32_t>::max())
    return false;
  a.soff = static_cast<int32_t>(lo);
  a.slen = static_cast<int32_t>(points);
  axis = a;
  return true;
}

void put_axis(Header& hdr, const Axis& axis) {
  hdr(QQAPOD) = axis.window;
  hdr(QQISUN) = kCentimetres;
  hdr(QQSSUN) = kCentimetres;
  hdr(QQISMP) = axis.ismp;
  hdr(QQISLP) = 1;
  hdr(QQRESL) = axis.resl;
  hdr(QQSSMP) = axis.ssmp;
  hdr(QQSTSZ) = axis.stsz;
  hdr(QQSSLP) = axis.sslp;
  hdr(QQSOFF) = axis.soff;
  hdr(QQSLEN) = axis.slen;
}

Grid axis_grid(const Axis& axis) {
  Header hdr;
  put_axis(hdr, axis);
  double smp = 0;
  double con = 0;
  SPTCON(hdr, smp, con);
  return Grid{SPTWAV(1.0, smp, con), smp, axis.slen};
}

double axis_resolution(const Axis& axis) {
  Header hdr;
  put_axis(hdr, axis);
  double res = 0;
  SPTRES(hdr, res);
  return res;
}

// ---------------------------------------------------------------------------------------------
// Times.

ScanTime scan_time(int32_t day, int64_t begin_ms, int64_t duration_ms) {
  const auto split = [day](int64_t ms, int32_t& d, int32_t& m) {
    int64_t days = ms / kDayMs;
    int64_t rest = ms % kDayMs;
    if (rest < 0) {
      rest += kDayMs;
      --days;
    }
    d = static_cast<int32_t>(day + days);
    m = static_cast<int32_t>(rest);
  };
  ScanTime t;
  split(begin_ms, t.begin_day, t.begin_ms);
  split(begin_ms + duration_ms, t.end_day, t.end_ms);
  return t;
}

MidTime mid_time(const ScanTime& time) {
  const double day_ms = static_cast<double>(kDayMs);
  MidTime mid;
  mid.days =
      ((time.begin_day + time.begin_ms / day_ms) + (time.end_day + time.end_ms / day_ms)) * 0.5;
  mid.day = static_cast<int32_t>(mid.days);
  const double fraction = mid.days - mid.day;
  mid.hours = static_cast<float>(fraction * 24.0);
  mid.ms = static_cast<int32_t>(fraction * 24.0 * 3600000.0);
  return mid;
}

// ---------------------------------------------------------------------------------------------
// Headers.

Header spectrum_header(const ScanItems& items) {
  Header hdr;
  INITHD(hdr);
  PTDSRC(hdr, items.source);
  PTRMRK(hdr, items.remark);
  hdr(QQDTYP) = kFloatType;
  hdr(QQDKND) = kSpectrum;
  hdr(QQDREP) = kReal;
  hdr(QQGAN1) = items.gains[0];
  hdr(QQGAN2) = items.gains[1];
  hdr(QQGAN3) = items.gains[2];
  put_axis(hdr, items.axis);
  hdr(QQDSIZ) = items.axis.slen;
  hdr(QQFLEN) = items.axis.slen > 0 ? (items.axis.slen - 1) / 128 + 1 : 0;
  hdr(QQDSCL) = 0;
  hdr(QQIBDY) = items.time.begin_day;
  hdr(QQIBMS) = items.time.begin_ms;
  hdr(QQIEDY) = items.time.end_day;
  hdr(QQIEMS) = items.time.end_ms;
  hdr(QQADDS) = 1;
  hdr(kSiteLatitude) = items.site.latitude;
  hdr(kSiteLongitude) = items.site.longitude;
  hdr(kSiteAltitude) = items.site.altitude;
  hdr(kSunKey) = items.sun_key;
  return hdr;
}

// ---------------------------------------------------------------------------------------------
// Writing.

ScanWriter::~ScanWriter() {
  close();
}

bool ScanWriter::open(const std::filesystem::path& path, int32_t unit) {
  close();
  int32_t ierr = 0;
  OPFOUT(unit, path.string(), ierr);
  if (ierr != 0) return false;
  unit_ = unit;
  return true;
}

bool ScanWriter::write(const Header& ahdr, std::span<const double> values, int32_t type) {
  if (unit_ == 0 || ahdr(QQSLEN) < 1 || values.size() != static_cast<std::size_t>(ahdr(QQSLEN)))
    return false;
  std::vector<float> data(values.size());
  std::transform(values.begin(), values.end(), data.begin(),
                 [](double v) { return static_cast<float>(v); });
  Header array = ahdr;
  array(QQDTYP) = kFloatType;
  array(QQDSCL) = 0;
  Header hdr;
  int32_t ierr = 0;
  STINDX(unit_, hdr, data, array, type, kReal, 1, array(QQSLEN), ierr);
  return ierr == 0;
}

bool ScanWriter::close() {
  if (unit_ == 0) return true;
  const int32_t status = lun::close(unit_);
  unit_ = 0;
  return status == 0;
}

bool write_response_file(const std::filesystem::path& path, const ScanItems& items,
                         std::span<const double> response) {
  ScanWriter writer;
  if (!writer.open(path)) return false;
  const bool written = writer.write(spectrum_header(items), response);
  return writer.close() && written;
}

bool write_solar_file(const std::filesystem::path& path, const ScanItems& items,
                      std::span<const SolarSpectrum> spectra) {
  std::vector<SolarSpectrum> ordered(spectra.begin(), spectra.end());
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const SolarSpectrum& a, const SolarSpectrum& b) { return a.key > b.key; });
  ScanWriter writer;
  if (!writer.open(path)) return false;
  bool written = true;
  for (const SolarSpectrum& s : ordered) {
    ScanItems these = items;
    these.sun_key = s.key;
    written = written && writer.write(spectrum_header(these), s.values);
  }
  return writer.close() && written;
}

}  // namespace fts::forward
