// scans: spectra written as scan files through the scan library's own writer, with every header
// item the fit programs read set consistently: data kind, representation, element type, the
// axis and the line shape, acquisition times, gains, site and the sun-angle key of a solar
// spectrum.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "fts/header.hpp"
#include "fts_forward/band.hpp"

namespace fts::forward {

// ---------------------------------------------------------------------------------------------
// Spectrum axis and line shape. Axes are in cm-1 (QQSSUN = QQISUN = 1, one axis count 1e-10 cm):
// the bin is 1/(QQSTSZ * QQSSMP * 1e-10 cm), point i lies at (QQSOFF + (i - 1) * QQSSLP) bins and
// the resolution is 1/(QQRESL * QQISLP * QQISMP * 1e-10 cm).

struct Axis {
  int32_t window = 3;  // QQAPOD, apodisation window 0..5
  int32_t resl = 0;    // QQRESL, interferogram samples that set the resolution
  int32_t ismp = 0;    // QQISMP, interferogram sample spacing in 1e-10 cm (QQISLP = 1)
  int32_t ssmp = 0;    // QQSSMP, the same spacing as the transform saw it
  int32_t stsz = 0;    // QQSTSZ, points of the transform
  int32_t sslp = 1;    // QQSSLP, spectrum sample spacing in bins
  int32_t soff = 0;    // QQSOFF, position of point 1 in bins
  int32_t slen = 0;    // QQSLEN, spectrum points
};

// Interferogram sampling at half the wavelength of a helium-neon laser, 316.4 nm, in 1e-10 cm.
constexpr int32_t kLaserHalfWave = 316400;

// An axis of about INTERVAL cm-1 per point and resolution about RES cm-1 that covers FIRST ..
// LAST with MARGIN points to spare on each side (so that a fit of FIRST .. LAST finds every
// point it loads, its own margins included). The integers are rounded from the wanted values:
// read the exact ones back with axis_grid and axis_resolution. False (AXIS unchanged) when the
// values give no axis of 1 .. 2^31 - 1 points.
bool make_axis(double first, double last, double interval, double res, int32_t window,
               int32_t margin, Axis& axis);

Grid axis_grid(const Axis& axis);          // every point of the axis, by the library's accessors
double axis_resolution(const Axis& axis);  // the library's resolution of the axis
void put_axis(Header& hdr, const Axis& axis);

// ---------------------------------------------------------------------------------------------
// Times and site.

constexpr int64_t kDayMs = 86400000;

// Acquisition begin and end: day numbers (1 January 2000 = day 730120) and milliseconds.
struct ScanTime {
  int32_t begin_day = 0;
  int32_t begin_ms = 0;
  int32_t end_day = 0;
  int32_t end_ms = 0;
};

// The acquisition that begins at BEGIN_MS milliseconds after the start of day DAY (any count,
// carried into days) and lasts DURATION_MS.
ScanTime scan_time(int32_t day, int64_t begin_ms, int64_t duration_ms);

// The scan time as the fit programs take it: the mean of begin and end in days, split into the
// day number, the hours of that day (rounded to 32 bits, as the fit values file has them) and
// the milliseconds since midnight.
struct MidTime {
  double days = 0.0;
  int32_t day = 0;
  float hours = 0.0f;
  int32_t ms = 0;
};
MidTime mid_time(const ScanTime& time);

// Site of the observation: whole arc-seconds (positive north, positive west) and metres.
struct Site {
  int32_t latitude = 0;
  int32_t longitude = 0;
  int32_t altitude = 0;
};

// ---------------------------------------------------------------------------------------------
// Headers.

// What the header of one spectrum carries besides its data.
struct ScanItems {
  Axis axis;
  ScanTime time;
  Site site;                                 // items 215-217
  std::array<int32_t, 3> gains = {1, 1, 1};  // QQGAN1-3
  int32_t sun_key = 0;                       // item 218, arc-seconds (solar spectra)
  std::string source = "FORWARD MODEL";      // data-source text
  std::string remark;                        // remark text
};

// The array header of a real spectrum held as QQSLEN values: data kind 1, representation 0,
// element type 2 (float), scale exponent 0, and the items of ITEMS.
Header spectrum_header(const ScanItems& items);

// ---------------------------------------------------------------------------------------------
// Writing scan files.

// A new scan file written scan after scan through the library (OPFOUT, STINDX) on one unit.
class ScanWriter {
 public:
  ScanWriter() = default;
  ~ScanWriter();
  ScanWriter(const ScanWriter&) = delete;
  ScanWriter& operator=(const ScanWriter&) = delete;

  // Creates PATH on scan unit UNIT (1..100). False when the file exists or cannot be created
  // (the library writes its message lines to the log).
  bool open(const std::filesystem::path& path, int32_t unit = kDefaultUnit);
  // Appends a scan: the spectrum VALUES described by the array header AHDR (from
  // spectrum_header; VALUES has its QQSLEN points), stored as element type TYPE: 2 float, 0 or
  // 1 16- or 32-bit integers with one scale exponent per scan. False on a failure of the
  // writer, on a wrong count of values or when no file is open.
  bool write(const Header& ahdr, std::span<const double> values, int32_t type = 2);
  // Closes the file; false when its last records could not be handed to the system.
  bool close();

  static constexpr int32_t kDefaultUnit = 90;

 private:
  int32_t unit_ = 0;
};

// A solar spectrum and the sun elevation it stands for.
struct SolarSpectrum {
  int32_t key = 0;             // sun elevation, arc-seconds (negative below the horizon)
  std::vector<double> values;  // on the axis of the file
};

// A response file: one scan holding RESPONSE (float) with the header of ITEMS.
bool write_response_file(const std::filesystem::path& path, const ScanItems& items,
                         std::span<const double> response);

// A solar spectra file: one scan per spectrum, ordered by decreasing key (highest sun first),
// each key in item 218, float data, the header of ITEMS otherwise.
bool write_solar_file(const std::filesystem::path& path, const ScanItems& items,
                      std::span<const SolarSpectrum> spectra);

}  // namespace fts::forward
