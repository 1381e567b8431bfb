#include "fetch/cookie_date.h"

#include <cstddef>

namespace vexo {
namespace {

// The bytes that separate the tokens of a date.
bool IsDelimiter(unsigned char c) {
  return c == 0x09 || (c >= 0x20 && c <= 0x2f) || (c >= 0x3b && c <= 0x40) ||
         (c >= 0x5b && c <= 0x60) || (c >= 0x7b && c <= 0x7e);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads 1..max_digits digits at s[at]; a digit right after them fails.
bool ReadNumber(std::string_view s, std::size_t& at, std::size_t min_digits, std::size_t max_digits,
                int& value) {
  std::size_t n = 0;
  value = 0;
  while (at + n < s.size() && IsDigit(s[at + n]) && n < max_digits) {
    value = value * 10 + (s[at + n] - '0');
    ++n;
  }
  if (n < min_digits || (at + n < s.size() && IsDigit(s[at + n]))) return false;
  at += n;
  return true;
}

// "hh:mm:ss", each of one or two digits; anything after a non-digit is allowed.
bool ReadTime(std::string_view token, int& h, int& m, int& s) {
  std::size_t at = 0;
  if (!ReadNumber(token, at, 1, 2, h) || at >= token.size() || token[at++] != ':') return false;
  if (!ReadNumber(token, at, 1, 2, m) || at >= token.size() || token[at++] != ':') return false;
  return ReadNumber(token, at, 1, 2, s);
}

bool ReadDigits(std::string_view token, std::size_t min_digits, std::size_t max_digits,
                int& value) {
  std::size_t at = 0;
  return ReadNumber(token, at, min_digits, max_digits, value);
}

// 1..12 from the first three letters of an English month name, any case.
int MonthOf(std::string_view token) {
  static const char kMonths[] = "janfebmaraprmayjunjulaugsepoctnovdec";
  if (token.size() < 3) return 0;
  char lower[3];
  for (int i = 0; i < 3; ++i)
    lower[i] = static_cast<char>(token[static_cast<std::size_t>(i)] | 0x20);
  for (int m = 0; m < 12; ++m) {
    const char* name = kMonths + 3 * m;
    if (lower[0] == name[0] && lower[1] == name[1] && lower[2] == name[2]) return m + 1;
  }
  return 0;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

struct DateParts {
  bool has_time = false, has_day = false, has_month = false, has_year = false;
  int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
};

// Each token fills the first part it can still fill, in the order of 5.1.1.
void ReadToken(std::string_view token, DateParts& p) {
  if (!p.has_time && ReadTime(token, p.hour, p.minute, p.second)) {
    p.has_time = true;
  } else if (!p.has_day && ReadDigits(token, 1, 2, p.day)) {
    p.has_day = true;
  } else if (!p.has_month && (p.month = MonthOf(token)) != 0) {
    p.has_month = true;
  } else if (!p.has_year && ReadDigits(token, 2, 4, p.year)) {
    p.has_year = true;
  }
}

}  // namespace

bool ParseCookieDate(std::string_view text, std::int64_t& seconds) {
  DateParts p;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsDelimiter(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsDelimiter(static_cast<unsigned char>(text[i]))) ++i;
    if (i > start) ReadToken(text.substr(start, i - start), p);
  }
  if (!p.has_time || !p.has_day || !p.has_month || !p.has_year) return false;
  if (p.year >= 70 && p.year <= 99) p.year += 1900;
  if (p.year >= 0 && p.year <= 69) p.year += 2000;
  if (p.year < 1601 || p.day < 1 || p.day > DaysInMonth(p.year, p.month) || p.hour > 23 ||
      p.minute > 59 || p.second > 59)
    return false;
  seconds =
      DaysFromCivil(p.year, p.month, p.day) * 86400 + p.hour * 3600 + p.minute * 60 + p.second;
  return true;
}

}  // namespace vexo
