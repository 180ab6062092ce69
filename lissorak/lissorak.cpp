// lissorak: running means of a time series of fit values, broken at time gaps.
#include "lissorak.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string_view>

namespace lissorak {

namespace textio = fts::textio;

namespace {

// Times of records must lie strictly inside this many days of day 0, so that the day of any mean
// is a 32-bit day number.
constexpr double kDayLimit = 2147483647.0;

// SUM divided by the number of records K; the halves and quarters as multiplications.
double per_record(double sum, std::size_t k) {
  if (k == 2) return sum * 0.5;
  if (k == 4) return sum * 0.25;
  return sum / static_cast<double>(k);
}

// The mean of one field over RUN, rounded to 32 bits.
float plain_mean(std::span<const Record> run, float Record::*field) {
  double sum = 0;
  for (const Record& r : run) sum += static_cast<double>(r.*field);
  return static_cast<float>(per_record(sum, run.size()));
}

// The inverse-variance weighted mean of a value over RUN and its standard error.
// A standard error of 0 leaves the weights undefined: the value is then averaged plainly and its
// error written as 0, the mark of an error not known.
void weighted_mean(std::span<const Record> run, float Record::*value, float Record::*error,
                   float& mean, float& sigma) {
  for (const Record& r : run) {
    if (r.*error == 0) {
      mean = plain_mean(run, value);
      sigma = 0;
      return;
    }
  }
  double weighted = 0;
  double weight = 0;
  for (const Record& r : run) {
    const double e = static_cast<double>(r.*error);
    weighted += static_cast<double>(r.*value) / (e * e);
    weight += 1.0 / (e * e);
  }
  mean = static_cast<float>(weighted / weight);
  sigma = static_cast<float>(1.0 / std::sqrt(weight));
}

// A day number from a time in days, truncated toward zero (within the 32-bit range).
int32_t day_of(double t) {
  const double day = std::trunc(t);
  if (day >= kDayLimit) return std::numeric_limits<int32_t>::max();
  if (day <= -kDayLimit) return -std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(day);
}

// Writes the diagnostic of a failed run on a line of its own (the cursor stands behind the last
// prompt), then the line "#ERROR" that ends every failed run of the suite, and returns false.
bool fail(int number, std::string_view text) {
  textio::put_line("");
  textio::put_line(" #LISSORAK " + textio::zero_padded_field(number, 2) + "> - " +
                   std::string(text));
  textio::put_line("#ERROR");
  return false;
}

// One answer line; false when standard input has ended.
bool answer_line(std::string& line) {
  return textio::standard_input().next_line(line);
}

// Checks that the name of the ROLE file ("INPUT" or "OUTPUT") is given and fits the 128
// characters of a file name (diagnostic written).
bool usable_name(const std::string& name, const std::string& role) {
  if (name.empty()) return fail(11, "NO " + role + " FILE NAME GIVEN");
  if (name.size() > kMaxName) return fail(10, role + " FILE NAME LONGER THAN 128 CHARACTERS");
  return true;
}

// Closes FILE when it goes out of scope.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Times and means.

// record_time: the time of a record in days.
// Given:     r        record with DAY and HOUR
// Returned:  (value)  DAY + HOUR/24, in 64-bit floating point
double record_time(const Record& r) {
  return static_cast<double>(r.DAY) + static_cast<double>(r.HOUR) / 24.0;
}

// gap_in_days: the user's gap limit converted from minutes to days.
// Given:     minutes  the limit in minutes
// Returned:  (value)  minutes/60/24
double gap_in_days(double minutes) {
  return minutes / 60.0 / 24.0;
}

// mean_of: the mean record of a run of 2 to 5 records.
// Given:     run      the records, oldest first
// Returned:  (value)  the mean record
// Notes: 1. Sums are formed in 64-bit floating point and the results rounded to 32 bits; for 2
//           and 4 records the division is a multiplication by 0.5 or 0.25.
//        2. The time is the mean of the record times; DAY is its whole part and HOUR the rest
//           in hours.
//        3. VAL1 and VAL2 are inverse-variance weighted means with the standard error 1/sqrt of
//           the summed weights (Bevington and Robinson, Data Reduction and Error Analysis for
//           the Physical Sciences, 3rd ed., 2003, chapter 4); a pair with a standard
//           error of 0 in any record is averaged plainly and given the error 0.
//        4. CNT is the mean count truncated toward zero.
Record mean_of(std::span<const Record> run) {
  const std::size_t k = run.size();
  Record m;

  // Mean time, split into day and hour.
  double t = 0;
  for (const Record& r : run) t += record_time(r);
  t = per_record(t, k);
  m.DAY = day_of(t);
  m.HOUR = static_cast<float>((t - static_cast<double>(m.DAY)) * 24.0);

  // Weighted values, plain further quantities.
  weighted_mean(run, &Record::VAL1, &Record::ERR1, m.VAL1, m.ERR1);
  weighted_mean(run, &Record::VAL2, &Record::ERR2, m.VAL2, m.ERR2);
  m.AUX1 = plain_mean(run, &Record::AUX1);
  m.AUX2 = plain_mean(run, &Record::AUX2);
  m.AUX3 = plain_mean(run, &Record::AUX3);

  // Mean count, truncated.
  double count = 0;
  for (const Record& r : run) count += static_cast<double>(r.CNT);
  m.CNT = static_cast<int32_t>(std::trunc(per_record(count, k)));
  return m;
}

// ---------------------------------------------------------------------------------------------
// Input and output records.

// read_record: reads one record of ten values in free format.
// Given and returned:
//            reader   free-format reader over the input file
//            r        the values read; a value not given (null or after a slash) keeps its
//                     previous value
// Returned:  (value)  record; unreadable (a value could not be read, or the time lies beyond
//                     the 32-bit day numbers); end (the input ended)
// Notes: a record may go on over several lines; the rest of its last line is ignored, and the
//        next record starts on the next line, also after an unreadable one.
ReadResult read_record(textio::FreeReader& reader, Record& r) {
  switch (
      reader.read(r.DAY, r.HOUR, r.VAL1, r.ERR1, r.VAL2, r.ERR2, r.AUX1, r.AUX2, r.AUX3, r.CNT)) {
    case textio::ReadStatus::end:
      return ReadResult::end;
    case textio::ReadStatus::bad:
      return ReadResult::unreadable;
    case textio::ReadStatus::ok:
      break;
  }
  return std::fabs(record_time(r)) < kDayLimit ? ReadResult::record : ReadResult::unreadable;
}

// next_record: reads the next record that passes the filter.
// Given:     filter   drop records whose VAL1 or VAL2 is not positive
//            first    this is the first read of the file: an unreadable record is returned
// Given and returned:
//            reader   free-format reader over the input file
//            r        the record read
// Returned:  (value)  record, unreadable (only when FIRST) or end
// Notes: unreadable records after the first read are skipped silently.
ReadResult next_record(textio::FreeReader& reader, bool filter, bool first, Record& r) {
  for (;; first = false) {
    const ReadResult result = read_record(reader, r);
    if (result == ReadResult::end) return result;
    if (result == ReadResult::unreadable) {
      if (first) return result;
      continue;
    }
    if (filter && (r.VAL1 <= 0 || r.VAL2 <= 0)) continue;
    return result;
  }
}

// format_record: the output line of a record.
// Given:     r        the record
// Returned:  (value)  108 columns: a blank, DAY in 6 columns, a blank, HOUR in 11 columns with
//                     7 decimals, then each after a blank VAL1 and ERR1 in the general
//                     11-column form, VAL2 and ERR2 in 9 columns with 4 decimals, AUX1, AUX2 and
//                     AUX3 in the general form, and CNT in 8 columns
// Notes: a value too wide for its field is written as asterisks filling it.
std::string format_record(const Record& r) {
  std::string line = " ";
  line += textio::int_field(r.DAY, 6);
  line += ' ' + textio::fixed_field(r.HOUR, 11, 7);
  line += ' ' + textio::general11(r.VAL1);
  line += ' ' + textio::general11(r.ERR1);
  line += ' ' + textio::fixed_field(r.VAL2, 9, 4);
  line += ' ' + textio::fixed_field(r.ERR2, 9, 4);
  line += ' ' + textio::general11(r.AUX1);
  line += ' ' + textio::general11(r.AUX2);
  line += ' ' + textio::general11(r.AUX3);
  line += ' ' + textio::int_field(r.CNT, 8);
  return line;
}

// ---------------------------------------------------------------------------------------------
// Smoothing.

// Smoother::add: takes the next record of the series.
// Given:     r        the record, in file order
// Notes: 1. A record further from the newest buffered one than the gap limit (strictly) flushes
//           the buffer and starts a new run; a time running backwards is never a gap.
//        2. Up to four records are buffered; a fifth gives the mean of all five, after which
//           the oldest is dropped.
//        3. The end of the input flushes nothing: a caller simply stops adding.
void Smoother::add(const Record& r) {
  // Gap: flush the run so far and start a new one with R.
  if (count_ > 0 && record_time(r) - record_time(buffer_[count_ - 1]) > max_gap_) {
    flush();
    count_ = 0;
  }
  if (count_ < kMaxRun - 1) {
    buffer_[count_++] = r;
    return;
  }

  // Five records: write their mean and move the window on by one.
  const Record run[kMaxRun] = {buffer_[0], buffer_[1], buffer_[2], buffer_[3], r};
  write_(mean_of(run));
  for (int i = 0; i + 1 < count_; ++i) buffer_[i] = buffer_[i + 1];
  buffer_[count_ - 1] = r;
}

// Smoother::flush: writes a buffered run cut by a gap: a single record as read, else the mean.
void Smoother::flush() {
  if (count_ == 1) {
    write_(buffer_[0]);
  } else if (count_ > 1) {
    write_(mean_of(std::span<const Record>(buffer_, static_cast<std::size_t>(count_))));
  }
}

// ---------------------------------------------------------------------------------------------
// The program.

// ask: asks the four questions and reads their answers, one line each.
// Returned:  answers  input and output file names as typed, the filter switch ("Y" or "y" as
//                     first character), the gap limit in minutes
//            (value)  false when standard input ends at a question or the gap is not a number
//                     (diagnostic written)
// Notes: the gap is read in free format and may follow blank lines; a null value is refused.
bool ask(Answers& answers) {
  textio::put(" INPUT FILENAME: ");
  if (!answer_line(answers.input)) return fail(1, "END OF INPUT");
  textio::put(" OUTPUT FILENAME: ");
  if (!answer_line(answers.output)) return fail(1, "END OF INPUT");
  textio::put(" Filter out negative values [Y/N] : ");
  std::string choice;
  if (!answer_line(choice)) return fail(1, "END OF INPUT");
  answers.filter = !choice.empty() && (choice[0] == 'Y' || choice[0] == 'y');
  textio::put(" Enter maxumum delta time (min) allowed : ");
  double minutes = std::numeric_limits<double>::quiet_NaN();
  textio::FreeReader reader(textio::standard_input());
  const textio::ReadStatus status = reader.read(minutes);
  if (status == textio::ReadStatus::end) return fail(1, "END OF INPUT");
  if (status == textio::ReadStatus::bad || std::isnan(minutes)) {
    return fail(2, "MAXIMUM DELTA TIME NOT A NUMBER");
  }
  answers.gap_minutes = minutes;
  return true;
}

// smooth_files: opens the files and smooths the input series into the output file.
// Given:     answers  the answers to the four questions
// Returned:  (value)  false when a file cannot be opened, the first record is unreadable, or
//                     reading or writing fails (diagnostic written)
// Notes: 1. The output file must not exist; it is created, never overwritten. When the first
//           record cannot be read, the output file, still empty, is removed again.
//        2. Nothing is written at the end of the input: the records still buffered are left.
bool smooth_files(const Answers& answers) {
  const std::string in_name = textio::without_trailing_blanks(answers.input);
  const std::string out_name = textio::without_trailing_blanks(answers.output);

  // Input: an existing text file.
  if (!usable_name(in_name, "INPUT")) return false;
  std::error_code ec;
  if (std::filesystem::is_directory(in_name, ec)) {
    return fail(4, "CANNOT OPEN INPUT FILE: " + in_name);
  }
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> in(std::fopen(in_name.c_str(), "r"));
  if (!in) {
    if (errno == ENOENT) return fail(3, "INPUT FILE NOT FOUND: " + in_name);
    return fail(4, "CANNOT OPEN INPUT FILE: " + in_name);
  }

  // Output: a new text file.
  if (!usable_name(out_name, "OUTPUT")) return false;
  errno = 0;
  std::FILE* out = std::fopen(out_name.c_str(), "wx");
  if (out == nullptr) {
    if (errno == EEXIST) return fail(5, "OUTPUT FILE ALREADY EXISTS: " + out_name);
    return fail(6, "CANNOT CREATE OUTPUT FILE: " + out_name);
  }

  // The first record must be readable.
  textio::FileLineSource lines(in.get());
  textio::FreeReader reader(lines);
  Record r;
  ReadResult result = next_record(reader, answers.filter, true, r);
  if (result == ReadResult::unreadable) {
    std::fclose(out);
    std::remove(out_name.c_str());
    return fail(7, "FIRST RECORD NOT READABLE: " + in_name);
  }

  // Smooth record after record until the input ends.
  bool write_failed = false;
  Smoother smoother(gap_in_days(answers.gap_minutes), [&](const Record& m) {
    const std::string line = format_record(m) + '\n';
    if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) write_failed = true;
  });
  while (result == ReadResult::record && !write_failed) {
    smoother.add(r);
    result = next_record(reader, answers.filter, false, r);
  }

  const bool read_failed = std::ferror(in.get()) != 0;
  if (std::fclose(out) != 0) write_failed = true;
  if (write_failed) return fail(9, "ERROR WRITING OUTPUT FILE: " + out_name);
  if (read_failed) return fail(8, "ERROR READING INPUT FILE: " + in_name);
  return true;
}

// run: the program LISSORAK: questions, files, smoothing.
// Returned:  (value)  the exit status, 0 also after a diagnostic
int run() {
  Answers answers;
  if (ask(answers)) smooth_files(answers);
  textio::flush();
  return 0;
}

}  // namespace lissorak
