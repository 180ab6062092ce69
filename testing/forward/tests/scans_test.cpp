// Tests of the forward model's scan files: spectra written through the library's writer and read
// back through its readers with the axis, the line shape, the times, gains, site and keys
// intended; response and solar spectra files; scan times as the fit takes them.
#include "fts_forward/scans.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/ftsuser1.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"
#include "fts_testing/run.hpp"

namespace {

namespace fw = fts::forward;
namespace ft = fts::testing;

constexpr int32_t kReadUnit = 11;
constexpr double kRounded = 1e-4;  // relative: axis integers rounded from the wanted values

// The spectrum written in these tests: a smooth curve with a line on it.
std::vector<double> curve(const fw::Grid& grid) {
  std::vector<double> y;
  for (int32_t i = 1; i <= grid.points; ++i) {
    const double w = grid.at(i);
    y.push_back(100.0 + 0.01 * (w - 6500.0) + 50.0 * std::exp(-0.5 * std::pow(w - 6550.0, 2)));
  }
  return y;
}

// Items of a scan of the night of 15 January 2023 (day 738535) at a site 51.5 N, 9.9 E.
fw::ScanItems night_items(const fw::Axis& axis) {
  fw::ScanItems items;
  items.axis = axis;
  items.time = fw::scan_time(738535, 20 * 3600000LL, 240000);
  items.site = {185400, -35640, 150};
  items.gains = {2, 3, 1};
  items.remark = "SCAN 1";
  return items;
}

// Reads scan NXTSCN of the open file on kReadUnit and loads W1 .. W2.
struct Loaded {
  fts::Header hdr, ahdr;
  std::vector<float> values;
  double w1 = 0, w2 = 0;
};
Loaded load(int32_t& curscn, int32_t nxtscn, double w1, double w2) {
  Loaded out;
  int32_t ierr = 0, ieof = 0;
  fts::GETHDR(kReadUnit, out.hdr, curscn, nxtscn, ierr, ieof);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(ieof, 0);
  out.values.assign(8192, 0.0f);
  int32_t n = 0;
  fts::GETSPF(kReadUnit, out.hdr, out.values, out.ahdr, 2, 0, n, w1, w2, out.w1, out.w2, ierr);
  EXPECT_EQ(ierr, 0);
  out.values.resize(static_cast<std::size_t>(std::max(n, 0)));
  ++curscn;
  return out;
}

}  // namespace

TEST(Axis, CoversTheRangeWithMarginsAtTheWantedSpacingAndResolution) {
  fw::Axis axis;
  ASSERT_TRUE(fw::make_axis(6400.0, 6700.0, 0.5, 1.2, 4, 16, axis));
  const fw::Grid grid = fw::axis_grid(axis);
  EXPECT_NEAR(grid.interval, 0.5, kRounded * 0.5);
  EXPECT_NEAR(fw::axis_resolution(axis), 1.2, kRounded * 1.2);
  EXPECT_EQ(axis.window, 4);
  EXPECT_LE(grid.at(17), 6400.0);
  EXPECT_GT(grid.at(18), 6400.0);
  EXPECT_GE(grid.at(grid.points - 16), 6700.0);
  EXPECT_LT(grid.at(grid.points - 17), 6700.0);
  // Nothing sensible: no axis.
  EXPECT_FALSE(fw::make_axis(6400.0, 6700.0, 0.0, 1.0, 3, 16, axis));
  EXPECT_FALSE(fw::make_axis(6400.0, 6700.0, 0.5, -1.0, 3, 16, axis));
  EXPECT_FALSE(fw::make_axis(6700.0, 6400.0, 0.5, 1.0, 3, 16, axis));
  EXPECT_FALSE(fw::make_axis(6400.0, 6700.0, 1e-12, 1.0, 3, 16, axis));
}

