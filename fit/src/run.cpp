// run: the dialogue of the fit programs, the set-up of each fit pass and its scan steps.
#include "fit/run.hpp"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>

#include "fit/dialogue.hpp"
#include "fit/driver.hpp"
#include "fit/inputs.hpp"
#include "fit/report.hpp"
#include "fit/timing.hpp"
#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/ftsuser1.hpp"
#include "fts/lun.hpp"
#include "fts/shell.hpp"

namespace fit {

namespace textio = fts::textio;
using textio::FreeLine;

namespace {

constexpr int32_t kFloat = 2;     // QQDTYP of 32-bit floats
constexpr int32_t kSpectrum = 1;  // QQDKND of a spectrum
constexpr float kSolarStart = 0.6f;
constexpr double kFloatMax = std::numeric_limits<float>::max();

// Messages of the run that stop it (each followed by "#ERROR").
constexpr const char* kStatusError = " Error creating status report file";
constexpr const char* kValuesError = " Error creating fit values file";
constexpr const char* kDataError = " Error opening data file";
constexpr const char* kLineFileError = " Error opening rotational line file";
constexpr const char* kRangeError = "SCAN RANGE ERROR";
constexpr const char* kInputError = " ERROR ON INPUT FILE";
constexpr const char* kEndError = " END OF INPUT FILE";
constexpr const char* kTooLarge = " FIT RANGE TOO LARGE, USE ANOTHER";

// Opens the existing text file NAME on UNIT without a message; false when it cannot be opened.
bool open_quietly(int32_t unit, const std::string& name) {
  int32_t ios = 0;
  fts::lun::open_text(unit, textio::without_trailing_blanks(name), fts::lun::Status::old_file, ios);
  return ios == 0;
}

// A count held within the 32-bit range.
int32_t count32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// One line to a text file of the run; a line that cannot be written stops the run.
void write_to(int32_t unit, const std::string& line, const char* message) {
  int32_t ierr = 0;
  fts::TSTIOS(fts::lun::write_line(unit, line), ierr);
  fts::STPLOG(ierr, message);
}
void status(const std::string& line) {
  write_to(kStatusUnit, line, kWriteStatus);
}

TimeSplit* measured = nullptr;  // the split asked for by measure_time

class Run {
 public:
  explicit Run(Variant variant) : variant_(variant) {}

  void start();
  bool set_up_pass();
  void scans();

 private:
  void ask_response();
  void ask_solar();
  void ask_calibration();
  void build_line_table();
  // Reads the next scan of the pass into scan_; false (reported) when it is off the pass's grid.
  bool read_scan();
  void fit_scan();

