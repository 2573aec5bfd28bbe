#pragma once
// The day number, the key by which date searches compare days:
// day + 31 * month + 372 * year. It keeps the order of the days but is not
// a count of them: 31.12.1999 gives 744031 and 01.01.2000 gives 744032.

#include <cstdint>

#include "organiser/store/text.h"

namespace ondrel {

// A calendar day as the date pickers give it; only these three are read.
struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
};

constexpr std::int32_t DayNumberOf(const Date& date) {
  return date.day + 31 * date.month + 372 * date.year;
}

// Day number of a dd.mm.yyyy hh:mm stamp; 0 when the stamp is shorter than
// 10 characters or its date part holds anything but digits in place.
std::int32_t DayNumberOfStamp(TextView stamp);

}  // namespace ondrel
