#include "organiser/store/day_number.h"

namespace ondrel {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int Digit(TextView stamp, std::size_t index) { return stamp[index] - u'0'; }

}  // namespace

std::int32_t DayNumberOfStamp(TextView stamp) {
  static constexpr std::size_t kDatePlaces[] = {0, 1, 3, 4, 6, 7, 8, 9};
  if (stamp.size() < 10) return 0;
  for (std::size_t place : kDatePlaces) {
    if (!IsDigit(stamp[place])) return 0;
  }
  Date date;
  date.day = Digit(stamp, 0) * 10 + Digit(stamp, 1);
  date.month = Digit(stamp, 3) * 10 + Digit(stamp, 4);
  date.year = Digit(stamp, 6) * 1000 + Digit(stamp, 7) * 100 + Digit(stamp, 8) * 10 +
              Digit(stamp, 9);
  return DayNumberOf(date);
}

}  // namespace ondrel