  Variant variant_;
  Dialogue dialogue_;
  Settings settings_;
  Filter filter_;
  std::string data_file_;
  double W1_ = 0.0;  // the fit range, as asked, then narrowed and snapped pass after pass
  double W2_ = 0.0;
  int32_t first_ = 0;  // the file range answers
  int32_t last_ = 0;
  int32_t CURSCN_ = 1;
  bool first_pass_ = true;
  Carried state_;
  Driver driver_;
  std::unique_ptr<Pass> pass_ = std::make_unique<Pass>();
  std::unique_ptr<LineTable> table_ = std::make_unique<LineTable>();
  std::unique_ptr<Scan> scan_ = std::make_unique<Scan>();
  std::unique_ptr<ResponseCurve> curve_ = std::make_unique<ResponseCurve>();
};

// start: questions 1 to 6, the output files and the data file.
// Notes: both output files are created after both names are known; a file that exists or cannot
//        be created stops the run after the opener's lines.
void Run::start() {
  const std::string status_name =
      dialogue_.name("$Enter the filename for status report  [64A1] > ");
  const std::string values_name =
      dialogue_.name("$Enter the filename for the fit values [64A1] > ");
  fts::shell::open_or_stop(fts::shell::File::text_output, kStatusUnit, status_name, kStatusError);
  fts::shell::open_or_stop(fts::shell::File::text_output, kValuesUnit, values_name, kValuesError);
  ask_filter(dialogue_, filter_);
  ask_settings(dialogue_, settings_);
  state_.TFAC = settings_.TFAC;
  data_file_ = dialogue_.name("$Enter the input data filename         [64A1] > ");
  fts::shell::open_or_stop(fts::shell::File::scan_input, kDataUnit, data_file_, kDataError);
  CURSCN_ = 1;
  dialogue_.numbers("$Fit the wavenumber range          [From, to] > ", W1_, W2_);
}

// set_up_pass: question 7, the first scan of the pass and the inputs of the pass (questions 8 to
// 13).
// Returned:  (value)  false when the file range answered ends the run
// Notes:
// 1. The range must satisfy 0 <= first <= last ("SCAN RANGE ERROR"); a zero ends the run.
// 2. The fit range is narrowed to what the first scan can give whole and snapped to its points.
//    Its points (elements, for complex data) are counted before anything is loaded: more than
//    4096 stop the run with " FIT RANGE TOO LARGE, USE ANOTHER"; a spectrum without a sampling
//    interval stops it with " SPECTRUM AXIS UNDEFINED ON FILE", and a filter whose time
//    constant comes to 2 points or fewer with " FILTER TIME CONSTANT TOO SHORT:".
bool Run::set_up_pass() {
  textio::put_line("  ");
  dialogue_.numbers("$Fit files                          [from,to] > ", first_, last_);
  int32_t ierr = 0;
  fts::TSTNUM(first_, 0, last_, ierr);
  fts::STPLOG(ierr, kRangeError);
  if (first_ == 0 || last_ == 0) return false;

  // The first scan: its header, the fit range it allows, its section.
  fts::Header hdr;
  int32_t ieof = 0;
  fts::GETHDR(kDataUnit, hdr, CURSCN_, first_, ierr, ieof);
  fts::STPLOG(ierr, kInputError);
  fts::STPLOG(ieof, kEndError);
  double R1 = 0.0, R2 = 0.0;
  fts::SPTRNG(hdr, R1, R2);
  W1_ = std::max(W1_, R1);
  W2_ = std::min(W2_, R2);
  if (hdr(fts::QQDKND) == kSpectrum) {
    const Section section = section_of(hdr, W1_, W2_);
    fts::STPLOG(section.defined ? 0 : 1,
                (FreeLine() << "SPECTRUM AXIS UNDEFINED ON FILE" << CURSCN_).str());
    fts::STPLOG(section.elements > kMaxPoints ? 1 : 0, kTooLarge);
  }
  Scan& scan = *scan_;
  int32_t npts = 0;
  double W1P = 0.0, W2P = 0.0;
  {
    const Stopwatch watch(TimeSplit::load);
    fts::GETSPF(kDataUnit, hdr, scan.y, scan.AHDR, kFloat, hdr(fts::QQDREP), npts, W1_, W2_, W1P,
                W2P, ierr);
  }
  fts::STPLOG(ierr, kInputError);
  W1_ = W1P;
  W2_ = W2P;
  scan.number = CURSCN_;
  ++CURSCN_;
  dialogue_.set_last_scan(scan.number);
  double smp = 0.0;
  fts::SPTSMP(scan.AHDR, smp);
  Pass& pass = *pass_;
  pass.grid.set(W1_, W2_, smp, npts);
  pass.first_scan = first_;
  pass.last_scan = last_;
  scan.interval = smp;
  scan.first = W1_;
  scan.first_of_pass = true;
  if (filter_.on) {
    const double points = filter_.time_constant / smp;
    fts::STPLOG(points > 2.0 ? 0 : 1,
                (FreeLine() << "FILTER TIME CONSTANT TOO SHORT:"
                            << static_cast<float>(std::clamp(points, -kFloatMax, kFloatMax))
                            << " POINTS, MORE THAN 2 NEEDED")
                    .str());
  }

  // The inputs of the pass.
  ask_response();
  if (first_pass_) {
    state_.BI = 1.0f * pass.response.mean;
    state_.SA = kSolarStart * pass.response.mean;
  }
  pass.solar.count = 0;
  pass.solar.loaded = false;
  if (variant_ == Variant::kelvoras) ask_solar();
  ask_calibration();
  build_line_table();
  first_pass_ = false;
  return true;
}

// ask_response: questions 8 and 9, the response on the grid and its mean.
void Run::ask_response() {
  Pass& pass = *pass_;
  Response& resp = pass.response;
  resp.curve_file = dialogue_.name("$Enter the response filename (or RET)  [64A1] > ");
  resp.curve = load_response_curve(resp.curve_file, W1_, W2_, *curve_);
  resp.mask_file = dialogue_.name("$Enter the data mask filename (or RET) [64A1] > ");
  resp.mask = open_quietly(kMaskUnit, resp.mask_file);
  const auto N = static_cast<std::size_t>(pass.grid.N);
  resp.masked =
      response_on_grid(pass.grid.points(), resp.mask ? &fts::lun::text_input(kMaskUnit) : nullptr,
                       resp.curve ? curve_.get() : nullptr, std::span<float>(resp.r).first(N));
  if (resp.mask) fts::lun::close(kMaskUnit);
  resp.mean = 1.0f;
  if (resp.curve) RENORM(resp.r, pass.grid.N, resp.mean);
}

// ask_solar: question 10 (10a to 10d) and the solar spectra.
void Run::ask_solar() {
  SolarSet& solar = pass_->solar;
  solar.file = dialogue_.name("$Enter the solar spectra file (or RET) [64A1] > ");
  int32_t ierr = 0;
  fts::OPFINP(kSolarUnit, solar.file, ierr);
  if (ierr != 0) return;
  textio::put_line(" Do you wish to enter the latitude and longitude");
  solar.typed_site = is_yes(dialogue_.letter("$ (No to use the header variables)      [Y/N] > "));
  if (solar.typed_site) {
    float latitude = 0.0f, longitude = 0.0f, altitude = 0.0f;
    dialogue_.numbers("$Enter the Latitude (in decimal degrees, +=N) > ", latitude);
    dialogue_.numbers("$Enter the Longitude (decimal degrees, +=W)   > ", longitude);
    dialogue_.numbers("$Enter the Altitude (Metres above sea level)  > ", altitude);
    solar.latitude = whole_units(latitude, 3600.0f);
    solar.longitude = whole_units(longitude, 3600.0f);
    solar.altitude = whole_units(altitude, 1.0f);
  }
  load_solar_spectra(pass_->grid, solar);
  fts::lun::close(kSolarUnit);
}

// ask_calibration: question 11 and the calibration coefficients of the pass.
void Run::ask_calibration() {
  Calibration& cal = pass_->cal;
  cal.c = {1.0, 0.0, 0.0, 0.0, 0.0};
  textio::put_line(" Enter the filename of the wavelength");
  cal.file = dialogue_.name("$       calibration factors (or RET.)  [64A1] > ");
  cal.opened = open_quietly(kCalibrationUnit, cal.file);
  if (!cal.opened) return;
  read_calibration(fts::lun::text_input(kCalibrationUnit), cal.c);
  fts::lun::close(kCalibrationUnit);
}

// build_line_table: the line table, built anew when a calibration file was opened in this pass
// or the fit range differs from that of the last converged scan (questions 12 and 13 in the
// first pass).
void Run::build_line_table() {
  LineTable& table = *table_;
  if (!pass_->cal.opened && W1_ == state_.W1 && W2_ == state_.W2) return;
  if (first_pass_) {
    table.file = dialogue_.name("$Enter the rotational line param file  [64A1] > ");
    const char state = dialogue_.letter("$Do Initial or Final state in Boltzmann [I/F] > ");
    table.initial_state = state == 'I' || state == 'i';
  }
  fts::shell::open_or_stop(fts::shell::File::text_input, kLineUnit, table.file, kLineFileError);
  read_line_table(fts::lun::text_input(kLineUnit), pass_->cal.c, table);
  fts::lun::close(kLineUnit);
}

// scans: the scan steps of a pass, from its first scan (loaded by the set-up) to its last.
// Notes: every step writes the progress line "$.". The first scan is preceded by the header
//        block; it sets the reference interval and first wavenumber that later scans are held
//        against. A pass ends when the next scan lies beyond its range.
void Run::scans() {
  const Pass& pass = *pass_;
  state_.interval = pass.grid.SMP;
  state_.first = pass.grid.W1;
  textio::put_line("$.");
  for (const std::string& line : header_block(data_file_, pass, *table_, settings_, filter_)) {
    status(line);
  }
  fit_scan();
  for (;;) {
    textio::put_line("$.");
    if (CURSCN_ > pass.last_scan) return;
    if (read_scan()) fit_scan();
  }
}

// read_scan: the next scan of the pass.
// Returned:  (value)  true when it lies on the pass's grid and is to be fitted
// Notes:
// 1. An error reading its header or section stops the run (" ERROR ON INPUT FILE"); at the end
//    of the file " EOF REACHED, SCAN " goes to the status report and the run stops with
//    " END OF INPUT FILE".
// 2. A spectrum whose section would not fit the 4096-element arrays, or that has no sampling
//    interval, is not loaded: it is skipped and reported as any scan off the grid, with the
//    count, interval and positions its header gives.
bool Run::read_scan() {
  const Stopwatch watch(TimeSplit::load);
  const Pass& pass = *pass_;
  Scan& scan = *scan_;
  fts::Header hdr;
  int32_t ierr = 0, ieof = 0;
  fts::GETHDR(kDataUnit, hdr, CURSCN_, CURSCN_, ierr, ieof);
  fts::STPLOG(ierr, kInputError);
  if (ieof != 0) {
    status(eof_line(dialogue_.last_scan()));
    fts::STPLOG(1, kEndError);
  }
  const Section section = section_of(hdr, pass.grid.W1, pass.grid.W2);
  const bool loadable =
      hdr(fts::QQDKND) != kSpectrum || (section.defined && section.elements <= kMaxPoints);
  Mismatch m;
  if (loadable) {
    fts::GETSPF(kDataUnit, hdr, scan.y, scan.AHDR, kFloat, hdr(fts::QQDREP), m.points, pass.grid.W1,
                pass.grid.W2, m.first, m.last, ierr);
    fts::STPLOG(ierr, kInputError);
    fts::SPTSMP(scan.AHDR, m.interval);
  } else {
    fts::SKPDAT(kDataUnit, hdr);
    m.points = count32(section.points);
    m.interval = section.SMP;
    m.first = section.W1P;
    m.last = section.W2P;
  }
  scan.number = CURSCN_;
  ++CURSCN_;
  dialogue_.set_last_scan(scan.number);
  if (loadable && layout_matches(m.points, m.interval, m.first, m.last, pass.grid, state_)) {
    scan.interval = m.interval;
    scan.first = m.first;
    scan.first_of_pass = false;
    return true;
  }
  m.scan = scan.number;
  m.N = pass.grid.N;
  m.reference_interval = state_.interval;
  m.reference_first = state_.first;
  m.W2 = pass.grid.W2;
  const std::vector<std::string> lines = mismatch_lines(m);
  textio::put_line(lines.front());
  for (const std::string& line : lines) status(line);
  return false;
}

// fit_scan: the fit of the scan in scan_ and its lines in the two files.
void Run::fit_scan() {
  const Outcome outcome = [&] {
    const Stopwatch watch(TimeSplit::iterations);
    return driver_.fit(*pass_, *table_, settings_, filter_, state_, *scan_);
  }();
  {
    const Stopwatch watch(TimeSplit::output);
    for (const std::string& line : outcome_lines(variant_, scan_->number, outcome)) status(line);
    if (outcome.result == Result::converged) {
      write_to(kValuesUnit, values_line(pass_->solar.loaded, outcome.values), kWriteValues);
    }
  }
  scan_timed();
}

}  // namespace

void measure_time(TimeSplit* split) {
  measured = split;
}

TimeSplit* time_split() {
  return measured;
}

void scan_timed() {
  if (measured == nullptr) return;
  measured->scans.push_back(measured->scan);
  measured->scan = {};
}

// run: the fit program VARIANT.
// Notes: 1. Questions 1 to 6 are asked once; then every pass asks 7 to 11 (12 and 13 in the
//           first pass only) and fits its scans, until 7 is answered with a zero.
//        2. A run ends without a final line of its own; the two output files are closed and
//           checked at its end, also after the termination lines of an answer that cannot be
//           read (Terminated, thrown by the dialogue).
int run(Variant variant) {
  auto r = std::make_unique<Run>(variant);
  try {
    r->start();
    while (r->set_up_pass()) r->scans();
  } catch (const Terminated&) {
  }
  close_run();
  return 0;
}

}  // namespace fit
