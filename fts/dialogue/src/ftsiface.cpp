// ftsiface: prompts and answers, message lines, the stop on error, file openers, the clock.
#include "fts/ftsiface.hpp"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "fts/ftscaldr.hpp"
#include "fts/ftschars.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"

namespace fts {

namespace {

constexpr std::size_t kAnswerLength = 64;  // answer buffer of the number readers
constexpr std::size_t kIntField = 12;      // characters of a field read as an integer
constexpr std::size_t kRealField = 25;     // characters of a field read as a real

// One line of standard input; at the end of the input the run stops with MESSAGE.
std::string read_answer(std::string_view message) {
  std::string line;
  if (!textio::standard_input().next_line(line)) STPLOG(1, message);
  return line;
}

std::string fitted(std::string text, std::size_t length) {
  text.resize(length, ' ');
  return text;
}

std::string without_blanks(std::string_view field, std::size_t limit) {
  std::string out;
  for (char c : field.substr(0, std::min(limit, field.size()))) {
    if (c != ' ' && c != '\t') out.push_back(c);
  }
  return out;
}

// The value slots and default flags of one number reader; they persist between calls.
template <class T>
struct Slots {
  std::array<T, 3> value{};
  std::array<int32_t, 3> dflt{};
};

// The shared body of GETNUM, GETFLT and GETDBL.
template <class T, class Parse>
void get_numbers(std::string_view name, Slots<T>& slots, Parse parse, std::size_t field_width,
                 int32_t ICNT, T& V1, int32_t& D1, T& V2, int32_t& D2, T& V3, int32_t& D3,
                 int32_t& IERR) {
  const std::string prefix = std::string(name) + "   ";
  if (ICNT < 1 || ICNT > 3) {
    IERR = 1;
    MESSAG(prefix + "01> - ILLEGAL ICNT");
    return;
  }
  std::string answer = fitted(read_answer(prefix + "04> - END OF INPUT"), kAnswerLength);
  UPCASE(answer);
  // A comma directly behind the last non-blank character closes the last field.
  answer.resize(static_cast<std::size_t>(KUTR(answer)));
  answer.push_back(',');

  IERR = 0;
  int32_t fields = 0;
  std::size_t start = 0;
  for (std::size_t comma = answer.find(','); comma != std::string::npos;
       comma = answer.find(',', start)) {
    const std::string_view field = std::string_view(answer).substr(start, comma - start);
    start = comma + 1;
    const std::size_t k = static_cast<std::size_t>(fields++);
    if (field.empty() || field.front() == 'U') {
      if (k < 3) slots.dflt[k] = 1;
      continue;
    }
    T value{};
    const std::string digits = without_blanks(field, field_width);
    if (!digits.empty() && !parse(digits, value)) {
      IERR = 1;
      break;
    }
    if (k < 3) {
      slots.value[k] = value;
      slots.dflt[k] = 0;
    }
  }
  if (IERR != 0) {
    MESSAG(prefix + "02> - ENTRY NOT LEGAL NUMBER");
    return;
  }
  if (fields != ICNT) {
    IERR = 1;
    MESSAG(prefix + "03> - WRONG NUMBER OF ENTRIES");
  }
  V1 = slots.value[0];
  V2 = slots.value[1];
  V3 = slots.value[2];
  D1 = slots.dflt[0];
  D2 = slots.dflt[1];
  D3 = slots.dflt[2];
}

template <class T>
void test_range(std::string_view message, T VAL, T VMIN, T VMAX, int32_t& IERR) {
  // Written so that a value that is not a number fails.
  IERR = (VAL >= VMIN && VAL <= VMAX) ? 0 : 1;
  WRTLOG(IERR, message);
}

void open_with(std::string_view message, int32_t LUN, std::string_view FNAME, bool scan,
               lun::Status status, int32_t& IERR) {
  int32_t ios = 0;
  if (scan && (LUN < 1 || LUN > lun::kMaxScanUnit)) {
    ios = EBADF;
  } else if (scan) {
    lun::open_scan(LUN, textio::without_trailing_blanks(FNAME), status, ios);
  } else {
    lun::open_text(LUN, textio::without_trailing_blanks(FNAME), status, ios);
  }
  TSTIOS(ios, IERR);
  WRTLOG(IERR, message);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Message log.

void REQUES(std::string_view TEXT) {
  textio::put(" #");
  textio::put(TEXT);
  textio::flush();
}

void MESSAG(std::string_view TEXT) {
  textio::put(" #");
  textio::put_line(TEXT);
}

void MSGNUM(std::string_view TEXT, int32_t NUM) {
  MESSAG(std::string(TEXT) + textio::zero_padded_field(NUM, 6));
}

void WRTLOG(int32_t IERR, std::string_view TEXT) {
  if (IERR != 0) MESSAG(TEXT);
}

void STPLOG(int32_t IERR, std::string_view TEXT) {
  if (IERR == 0) return;
  MESSAG(TEXT);
  lun::error_stop();
}

void SKPLIN(int32_t NLINES) {
  for (int32_t i = 0; i < NLINES; ++i) textio::put_line(" ");
}

void NEWPAG(int32_t LUN) {
  lun::write_line(LUN, " \f");
}

// ---------------------------------------------------------------------------------------------
// Answers.

void GETSTR(std::string& STR) {
  STR = fitted(read_answer("GETSTR   01> - END OF INPUT"), STR.size());
}

void GETABR(std::string_view CODES, int32_t& ICHO, int32_t& IERR) {
  const std::string line = read_answer("GETABR   02> - END OF INPUT");
  std::string typed(1, line.empty() ? ' ' : line.front());
  UPCASE(typed);
  const auto pos = CODES.find(typed.front());
  if (pos == std::string_view::npos) {
    ICHO = static_cast<int32_t>(CODES.size()) + 1;
    IERR = 1;
    MESSAG("GETABR   01> - ENTRY NOT RECOGNIZED");
    return;
  }
  ICHO = static_cast<int32_t>(pos) + 1;
  IERR = 0;
}

void GETNUM(int32_t ICNT, int32_t& V1, int32_t& D1, int32_t& V2, int32_t& D2, int32_t& V3,
            int32_t& D3, int32_t& IERR) {
  static Slots<int32_t> slots;
  get_numbers("GETNUM", slots, textio::parse_int, kIntField, ICNT, V1, D1, V2, D2, V3, D3, IERR);
}

void GETFLT(int32_t ICNT, float& V1, int32_t& D1, float& V2, int32_t& D2, float& V3, int32_t& D3,
            int32_t& IERR) {
  static Slots<float> slots;
  get_numbers("GETFLT", slots, textio::parse_float, kRealField, ICNT, V1, D1, V2, D2, V3, D3, IERR);
}

void GETDBL(int32_t ICNT, double& V1, int32_t& D1, double& V2, int32_t& D2, double& V3, int32_t& D3,
            int32_t& IERR) {
  static Slots<double> slots;
  get_numbers("GETDBL", slots, textio::parse_double, kRealField, ICNT, V1, D1, V2, D2, V3, D3,
              IERR);
}

// ---------------------------------------------------------------------------------------------
// Tests.

void TSTIOS(int32_t IOS, int32_t& IERR) {
  IERR = IOS > 0 ? 1 : 0;
  if (IERR != 0) MSGNUM("TSTIOS   01> - ERROR, IOSTAT = ", IOS);
}

void TSTNUM(int32_t VAL, int32_t VMIN, int32_t VMAX, int32_t& IERR) {
  test_range("TSTNUM   01> - NUMBER OUT OF RANGE", VAL, VMIN, VMAX, IERR);
}

void TSTFLT(float VAL, float VMIN, float VMAX, int32_t& IERR) {
  test_range("TSTFLT   01> - NUMBER OUT OF RANGE", VAL, VMIN, VMAX, IERR);
}

void TSTDBL(double VAL, double VMIN, double VMAX, int32_t& IERR) {
  test_range("TSTDBL   01> - NUMBER OUT OF RANGE", VAL, VMIN, VMAX, IERR);
}

// ---------------------------------------------------------------------------------------------
// Files.

void OPTINP(int32_t LUN, std::string_view FNAME, int32_t& IERR) {
  open_with("OPTINP   01> - FILE OPEN ERROR", LUN, FNAME, false, lun::Status::old_file, IERR);
}

void OPTOUT(int32_t LUN, std::string_view FNAME, int32_t& IERR) {
  open_with("OPTOUT   01> - FILE OPEN ERROR", LUN, FNAME, false, lun::Status::new_file, IERR);
}

void OPFINP(int32_t LUN, std::string_view FNAME, int32_t& IERR) {
  open_with("OPFINP   01> - FILE OPEN ERROR", LUN, FNAME, true, lun::Status::old_file, IERR);
}

void OPFOUT(int32_t LUN, std::string_view FNAME, int32_t& IERR) {
  open_with("OPFOUT   01> - FILE OPEN ERROR", LUN, FNAME, true, lun::Status::new_file, IERR);
}

// ---------------------------------------------------------------------------------------------
// Clock.

void DATSTR(std::string& STR) {
  std::string date, time;
  DATE(date);
  TIME(time);
  STR = date + "  " + time;
}

void SYSTIM(int32_t& JDAY, int32_t& MSEC) {
  std::string date, time;
  DATE(date);
  TIME(time);
  detail::clock_from_texts(date, time, JDAY, MSEC);
}

namespace detail {

void clock_from_texts(std::string_view date, std::string_view time, int32_t& JDAY, int32_t& MSEC) {
  const auto number = [](std::string_view text, std::size_t pos, std::size_t len) {
    int32_t v = 0;
    if (pos + len <= text.size()) textio::parse_int(text.substr(pos, len), v);
    return v;
  };
  std::string month = date.size() >= 6 ? std::string(date.substr(3, 3)) : std::string();
  UPCASE(month);
  const std::string_view names = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
  int32_t imon = 0;
  for (int32_t m = 0; m < 12; ++m) {
    if (names.substr(static_cast<std::size_t>(3 * m), 3) == month) imon = m + 1;
  }
  GRJUL2(2000 + number(date, 7, 2), imon, number(date, 0, 2), JDAY);
  TIMEMS(number(time, 0, 2), number(time, 3, 2), number(time, 6, 2), 0, MSEC);
}

}  // namespace detail

}  // namespace fts
