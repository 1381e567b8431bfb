#pragma once
// How today's engines and news feeds are read, as the sources file says it:
// shared by the result reading tests, its fuzz target and its benchmark.

#include "parser/result_reading.h"

namespace vexo::testing {

inline const ResultReading& TodaysResultReading() {
  static const ResultReading reading{{"c-container", "b_algo", "vrwrap", "res-list"},
                                     {"mu", "data-mdurl", "data-url"},
                                     {"url", "u"},
                                     {"/link?url=", "/link?m=", "/rss/articles/"}};
  return reading;
}

}  // namespace vexo::testing
