// lissorak: the time-series smoother's records, their running means, the output layout and the
// run of the program (questions, files, smoothing).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "fts/textio.hpp"

namespace lissorak {

// One time-series record: the ten fields of the long fit-values line, in their order.
struct Record {
  int32_t DAY = 0;  // day number
  float HOUR = 0;   // hour of the day
  float VAL1 = 0;   // first value and its standard error
  float ERR1 = 0;
  float VAL2 = 0;  // second value and its standard error
  float ERR2 = 0;
  float AUX1 = 0;  // further quantities, averaged plainly
  float AUX2 = 0;
  float AUX3 = 0;
  int32_t CNT = 0;  // count, averaged and truncated
};

constexpr int kMaxRun = 5;             // records in one running mean
constexpr std::size_t kMaxName = 128;  // characters of a file name

// ---------------------------------------------------------------------------------------------
// Times and means

double record_time(const Record& r);          // DAY + HOUR/24 in days
double gap_in_days(double minutes);           // the gap limit, minutes/60/24
Record mean_of(std::span<const Record> run);  // mean of 2 to 5 records

// ---------------------------------------------------------------------------------------------
// Input and output records

enum class ReadResult { record, unreadable, end };

// Reads the next record from READER into R (fields not given keep their values).
ReadResult read_record(fts::textio::FreeReader& reader, Record& r);
// Next record that passes the filter, unreadable lines skipped unless FIRST.
ReadResult next_record(fts::textio::FreeReader& reader, bool filter, bool first, Record& r);
// The record as one output line of 108 columns.
std::string format_record(const Record& r);

// ---------------------------------------------------------------------------------------------
// Smoothing

// Running means of up to five records, broken at gaps longer than the limit.
class Smoother {
 public:
  using Writer = std::function<void(const Record&)>;
  Smoother(double max_gap_days, Writer write) : max_gap_(max_gap_days), write_(std::move(write)) {}
  void add(const Record& r);  // one more record, in file order

 private:
  void flush();
  double max_gap_;
  Writer write_;
  Record buffer_[kMaxRun - 1];  // the current run, oldest first
  int count_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The program

// The answers to the four questions.
struct Answers {
  std::string input;
  std::string output;
  bool filter = false;
  double gap_minutes = 0;
};

// Asks the four questions on standard output and reads the answers; false (diagnostic written)
// when standard input ends or the gap is not a number.
bool ask(Answers& answers);
// Smooths the input file into the output file; false (diagnostic written) on failure.
bool smooth_files(const Answers& answers);
// The whole run; returns the exit status.
int run();

}  // namespace lissorak
