// ftschars: fixed-length text helpers, element positions in records, clock texts.
#include "fts/ftschars.hpp"

#include <cstdio>

#include "fts/textio.hpp"

namespace fts {

namespace {

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::tm local_now() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

void locate(int32_t n, int32_t per_record, int32_t& irec, int32_t& ipos) {
  // Truncating division: element numbers start at 1.
  irec = (n - 1) / per_record + 1;
  ipos = (n - 1) % per_record + 1;
}

}  // namespace

int32_t KUTL(std::string_view STR) {
  const auto pos = STR.find_first_not_of(' ');
  return pos == std::string_view::npos ? static_cast<int32_t>(STR.size()) + 1
                                       : static_cast<int32_t>(pos) + 1;
}

int32_t KUTR(std::string_view STR) {
  const auto pos = STR.find_last_not_of(' ');
  return pos == std::string_view::npos ? 0 : static_cast<int32_t>(pos) + 1;
}

void UPCASE(std::string& STR) {
  for (char& c : STR) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

void LOCI2(int32_t N, int32_t& IREC, int32_t& IPOS) {
  locate(N, 256, IREC, IPOS);
}
void LOCI4(int32_t N, int32_t& IREC, int32_t& IPOS) {
  locate(N, 128, IREC, IPOS);
}
void LOCR4(int32_t N, int32_t& IREC, int32_t& IPOS) {
  locate(N, 128, IREC, IPOS);
}

namespace detail {

std::string date_text(const std::tm& t) {
  char buf[32];
  const int month = t.tm_mon >= 0 && t.tm_mon < 12 ? t.tm_mon : 0;
  std::snprintf(buf, sizeof buf, "%02d-%s-%02d", t.tm_mday % 100, kMonths[month],
                ((t.tm_year % 100) + 100) % 100);
  return buf;
}

std::string time_text(const std::tm& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.tm_hour % 100, t.tm_min % 100, t.tm_sec % 100);
  return buf;
}

}  // namespace detail

void DATE(std::string& STR) {
  STR = detail::date_text(local_now());
}
void TIME(std::string& STR) {
  STR = detail::time_text(local_now());
}

}  // namespace fts
