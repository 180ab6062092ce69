// combirax: the interferogram averager: its dialogue, the scan checks, the aligned 64-bit sums of
// the accepted interferograms and the mean written as a new scan file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fts/ftsunits.hpp"
#include "fts/header.hpp"

namespace combirax {

constexpr int32_t kMaxElements = 100000;       // most elements of a template
constexpr std::size_t kMaxNameLength = 64;     // characters of a file name
constexpr int32_t kInputUnit = 1;              // the scan file read
constexpr int32_t kOutputUnit = 2;             // the average file written
constexpr int32_t kLastScanDefault = 1000000;  // last scan of a range whose end is left empty

// Alignment of the scans (answer to question 3).
enum Alignment : int32_t {
  kAbsolute = 1,  // point k of every scan adds to point k of the mean
  kCentred = 2,   // every scan's centre point adds to the template's centre point
};

// Scan directions taken (answer to question 4, and the values of QQMOTN).
enum Direction : int32_t { kForward = 0, kReverse = 1, kBoth = 2 };

// ---------------------------------------------------------------------------------------------
// Scan selection and sums

// True when a scan recorded in direction MOTION (its QQMOTN) is taken under DIRECTION.
bool takes_direction(int32_t direction, int32_t motion);

// SUM(j) += W * X(j) for every element of X, products and sums in 64-bit floating point.
void add_weighted(std::span<double> sum, std::span<const float> x, float w);

// MEAN(j) = SUM(j) * R rounded to 32 bits, R = 1/TOTAL rounded to 32 bits (TOTAL not 0).
void scale_mean(std::span<const double> sum, int32_t total, std::span<float> mean);

// The weighted mean of the accepted interferograms of a run: the template scan's state, the
// running point range, the 64-bit sums and the mean header.
class Averager {
 public:
  Averager(int32_t alignment, int32_t direction);

  // Takes the scan whose header HDR was just read from LUN as scan NXTSCN: skipped when its
  // direction is not taken, else checked against the template, loaded and added, or rejected
  // with its messages. The file is left at the next scan's header.
  void take_scan(int32_t LUN, const fts::Header& HDR, int32_t NXTSCN);

  // Writes the mean as the only scan of the scan file open on LUN; nothing when no scan was
  // accepted. Stops the run (STPLOG) when the mean cannot be written.
  void write_mean(int32_t LUN);

  bool has_template() const { return have_template_; }
  const fts::Header& mean_header() const { return mean_; }

 private:
  bool reject(int32_t LUN, const fts::Header& HDR, int32_t NXTSCN, const char* text);
  bool become_template(int32_t LUN, const fts::Header& HDR, int32_t NXTSCN);
  bool add_later_scan(int32_t LUN, const fts::Header& HDR, int32_t NXTSCN);
  void add_pending();
  void output_points(int32_t& first, int32_t& last) const;

  int32_t alignment_;
  int32_t direction_;

  // Template state.
  bool have_template_ = false;
  fts::UnitText data_unit_;    // unit text of the data values
  fts::UnitText sample_unit_;  // unit text of the sample axis
  double spacing_ = 0;         // sample spacing
  int32_t type_ = 0;           // element type of the template's file data, the output's type
  int32_t rep_ = 0;            // representation loaded from every scan and written

  // Running range: points from the first (ABS), or points before and after the centre (CEN).
  // Kept in 64 bits so that no header value, however odd, can make them wrap.
  int64_t npts_ = 0;
  int64_t nl_ = 0;
  int64_t nr_ = 0;

  // At least the template's elements, at most kMaxElements.
  std::vector<double> sum_;  // weighted sums, in the template's element numbering
  std::vector<float> load_;  // one scan's loaded elements; finally the mean
  fts::Header mean_;         // header of the mean: the template's array header, merged

  // Scans loaded and not yet added to the sums: their elements X, to be added from sum element
  // S (from 1) on, N of them, with weight W (QQADDS as a 32-bit float).
  struct Pending {
    std::vector<float> x;
    std::size_t s = 1;
    std::size_t n = 0;
    float w = 0.0f;
  };
  static constexpr std::size_t kPendingScans = 8;
  std::array<Pending, kPendingScans> pending_;
  std::size_t pending_count_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The program

// Scans FIRST to LAST of the input file through AVG; CURSCN is the scan whose header is the
// input's current record. False when the input file ended before LAST.
bool process_range(Averager& avg, int32_t& CURSCN, int32_t FIRST, int32_t LAST);

// The whole run: questions 1 to 5, the ranges, the mean, the final line. Returns the exit
// status.
int run();

}  // namespace combirax
