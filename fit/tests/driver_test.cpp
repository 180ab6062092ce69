// driver_test: the fit of one scan and the state carried between scans, on spectra of the
// forward model.
#include "fit/driver.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fixtures.hpp"
#include "fts/textio.hpp"

namespace fit {
namespace {

namespace fc = fit::cases;
namespace fw = fts::forward;

constexpr float kTemperature = 0.05f;  // K, a noise-free spectrum fitted back

TEST(LayoutMatches, RequiresTheCountIntervalFirstAndLastWavenumberOfThePass) {
  Grid grid;
  grid.set(6810.0, 6860.0, 0.25, 201);
  Carried state;
  state.interval = 0.25;
  state.first = 6810.0;
  EXPECT_TRUE(layout_matches(201, 0.25, 6810.0, 6860.0, grid, state));
  EXPECT_FALSE(layout_matches(200, 0.25, 6810.0, 6860.0, grid, state));
  EXPECT_FALSE(layout_matches(201, 0.2500001, 6810.0, 6860.0, grid, state));
  EXPECT_FALSE(layout_matches(201, 0.25, 6810.25, 6860.0, grid, state));
  EXPECT_FALSE(layout_matches(201, 0.25, 6810.0, 6859.75, grid, state));
}

// A pass over the default night of the cases: its whole axis but 20 points each side, no
// response, the band's lines; and spectra of it at chosen temperatures.
class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fw::Grid g = night_.grid();
    const int32_t N = g.points - 2 * night_.margin;
    pass_->grid.set(g.at(night_.margin + 1), g.at(night_.margin + N), g.interval, N);
    for (int32_t i = 0; i < N; ++i) pass_->response.r[static_cast<std::size_t>(i)] = 1.0f;
    fts::textio::StringLineSource lines(fw::line_file_text(night_.lines));
    read_line_table(lines, pass_->cal.c, *table_);
    state_.TFAC = settings_.TFAC;
    band_ = std::make_unique<fw::Band>(night_.lines, night_.state, night_.cal, g, night_.window,
                                       fw::axis_resolution(night_.axis()));
  }

  // Scan NUMBER at temperature T and band intensity BI (noise-free).
  Scan& scan(int32_t number, double T, double BI, bool first_of_pass) {
    fw::Terms terms;
    terms.temperature = T;
    terms.band_intensity = BI;
    const std::vector<double> values = fw::spectrum(*band_, terms);
    fw::ScanItems items;
    items.axis = night_.axis();
    scan_->AHDR = fw::spectrum_header(items);
    for (int32_t i = 0; i < pass_->grid.N; ++i) {
      scan_->y[static_cast<std::size_t>(i)] =
          static_cast<float>(values[static_cast<std::size_t>(night_.margin + i)]);
    }
    scan_->number = number;
    scan_->interval = pass_->grid.SMP;
    scan_->first = pass_->grid.W1;
    scan_->first_of_pass = first_of_pass;
    return *scan_;
  }

  Outcome fit(Scan& s) { return driver_->fit(*pass_, *table_, settings_, filter_, state_, s); }

  fc::Night night_;
  std::unique_ptr<Pass> pass_ = std::make_unique<Pass>();
  std::unique_ptr<LineTable> table_ = std::make_unique<LineTable>();
  std::unique_ptr<Scan> scan_ = std::make_unique<Scan>();
  std::unique_ptr<Driver> driver_ = std::make_unique<Driver>();
  std::unique_ptr<fw::Band> band_;
  Settings settings_;
  Filter filter_;
  Carried state_;
};

TEST_F(DriverTest, ListsAreBuiltForTheFirstScanAndReusedForTheNext) {
  const Outcome first = fit(scan(1, 190.0, 1000.0, true));
  ASSERT_EQ(first.result, Result::converged);
  EXPECT_TRUE(first.rebuilt);
  EXPECT_NEAR(first.values.T, 190.0f, kTemperature);
  EXPECT_NEAR(first.values.BIn, 1000.0f, 0.5f);
  // The carried state is the accepted scan's.
  EXPECT_NEAR(temperature_of(state_.TFAC), 190.0f, kTemperature);
  EXPECT_EQ(state_.interval, pass_->grid.SMP);
  EXPECT_EQ(state_.first, pass_->grid.W1);
  EXPECT_EQ(state_.W1, pass_->grid.W1);
  EXPECT_EQ(state_.W2, pass_->grid.W2);
  EXPECT_EQ(state_.QQAPOD, 3);
  EXPECT_FALSE(state_.reset);

  const Outcome second = fit(scan(2, 200.0, 1100.0, false));
  ASSERT_EQ(second.result, Result::converged);
  EXPECT_FALSE(second.rebuilt);
  EXPECT_NEAR(second.values.T, 200.0f, kTemperature);
}

TEST_F(DriverTest, AScanNeedingExactlyTheIterationLimitIsAcceptedOneMoreIsNot) {
  const Outcome free = fit(scan(1, 205.0, 900.0, true));
  ASSERT_EQ(free.result, Result::converged);
  ASSERT_GE(free.iterations, 2);

  settings_.max_iterations = free.iterations;
  state_ = Carried{};
  state_.TFAC = settings_.TFAC;
  const Outcome at_limit = fit(scan(1, 205.0, 900.0, true));
  EXPECT_EQ(at_limit.result, Result::converged);
  EXPECT_EQ(at_limit.iterations, free.iterations);

  settings_.max_iterations = free.iterations - 1;
  state_ = Carried{};
  state_.TFAC = settings_.TFAC;
  const Outcome over = fit(scan(1, 205.0, 900.0, true));
  EXPECT_EQ(over.result, Result::iteration_limit);
  EXPECT_TRUE(state_.reset);
}

TEST_F(DriverTest, AfterAFailedScanTheNextBuildsItsListsAndStartsFromTheSettings) {
  ASSERT_EQ(fit(scan(1, 190.0, 1000.0, true)).result, Result::converged);
  // A scan of no signal: the band column fits nothing.
  Scan& empty = scan(2, 190.0, 0.0, false);
  const Outcome failed = fit(empty);
  EXPECT_NE(failed.result, Result::converged);
  EXPECT_TRUE(state_.reset);
  const Outcome next = fit(scan(3, 230.0, 1000.0, false));
  EXPECT_TRUE(next.rebuilt);
  ASSERT_EQ(next.result, Result::converged);
  EXPECT_NEAR(next.values.T, 230.0f, kTemperature);
}

TEST_F(DriverTest, AMaskedPointTakesNoPart) {
  Scan& s = scan(1, 190.0, 1000.0, true);
  const float kept = s.y[10];
  pass_->response.r[10] = 0.0f;
  pass_->response.masked = 1;
  s.y[10] = 1e6f;  // masked: never seen
  const Outcome masked = fit(s);
  ASSERT_EQ(masked.result, Result::converged);
  EXPECT_EQ(scan_->y[10], 0.0f);
  EXPECT_NEAR(masked.values.T, 190.0f, kTemperature);
  EXPECT_NE(kept, 0.0f);
}

}  // namespace
}  // namespace fit
