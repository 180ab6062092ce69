// magnorav: takes one spectrum out of a scan file, applies y = factor*x + offset to its values and
// writes it as the only scan of a new scan file, in 32-bit floats.
#include "magnorav.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "fts/ftshdutl.hpp"
#include "fts/ftsiface.hpp"
#include "fts/ftsioutl.hpp"
#include "fts/shell.hpp"
#include "fts/textio.hpp"

namespace magnorav {

namespace textio = fts::textio;

namespace {

constexpr int32_t kFloat = 2;    // QQDTYP of 32-bit floats
constexpr int32_t kComplex = 2;  // QQDREP of complex data

// Messages of answers that cannot be read, each followed by "#ERROR".
constexpr std::string_view kEndOfInput = " END OF INPUT";
constexpr std::string_view kFrameError = " ERROR READING FRAME NUMBER";
constexpr std::string_view kFactorError = " ERROR READING SCALING FACTOR";
constexpr std::string_view kOffsetError = " ERROR READING OFFSET VALUE";

// What a frame number left unset by a null answer holds; no scan has this number.
constexpr int32_t kNoFrame = std::numeric_limits<int32_t>::min();

// The work array, cleared at start-up.
std::array<float, kWorkElements> ARRAY;

// A file name answer: one line, cut or blank-padded to 64 characters.
std::string name_answer() {
  std::string name;
  if (!fts::shell::read_name(name, kName)) fts::STPLOG(1, kEndOfInput);
  return name;
}

// A frame number in free format; a null answer, or one that is not an integer, stops the run.
int32_t frame_answer() {
  int32_t value = kNoFrame;
  textio::FreeReader reader(textio::standard_input());
  const textio::ReadStatus status = reader.read(value);
  if (status == textio::ReadStatus::end) fts::STPLOG(1, kEndOfInput);
  if (status == textio::ReadStatus::bad || value == kNoFrame) fts::STPLOG(1, kFrameError);
  return value;
}

// A real number in free format; a null answer, or one that is not a finite 32-bit number,
// stops the run with ERROR.
float real_answer(std::string_view error) {
  float value = std::numeric_limits<float>::quiet_NaN();
  textio::FreeReader reader(textio::standard_input());
  const textio::ReadStatus status = reader.read(value);
  if (status == textio::ReadStatus::end) fts::STPLOG(1, kEndOfInput);
  if (status == textio::ReadStatus::bad || !std::isfinite(value)) fts::STPLOG(1, error);
  return value;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Questions.

// ask: ask the five questions and read their answers.
// Returned:  answers  the input file name, the frame, the factor, the offset and the output
//                     file name, in the order asked
// Notes:
// 1. File names are one line each, its first 64 characters. Numbers are read in free format:
//    they may follow blank lines, and the rest of their line is ignored.
// 2. Prompts 1, 2 and 5 leave the cursor behind them; prompts 3 and 4 are whole lines beginning
//    with "$".
// 3. An answer that cannot be read stops the run before any file is opened: " END OF INPUT"
//    when standard input ends, " ERROR READING FRAME NUMBER", " ERROR READING SCALING FACTOR"
//    or " ERROR READING OFFSET VALUE" for an answer that is no number (a null value included).
void ask(Answers& answers) {
  textio::put(" INPUT  FILE  : ");
  answers.input = name_answer();
  textio::put(" ENTER THE FRAME TO GET    : ");
  answers.NFRAME = frame_answer();
  textio::put_line("$Enter the scaling factor  >");
  answers.FACT = real_answer(kFactorError);
  textio::put_line("$Enter the offset value    >");
  answers.OFFS = real_answer(kOffsetError);
  textio::put(" OUTPUT FILENAME = ");
  answers.output = name_answer();
}

// ---------------------------------------------------------------------------------------------
// Scaling.

// spectrum_elements: the number of elements of a whole spectrum.
// Given:     HDR      the scan's header
// Returned:  (value)  QQSLEN for real or imaginary data, 2*QQSLEN for complex data (64-bit, so
//                     that no count overflows)
int64_t spectrum_elements(const fts::Header& HDR) {
  const int64_t points = HDR(fts::QQSLEN);
  return HDR(fts::QQDREP) == kComplex ? 2 * points : points;
}

// scale: apply the factor and the offset to a spectrum's elements.
// Given:     QQDREP   representation of the elements: 0 real, 1 imaginary, 2 complex (real and
//                     imaginary parts alternating, real first)
//            FACT     factor
//            OFFS     offset
// Given and returned:
//            ARRAY    every element x becomes FACT*x + OFFS, formed in double precision and
//                     rounded once to a 32-bit float
// Notes: for complex data the offset is a real number added to each complex point: the real
//        parts become FACT*x + OFFS and the imaginary parts FACT*x. Real and imaginary data
//        take the offset on every element.
void scale(std::span<float> ARRAY, int32_t QQDREP, float FACT, float OFFS) {
  const auto f = static_cast<double>(FACT);
  const auto o = static_cast<double>(OFFS);
  if (QQDREP != kComplex) {
    for (float& x : ARRAY) x = static_cast<float>(f * static_cast<double>(x) + o);
    return;
  }
  for (std::size_t i = 0; i < ARRAY.size(); ++i) {
    const double y = f * static_cast<double>(ARRAY[i]);
    ARRAY[i] = static_cast<float>(i % 2 == 0 ? y + o : y);
  }
}

// ---------------------------------------------------------------------------------------------
// The program.

// load_spectrum: load a whole spectrum as 32-bit floats.
// Given:     HDR      header of the scan just read (the file stands at its data)
//            W1, W2   its spectral range (SPTRNG), which the loader widens to every point
// Returned:  ARRAY    the elements, integer data multiplied out by their scale exponent
//            AHDR     the array header (float type, scale exponent 0)
// Notes: a spectrum of more elements than ARRAY holds is refused before anything is read, with
//        " SPECTRUM TOO LARGE: n ELEMENTS, AT MOST 65536"; that and every failure of GETSPT stop
//        the run with " ERROR READING MODEL SPECTRUM".
void load_spectrum(const fts::Header& HDR, std::span<float> ARRAY, fts::Header& AHDR, double W1,
                   double W2) {
  const int64_t elements = spectrum_elements(HDR);
  if (HDR(fts::QQDKND) == 1 && elements > static_cast<int64_t>(ARRAY.size())) {
    fts::MESSAG(" SPECTRUM TOO LARGE: " + std::to_string(elements) + " ELEMENTS, AT MOST " +
                std::to_string(ARRAY.size()));
    fts::STPLOG(1, kReadSpectrumError);
  }
  int32_t ierr = 0;
  fts::GETSPT(kInputUnit, HDR, ARRAY, AHDR, kFloat, HDR(fts::QQDREP), W1, W2, ierr);
  fts::STPLOG(ierr, kReadSpectrumError);
}

// store_spectrum: write the scaled spectrum as the output file's scan.
// Given:     ARRAY    the elements
//            AHDR     their array header
//            W1, W2   the spectral range, widened by the writer to every point
// Returned:  HDR      the header written: AHDR in float type, stamped
// Notes: a failure of PUTSPT stops the run with " ERROR ON WRITE TO OUTPUT FILE".
void store_spectrum(fts::Header& HDR, std::span<const float> ARRAY, const fts::Header& AHDR,
                    double W1, double W2) {
  int32_t ierr = 0;
  fts::PUTSPT(kOutputUnit, HDR, ARRAY, AHDR, AHDR(fts::QQDTYP), AHDR(fts::QQDREP), W1, W2, ierr);
  fts::STPLOG(ierr, kWriteError);
}

// run: the program MAGNORAV: questions, the input scan, the scaling, the output scan.
// Returned:  (value)  the exit status, 0 (also after an error stop, which ends with "#ERROR")
// Notes: 1. The output file is created before the scan is read, and is left (empty) when the
//           run stops after that.
//        2. The output file is closed before the final line: a failure to hand its last records
//           to the system stops the run with " ERROR ON WRITE TO OUTPUT FILE".
int run() {
  ARRAY.fill(0.0f);
  Answers answers;
  ask(answers);

  // The files.
  using fts::shell::File;
  fts::shell::open_or_stop(File::scan_input, kInputUnit, answers.input, kOpenInputError);
  fts::shell::open_or_stop(File::scan_output, kOutputUnit, answers.output, kOpenOutputError);

  // The scan wanted and its whole spectrum.
  fts::Header HDR, AHDR;
  int32_t CURSCN = 1, ierr = 0, ieof = 0;
  fts::GETHDR(kInputUnit, HDR, CURSCN, answers.NFRAME, ierr, ieof);
  fts::STPLOG(ierr != 0 || ieof != 0 ? 1 : 0, kReadFileError);
  double W1 = 0, W2 = 0;
  fts::SPTRNG(HDR, W1, W2);
  load_spectrum(HDR, ARRAY, AHDR, W1, W2);

  // Scale every element loaded; the output has gains 1.
  const auto n = static_cast<std::size_t>(std::clamp<int64_t>(AHDR(fts::QQDSIZ), 0, kWorkElements));
  scale(std::span<float>(ARRAY).first(n), AHDR(fts::QQDREP), answers.FACT, answers.OFFS);
  AHDR(fts::QQGAN1) = 1;
  AHDR(fts::QQGAN2) = 1;
  AHDR(fts::QQGAN3) = 1;

  // The output scan behind a copy of the array header.
  fts::DUPHDR(AHDR, HDR);
  store_spectrum(HDR, ARRAY, AHDR, W1, W2);

  // The scan is written only once its last buffered records have reached the file.
  return fts::shell::finish({{kOutputUnit, kWriteError}}, " *OK");
}

}  // namespace magnorav