TEST(ScanFile, ReadsBackThroughTheLibraryWithTheItemsAndAxisIntended) {
  const ft::TempDir dir;
  fw::Axis axis;
  ASSERT_TRUE(fw::make_axis(6400.0, 6700.0, 0.5, 1.0, 3, 16, axis));
  const fw::Grid grid = fw::axis_grid(axis);
  const std::vector<double> y = curve(grid);
  const fw::ScanItems items = night_items(axis);

  // Scan 1 in floats, scan 2 in 16-bit integers, scan 3 in 32-bit integers.
  fw::ScanWriter writer;
  ASSERT_TRUE(writer.open(dir / "night.scn"));
  for (int32_t type : {2, 0, 1}) ASSERT_TRUE(writer.write(fw::spectrum_header(items), y, type));
  EXPECT_FALSE(writer.write(fw::spectrum_header(items), std::vector<double>(3, 1.0)));
  ASSERT_TRUE(writer.close());

  int32_t ierr = 0;
  fts::OPFINP(kReadUnit, (dir / "night.scn").string(), ierr);
  ASSERT_EQ(ierr, 0);
  int32_t curscn = 1;
  for (int32_t type : {2, 0, 1}) {
    SCOPED_TRACE(type);
    // The fit's range lies inside what the readers fetch whole.
    fts::Header hdr;
    double r1 = 0, r2 = 0;
    Loaded scan = load(curscn, curscn, 6400.0, 6700.0);
    fts::SPTRNG(scan.hdr, r1, r2);
    EXPECT_LT(r1, 6400.0);
    EXPECT_GT(r2, 6700.0);
    // Items the fit reads.
    const fts::Header& h = scan.hdr;
    EXPECT_EQ(h(fts::QQDTYP), type);
    EXPECT_EQ(h(fts::QQDKND), 1);
    EXPECT_EQ(h(fts::QQDREP), 0);
    EXPECT_EQ(h(fts::QQAPOD), 3);
    EXPECT_EQ(h(fts::QQRESL), axis.resl);
    EXPECT_EQ(h(fts::QQSLEN), axis.slen);
    EXPECT_EQ(h(fts::QQGAN1), 2);
    EXPECT_EQ(h(fts::QQGAN2), 3);
    EXPECT_EQ(h(fts::QQGAN3), 1);
    EXPECT_EQ(h(fts::QQIBDY), 738535);
    EXPECT_EQ(h(fts::QQIBMS), 72000000);
    EXPECT_EQ(h(fts::QQIEDY), 738535);
    EXPECT_EQ(h(fts::QQIEMS), 72240000);
    EXPECT_EQ(h(fts::kSiteLatitude), 185400);
    EXPECT_EQ(h(fts::kSiteLongitude), -35640);
    EXPECT_EQ(h(fts::kSiteAltitude), 150);
    std::string remark(32, ' ');
    fts::GTRMRK(h, remark);
    EXPECT_EQ(remark, "SCAN 1" + std::string(26, ' '));
    // The axis and the resolution.
    double smp = 0, con = 0, res = 0;
    fts::SPTCON(scan.ahdr, smp, con);
    fts::SPTRES(h, res);
    EXPECT_EQ(smp, grid.interval);
    EXPECT_NEAR(res, 1.0, kRounded);
    // The values at their points.
    ASSERT_FALSE(scan.values.empty());
    const auto first = static_cast<int32_t>(std::lround((scan.w1 - grid.first) / grid.interval));
    EXPECT_NEAR(grid.at(first + 1), scan.w1, 1e-9);
    const double step = type == 2 ? 0.0 : std::ldexp(150.0, type == 0 ? -14 : -30);
    for (std::size_t k = 0; k < scan.values.size(); ++k)
      ASSERT_NEAR(scan.values[k], static_cast<float>(y[static_cast<std::size_t>(first) + k]), step)
          << k;
  }
  fts::lun::close(kReadUnit);
}

TEST(ScanFile, ResponseAndSolarFilesCarryTheirSpectraAndKeysHighestSunFirst) {
  const ft::TempDir dir;
  fw::Axis axis;
  ASSERT_TRUE(fw::make_axis(6400.0, 6700.0, 0.5, 1.0, 3, 16, axis));
  const fw::Grid grid = fw::axis_grid(axis);
  const fw::ScanItems items = night_items(axis);
  const std::vector<double> flat(static_cast<std::size_t>(grid.points), 0.75);
  ASSERT_TRUE(fw::write_response_file(dir / "response.scn", items, flat));

  const std::vector<fw::SolarSpectrum> solar = {
      {-36000, std::vector<double>(flat.size(), 3.0)},
      {-21600, std::vector<double>(flat.size(), 1.0)},
      {-28800, std::vector<double>(flat.size(), 2.0)},
  };
  ASSERT_TRUE(fw::write_solar_file(dir / "solar.scn", items, solar));

  int32_t ierr = 0;
  fts::OPFINP(kReadUnit, (dir / "response.scn").string(), ierr);
  ASSERT_EQ(ierr, 0);
  int32_t curscn = 1;
  EXPECT_EQ(load(curscn, 1, 6400.0, 6700.0).values.front(), 0.75f);
  fts::lun::close(kReadUnit);

  fts::OPFINP(kReadUnit, (dir / "solar.scn").string(), ierr);
  ASSERT_EQ(ierr, 0);
  curscn = 1;
  const int32_t kKeys[] = {-21600, -28800, -36000};
  const float kLevels[] = {1.0f, 2.0f, 3.0f};
  for (int k = 0; k < 3; ++k) {
    const Loaded scan = load(curscn, k + 1, 6400.0, 6700.0);
    EXPECT_EQ(scan.hdr(fts::kSunKey), kKeys[k]);
    EXPECT_EQ(scan.values.back(), kLevels[k]);
  }
  fts::Header hdr;
  int32_t ieof = 0;
  fts::textio::CaptureOutput log;
  fts::GETHDR(kReadUnit, hdr, curscn, 4, ierr, ieof);
  EXPECT_EQ(ieof, 1);
  fts::lun::close(kReadUnit);

  // An existing file is never written over.
  EXPECT_FALSE(fw::write_response_file(dir / "solar.scn", items, flat));
  EXPECT_NE(log.text().find("OPFOUT"), std::string::npos);
}

TEST(ScanTime, MidTimeIsTheMeanOfBeginAndEndAsTheFitTakesIt) {
  struct Case {
    int64_t begin_ms;
    int64_t duration_ms;
    int32_t day;
    double hours;
    int32_t ms;
  };
  constexpr Case kCases[] = {
      {72000000, 240000, 738535, 20.0 + 2.0 / 60.0, 72120000},
      {86100000, 600000, 738536, 0.0, 0},                         // across midnight
      {-3600000, 1200000, 738534, 23.0 + 10.0 / 60.0, 83400000},  // begins the day before
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.begin_ms);
    const fw::ScanTime t = fw::scan_time(738535, c.begin_ms, c.duration_ms);
    const fw::MidTime mid = fw::mid_time(t);
    EXPECT_EQ(mid.day, c.day);
    EXPECT_NEAR(mid.hours, c.hours, 1e-5);
    EXPECT_NEAR(mid.ms, c.ms, 1);
  }
  const fw::ScanTime t = fw::scan_time(738535, 86100000, 600000);
  EXPECT_EQ(t.begin_day, 738535);
  EXPECT_EQ(t.begin_ms, 86100000);
  EXPECT_EQ(t.end_day, 738536);
  EXPECT_EQ(t.end_ms, 300000);
}
