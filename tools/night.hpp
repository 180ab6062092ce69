// night: the example night of airglow spectra shared by gen_night (which writes it) and
// sim_errors (which draws many noise realisations of its spectra): the settings, the inputs of
// the fits (band, axis, response, solar spectra, the contaminating feature and its mask,
// calibration), the truth and the noise-free spectrum of every scan, and the answer files.
//
// The night: one spectrum every few minutes from the evening twilight (sun 6 degrees below the
// horizon) on, a rotational temperature that oscillates around its mean (two waves of a few K),
// a band intensity that decays after dusk and follows the longer wave, scattered sunlight while
// the sun is above -12 degrees, gains that rise when the sky gets dark. The spectra are drawn by
// the forward model (testing/forward): the band of the line parameter file with the line shape
// of the header's window and resolution, on the slide scale of the calibration file, times the
// response curve, plus a contaminating emission feature that the mask file covers. Noise is
// added by the caller (fts::forward::Noise).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fts_forward/forward.hpp"

namespace night {

namespace fw = fts::forward;

// ---------------------------------------------------------------------------------------------
// Settings.

struct Settings {
  uint64_t seed = 1;
  int32_t scans = 72;
  double cadence = 5.0;   // minutes from one scan to the next
  double exposure = 4.0;  // minutes of acquisition
  int32_t year = 2023, month = 11, day = 15;
  double latitude = 48.0, longitude = -11.0, altitude = 1000.0;
  int32_t v_upper = 3, v_lower = 1;
  std::optional<double> from, to;
  double resolution = 1.0;
  int32_t window = 3;
  double temperature = 190.0;
  double intensity = 2000.0;
  double solar = 60.0;
  double noise = 8.0;
  int32_t type = 2;  // element type of the spectra: 2 float, 0 int16, 1 int32
};

// The settings' lines of a usage text: name, value, meaning and default.
extern const char* const kSettingsUsage;

// Sets the setting NAME to VALUE; false, with ERROR, for an unknown name or a value out of range.
bool set(Settings& s, const std::string& name, const std::string& value, std::string& error);
// Reads a settings file of "NAME VALUE" lines ("#" starts a comment) into S; false, with ERROR
// naming the file and line, when it cannot be read or a line is refused.
bool read_settings_file(const std::filesystem::path& path, Settings& s, std::string& error);

// ---------------------------------------------------------------------------------------------
// The night.

// Truth and header items of one scan.
struct ScanTruth {
  int32_t number = 0;
  fw::ScanItems items;  // axis, acquisition time, site, gains, texts
  fw::MidTime mid;      // the mid-time as the fit takes it
  double temperature = 0.0;
  double intensity = 0.0;  // band intensity, as the fit reports it
  double solar = 0.0;      // solar amplitude, as the fit reports it (0 after twilight)
  int32_t elevation = 0;   // sun elevation at the mid-time, arc-seconds
  std::size_t key = 0;     // index of the solar spectrum drawn (the one the fit selects) ...
  int32_t solar_key = 0;   // ... and its key, arc-seconds
  int32_t gain = 1;        // product of the gains
};

class Night {
 public:
  // The night of settings S: false, with ERROR, when the settings give no spectrum axis, a fit
  // range of more than 4096 points or no twilight on the date at the site.
  static std::unique_ptr<Night> make(const Settings& s, std::string& error);

  const Settings& settings() const { return settings_; }
  double from() const { return from_; }  // the fit range, cm-1
  double to() const { return to_; }
  int64_t fit_points() const { return fit_points_; }
  double resolution() const { return res_; }
  std::size_t line_count() const { return lines_.size(); }
  double feature() const { return feature_; }  // position of the contaminating feature, cm-1
  double twilight_end() const;                 // sun elevation where the solar term ends, degrees

  // Scan N (1 .. scans): its truth and header items.
  ScanTruth scan(int32_t n) const;
  // The noise-free spectrum of a scan, in raw data units (gains applied), on the scan's axis.
  std::vector<double> spectrum(const ScanTruth& scan) const;

  // The inputs of the fits into FOLDER (an existing folder; none of the files may exist there):
  // lines.txt, response.scn, solar.scn, mask.txt, calib.txt. False, with ERROR, on a failure.
  bool write_inputs(const std::filesystem::path& folder, std::string& error) const;
  // The answer file of kelvorn or kelvoras (PROGRAM) fitting scans 1 to SCANS of DATA, with
  // every input of write_inputs (kelvoras: the solar spectra with the site from the headers).
  std::string answers(const std::string& program, const std::string& data, int32_t scans) const;
  // The answer file of lissorak smoothing kelvoras.fit into kelvoras.smo.
  std::string smoother_answers() const;
  // The truth file: its header, then one line per scan.
  std::string truth_header() const;
  static std::string truth_line(const ScanTruth& scan);

 private:
  explicit Night(const Settings& s) : settings_(s) {}

  Settings settings_;
  std::vector<fw::Line> lines_;
  double from_ = 0.0, to_ = 0.0;
  fw::Axis axis_;
  fw::Grid grid_;
  double res_ = 0.0;
  int64_t fit_points_ = 0;
  std::unique_ptr<fw::Band> band_;
  fw::Site site_;
  int32_t day0_ = 0;
  int64_t dusk_ = 0;  // milliseconds after the start of day0_ at which the sun is at -6 degrees
  std::vector<double> response_;
  std::vector<fw::SolarSpectrum> solar_;
  std::vector<int32_t> keys_;
  double feature_ = 0.0;
  double mask_lo_ = 0.0, mask_hi_ = 0.0;
  double phase1_ = 0.0, phase2_ = 0.0;  // of the temperature waves
  double first_mid_ = 0.0;              // mid-time of scan 1, days
};

}  // namespace night
